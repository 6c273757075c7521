#include "gui/device/GuiFlowUi.h"

#include <QApplication>
#include <QCoreApplication>
#include <QString>

#include "gui/base/Busy.h"
#include "gui/base/Language.h"
#include "gui/base/MessageBox.h"
#include "gui/base/Session.h"
#include "gui/base/Texts.h"
#include "gui/device/CDevice.h"
#include "gui/device/CPasswordValidate.h"
#include "gui/device/CRemoteReset.h"
#include "gui/device/DownloadWarnings.h"
#include "gui/files/FileDialog.h"
#include "gui/widgets/StatusLine.h"

namespace kvt::gui {

QWidget* GuiFlowUi::parentWidget() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return m_owner;
}

void GuiFlowUi::message(std::uint32_t textId) {
    MessageBox::show(parentWidget(), textId, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
}

PasswordReply GuiFlowUi::askPassword(const FlowTarget& target, ConfigKind kind) {
    CPasswordValidate dialog(target, kind, *this, parentWidget());
    if (dialog.exec() != QDialog::Accepted) return {std::nullopt, Outcome::Cancelled};
    return {dialog.takeAnswer(), Outcome::Done};
}

bool GuiFlowUi::confirmWarnings(const std::vector<FieldIssue>& issues) {
    return DownloadWarnings::ask(issues, interfaceLanguage(), parentWidget());
}

bool GuiFlowUi::confirmReset() {
    CRemoteReset dialog(parentWidget());
    dialog.setWindowTitle(
        captionWithDevice(dialog.windowTitle(), m_session ? m_session->selectedDevice() : nullptr));
    fitCaption(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<ConfigKind> GuiFlowUi::chooseKind() {
    // The flow performs the New fill itself; the chooser only answers here.
    CDevice dialog(nullptr, parentWidget());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedKind();
}

std::string GuiFlowUi::chooseSavePath() {
    return FileDialog::saveFileName(parentWidget()).toStdString();
}

std::string GuiFlowUi::chooseOpenPath() {
    return FileDialog::openFileName(parentWidget()).toStdString();
}

QString busyText(const BlockingStep& step) {
    switch (step.what) {
        case WaitFor::Connect:
            return QCoreApplication::translate("kvt::gui::GuiFlowUi", "正在连接 %1…")
                .arg(QString::fromStdString(step.device));
        case WaitFor::PasswordCheck:
            return QCoreApplication::translate("kvt::gui::GuiFlowUi", "正在验证密码…");
        case WaitFor::Read:
            return QCoreApplication::translate("kvt::gui::GuiFlowUi", "正在读取配置…");
        case WaitFor::Download:
            return QCoreApplication::translate("kvt::gui::GuiFlowUi", "正在下载配置…");
        case WaitFor::Reset:
            return QCoreApplication::translate("kvt::gui::GuiFlowUi", "正在复位设备…");
    }
    return {};
}

void GuiFlowUi::runBlocking(const BlockingStep& step, const std::function<void()>& work) {
    // The busy window names the device by name and address where the flow has it selected.
    const CEquipment* device = m_session ? m_session->selectedDevice() : nullptr;
    const QString name = device && device->ipAddress == Gbk(step.device)
                             ? deviceTitle(*device)
                             : QString::fromStdString(step.device);
    runBusy(parentWidget(), work, BusyWait{busyText(step), name, &m_cancel});
}

void GuiFlowUi::downloadEnded(const DownloadOutcome& outcome) {
    if (m_status) m_status->downloadEnded(outcome);
}

}  // namespace kvt::gui
