#pragma once
// The password dialog ("输入密码"): each OK is one password check on a fresh connection; the
// dialog stays open after a failure so that OK can be pressed again.
#include <QDialog>
#include <optional>

#include "core/net/Socket.h"

class QLineEdit;

namespace kvt {
class FlowUi;
struct Session;
}  // namespace kvt

namespace kvt::gui {

class CPasswordValidate : public QDialog {
    Q_OBJECT
public:
    CPasswordValidate(Session& session, int kind, FlowUi& ui, QWidget* parent = nullptr);

    QLineEdit* passwordEdit() const { return m_password; }
    // The connection that carried the password check; set after OK.
    std::optional<TcpConnection> takeConnection() { return std::exchange(m_connection, {}); }

    void accept() override;
    void reject() override;

private:
    Session& m_session;
    int m_kind;
    FlowUi& m_ui;
    QLineEdit* m_password;
    std::optional<TcpConnection> m_connection;
};

}  // namespace kvt::gui
