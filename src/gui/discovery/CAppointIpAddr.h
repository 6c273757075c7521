#pragma once
// Search-by-IP dialog: one address entry, OK and Cancel. OK keeps the address (empty fields
// count as 0) for the search.
#include <QDialog>
#include <string>

class QPushButton;

namespace kvt::gui {

class Ipv4Edit;

class CAppointIpAddr : public QDialog {
    Q_OBJECT
public:
    explicit CAppointIpAddr(QWidget* parent = nullptr);

    Ipv4Edit* addressEdit() const { return m_address; }
    // The address of the last OK.
    const std::string& address() const { return m_chosen; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Shown again for every search; the address starts empty each time.
    int exec() override;

public slots:
    void accept() override;

private:
    Ipv4Edit* m_address = nullptr;
    std::string m_chosen;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace kvt::gui
