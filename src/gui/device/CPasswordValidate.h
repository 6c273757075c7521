#pragma once
// The password dialog ("输入密码"): each OK is one password check on a fresh connection; the
// dialog stays open after a failure so that OK can be pressed again.
#include <QDialog>
#include <optional>

#include "core/flows/FlowUi.h"

class QLineEdit;

namespace kvt::gui {

class CPasswordValidate : public QDialog {
    Q_OBJECT
public:
    CPasswordValidate(const FlowTarget& target, ConfigKind kind, FlowUi& ui,
                      QWidget* parent = nullptr);

    QLineEdit* passwordEdit() const { return m_password; }
    // The answered password check, on the connection that carries on; set after OK.
    std::optional<PasswordAnswer> takeAnswer() { return std::exchange(m_answer, {}); }

    void accept() override;
    void reject() override;

private:
    FlowTarget m_target;
    ConfigKind m_kind;
    FlowUi& m_ui;
    QLineEdit* m_password;
    std::optional<PasswordAnswer> m_answer;
};

}  // namespace kvt::gui
