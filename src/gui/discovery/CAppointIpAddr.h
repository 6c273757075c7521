#pragma once
// Search-by-IP dialog: one address entry, OK and Cancel. OK hands the address (empty fields
// count as 0) to the session as the current device address.
#include <QDialog>

#include "core/Session.h"

class QPushButton;

namespace kvt::gui {

class Ipv4Edit;

class CAppointIpAddr : public QDialog {
    Q_OBJECT
public:
    explicit CAppointIpAddr(Session& session, QWidget* parent = nullptr);

    Ipv4Edit* addressEdit() const { return m_address; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Shown again for every search; the address starts empty each time.
    int exec() override;

public slots:
    void accept() override;

private:
    Session& m_session;
    Ipv4Edit* m_address = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace kvt::gui
