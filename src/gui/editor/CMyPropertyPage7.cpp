#include "gui/editor/CMyPropertyPage7.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/config/Rules.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"
#include "gui/base/MessageBox.h"
#include "gui/base/TextInput.h"

namespace kvt::gui {

namespace {

QLineEdit* passwordField(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

}  // namespace

CMyPropertyPage7::CMyPropertyPage7(Session& session, QWidget* parent)
    : PropertyPage(session, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("注意：密码不可超过20个字符！"), this));

    auto* userGrid = new QGridLayout;
    m_userPassword = passwordField(this);
    m_userConfirm = passwordField(this);
    userGrid->addWidget(new QLabel(tr("用户密码"), this), 0, 0);
    userGrid->addWidget(m_userPassword, 0, 1);
    userGrid->addWidget(new QLabel(tr("确认密码"), this), 1, 0);
    userGrid->addWidget(m_userConfirm, 1, 1);
    userGrid->setColumnStretch(1, 1);
    layout->addLayout(userGrid);

    m_adminGroup = new QGroupBox(this);
    auto* adminGrid = new QGridLayout(m_adminGroup);
    m_adminPassword = passwordField(m_adminGroup);
    m_adminConfirm = passwordField(m_adminGroup);
    adminGrid->addWidget(new QLabel(tr("管理员密码"), m_adminGroup), 0, 0);
    adminGrid->addWidget(m_adminPassword, 0, 1);
    adminGrid->addWidget(new QLabel(tr("确认密码"), m_adminGroup), 1, 0);
    adminGrid->addWidget(m_adminConfirm, 1, 1);
    adminGrid->setColumnStretch(1, 1);
    layout->addWidget(m_adminGroup);

    m_messageLine = new QLabel(this);
    m_messageLine->setStyleSheet(QStringLiteral("color: #c00000;"));
    layout->addWidget(m_messageLine);
    layout->addStretch(1);

    onFocusLost(m_userPassword, [this] { checkLength(User); });
    onFocusLost(m_adminPassword, [this] { checkLength(Admin); });
    onFocusLost(m_userConfirm, [this] { checkMatch(User); });
    onFocusLost(m_adminConfirm, [this] { checkMatch(Admin); });
    installEnterRule();
}

QString CMyPropertyPage7::title() const {
    return tr("密码设置");
}

Gbk& CMyPropertyPage7::stored(Pair pair) const {
    return pair == User ? config()->advance.userPassword : config()->advance.adminPassword;
}

void CMyPropertyPage7::initialise() {
    m_adminGroup->setVisible(m_session.configKind == kBackgroundConfig);
}

bool CMyPropertyPage7::onActivate() {
    if (!config()) return true;
    for (Pair pair : {User, Admin}) {
        const QString text = fromGbk(stored(pair));
        passwordEdit(pair)->setText(text);
        confirmEdit(pair)->setText(text);
    }
    return true;
}

std::optional<Gbk> CMyPropertyPage7::checkLength(Pair pair) {
    QLineEdit* edit = passwordEdit(pair);
    if (!config()) return std::nullopt;
    // The stored password shown unchanged is kept byte for byte, whatever bytes it holds.
    if (edit->text() == fromGbk(stored(pair))) {
        m_messageLine->clear();
        return stored(pair);
    }
    const std::optional<Gbk> typed = toGbk(edit->text());
    if (typed && passwordFits(*typed)) {
        m_messageLine->clear();
        return typed;
    }
    m_messageLine->setText(uiString(typed ? kTextPasswordTooLong : kMsgNotGbk));
    edit->clear();
    return std::nullopt;
}

void CMyPropertyPage7::checkMatch(Pair pair) {
    if (!config()) return;
    QLineEdit* password = passwordEdit(pair);
    QLineEdit* confirm = confirmEdit(pair);
    if (password->text() != confirm->text()) {
        MessageBox::show(this, 5042, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        password->clear();
        confirm->clear();
    }
    // Only a new password is a change; retyping the stored one is not.
    if (password->text() != fromGbk(stored(pair))) markChanged();
}

bool CMyPropertyPage7::storePair(Pair pair) {
    QLineEdit* password = passwordEdit(pair);
    QLineEdit* confirm = confirmEdit(pair);
    // An over-long password would be cut to 20 bytes in the image; refuse it instead.
    const std::optional<Gbk> typed = checkLength(pair);
    if (!typed) return false;
    // Storing a different password is a change, whether the pair matched or was emptied.
    if (password->text() == confirm->text()) {
        if (*typed != stored(pair)) markChanged();
        stored(pair) = *typed;
        return true;
    }
    if (!stored(pair).empty()) markChanged();
    stored(pair).clear();
    MessageBox::show(this, 5042, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
    password->clear();
    confirm->clear();
    return false;
}

bool CMyPropertyPage7::deactivate() {
    if (!config()) return true;
    return storePair(User) && storePair(Admin);
}

}  // namespace kvt::gui
