#include "gui/device/CPasswordValidate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config/Rules.h"
#include "core/flows/DeviceFlows.h"
#include "core/text/ExtraText.h"
#include "gui/base/MessageBox.h"
#include "gui/base/TextInput.h"
#include "gui/base/Texts.h"

namespace kvt::gui {

namespace {
constexpr std::size_t kPasswordMaxBytes = kTextFieldBytes;
}

CPasswordValidate::CPasswordValidate(const FlowTarget& target, ConfigKind kind, FlowUi& ui,
                                     QWidget* parent)
    : QDialog(parent), m_target(target), m_kind(kind), m_ui(ui) {
    setWindowTitle(captionWithDevice(uiString(7003), target.device ? &*target.device : nullptr));
    setMinimumWidth(300);
    fitCaption(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(uiString(7004), this));
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    limitGbkBytes(m_password, kPasswordMaxBytes);
    layout->addWidget(m_password);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(uiString(7005), this);
    auto* cancel = new QPushButton(uiString(7006), this);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &CPasswordValidate::accept);
    connect(cancel, &QPushButton::clicked, this, &CPasswordValidate::reject);
}

void CPasswordValidate::accept() {
    const std::optional<Gbk> password = toGbk(m_password->text());
    if (!password) {
        MessageBox::show(this, kMsgNotGbk, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        return;
    }
    PasswordAttempt attempt = attemptPasswordCheck(m_target, m_kind, *password, m_ui);
    if (!attempt.answer) {
        // The typed text stays, so OK can simply be pressed again; a wait the user cancelled
        // needs no message.
        const std::uint32_t id = m_ui.cancelled() ? 0 : messageFor(attempt.outcome);
        if (id) MessageBox::show(this, id, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        return;
    }
    m_answer = std::move(attempt.answer);
    QDialog::accept();
}

void CPasswordValidate::reject() {
    m_password->clear();
    m_answer.reset();
    QDialog::reject();
}

}  // namespace kvt::gui
