#include "gui/device/CLoad.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/config/Fields.h"
#include "core/fleet/WriteCheck.h"
#include "core/flows/DeviceFlows.h"
#include "core/flows/FileFlows.h"
#include "gui/base/MessageBox.h"
#include "gui/base/Session.h"
#include "gui/base/Settings.h"
#include "gui/base/TextInput.h"
#include "gui/base/Texts.h"
#include "gui/device/EnipCheck.h"
#include "gui/device/GuiFlowUi.h"

namespace kvt::gui {

CLoad::CLoad(Session& session, GuiFlowUi& ui, QWidget* parent)
    : QDialog(parent), m_session(session), m_ui(ui) {
    // Names the device a download goes to.
    setWindowTitle(captionWithDevice(QStringLiteral("KVT-640"), m_session.selectedDevice()));
    setMinimumWidth(300);
    fitCaption(this);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    const QString captions[] = {tr("保存"), tr("下载"), tr("下载并保存")};
    auto* radios = new QHBoxLayout;
    radios->setSpacing(16);
    for (std::size_t i = 0; i < m_radios.size(); ++i) {
        m_radios[i] = new QRadioButton(captions[i], this);
        group->addButton(m_radios[i], static_cast<int>(i));
        radios->addWidget(m_radios[i]);
    }
    layout->addLayout(radios);
    m_verify = new QCheckBox(tr("写入后校验"), this);
    m_verify->setChecked(Settings::verifyAfterWriting());
    layout->addWidget(m_verify);
    connect(m_verify, &QCheckBox::toggled, this,
            [](bool on) { Settings::setVerifyAfterWriting(on); });
    // The check box belongs to the download: it is offered while one is chosen.
    connect(group, &QButtonGroup::idToggled, this,
            [this] { m_verify->setEnabled(selected() != Save); });
    m_radios[Save]->setChecked(true);
    m_verify->setEnabled(false);
    // Without a selected device only Save is possible.
    if (!m_session.selectedDevice()) {
        m_radios[Download]->setEnabled(false);
        m_radios[SaveThenDownload]->setEnabled(false);
    }
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(tr("确定"), this);
    auto* cancel = new QPushButton(tr("取消"), this);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &CLoad::accept);
    connect(cancel, &QPushButton::clicked, this, &CLoad::reject);
}

void CLoad::choose(Action action) {
    m_radios.at(action)->setChecked(true);
}

CLoad::Action CLoad::selected() const {
    if (m_radios[Download]->isChecked()) return Download;
    if (m_radios[SaveThenDownload]->isChecked()) return SaveThenDownload;
    return Save;
}

bool CLoad::saveInEditorMode() {
    // Editor mode: no kind question and no device read, the edited configuration as it is.
    return saveConfigurationFile(m_session.target(), m_session, m_session.lang, m_ui, m_ui,
                                 SaveFrom::Editor) != Outcome::SaveFailed;
}

std::optional<bool> CLoad::runDownload() {
    if (!m_session.selectedDevice()) {
        MessageBox::show(this, messageFor(Outcome::DownloadNoDevice), MessageBox::Buttons::Ok,
                         MessageBox::Icon::Warning);
        return std::nullopt;
    }
    const FlowTarget target = m_session.target();
    AfterAcknowledgement verify;
    if (m_verify->isChecked()) {
        verify = [this, &target](const Gbk& password) {
            const WriteCheck check = checkWrittenConfiguration(target, m_session, password, m_ui);
            // A failed read-back has shown its own message.
            if (check.read != Outcome::Done) return Verification::ReadFailed;
            if (check.differences.empty()) return Verification::Verified;
            showDifferences(check.differences);
            return Verification::Differs;
        };
    }
    const std::string oldAddress = gbkToUtf8(target.device->ipAddress);
    const DownloadOutcome outcome = download(target, m_session, m_ui, m_ui, verify);
    // The check goes on: the status line follows the device to where it now serves.
    if (m_verify->isChecked() && outcome.reset == Outcome::Done && m_session.config)
        followDeviceOnEnip(m_ui.statusLine(), m_session.network, oldAddress, *m_session.config,
                           m_session.configKind);
    return outcome.acknowledged();
}

void CLoad::showDifferences(const std::vector<FieldDifference>& differences) {
    if (differences.empty()) return;
    QString text = tr("设备读回的配置与写入的不同：");
    const Lang lang = m_session.lang;
    for (const FieldDifference& d : differences) {
        text += QLatin1Char('\n') +
                tr("%1：写入 %2，读回 %3")
                    .arg(QString::fromStdString(fieldLabel(d.field, lang)),
                         QString::fromStdString(fieldValueText(d.field, d.left, lang)),
                         QString::fromStdString(fieldValueText(d.field, d.right, lang)));
    }
    MessageBox::showText(this, text, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
}

void CLoad::accept() {
    std::optional<bool> acknowledged;
    switch (selected()) {
        case Save:
            // The editor closes after a save, also when the file dialog was cancelled; but not
            // after a failed write, which would lose the edits with nothing on disk.
            m_editorMayClose = saveInEditorMode();
            break;
        case Download:
            acknowledged = runDownload();
            if (!acknowledged) return;
            m_editorMayClose = *acknowledged;
            break;
        case SaveThenDownload:
            saveInEditorMode();
            acknowledged = runDownload();
            if (!acknowledged) return;
            m_editorMayClose = *acknowledged;
            break;
    }
    QDialog::accept();
}

void CLoad::reject() {
    m_editorMayClose = false;
    QDialog::reject();
}

std::function<bool(QWidget* sheet)> saveOrDownload(Session& session, GuiFlowUi& ui) {
    return [&session, &ui](QWidget* sheet) {
        CLoad chooser(session, ui, sheet);
        chooser.exec();
        return chooser.editorMayClose();
    };
}

}  // namespace kvt::gui
