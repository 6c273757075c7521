#pragma once
// The Ethernet page: network name, IP method and the five addresses.
#include <array>

#include "gui/editor/PropertyPage.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace kvt::gui {

class Ipv4Edit;

class CMyPropertyPage2 : public PropertyPage {
    Q_OBJECT
public:
    enum Address { IpAddress, SubnetMask, Gateway, Dns1, Dns2 };

    explicit CMyPropertyPage2(Session& session, QWidget* parent = nullptr);

    QString title() const override;
    bool deactivate() override;

    QLineEdit* nameEdit() const { return m_name; }
    QLabel* nameLabel() const { return m_nameLabel; }
    QLabel* notice() const { return m_notice; }
    QComboBox* methodList() const { return m_method; }
    Ipv4Edit* addressEdit(Address which) const { return m_addresses.at(which); }

    // The repair of a stored address text when the page is shown (empty, or a part longer
    // than three characters, gives `repair`).
    static Gbk repairAddress(const Gbk& text, const Gbk& repair);

protected:
    void initialise() override;
    bool onActivate() override;

private:
    void showNameByKind();
    // The method entries for a stored method, with it selected.
    void fillMethods(int stored);
    void enableAddresses(int method);
    void methodChosen(int index);
    void checkName();

    QLabel* m_notice;
    QLabel* m_nameLabel;
    QLineEdit* m_name;
    QComboBox* m_method;
    std::array<Ipv4Edit*, 5> m_addresses{};
    // What the address controls showed when the page was entered: an address written
    // differently (a missing part, a leading zero) is no change until the user changes it.
    std::array<QString, 5> m_shown{};
    std::array<QLabel*, 7> m_labels{};
};

}  // namespace kvt::gui
