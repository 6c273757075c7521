#pragma once
// The network interface a broadcast search leaves by: all of them, or one. The choice goes to
// the session, where the search reads it, and is remembered between runs.
#include <QComboBox>
#include <QString>
#include <string>
#include <vector>

#include "core/net/Interfaces.h"
#include "gui/base/Session.h"

namespace kvt::gui {

class InterfaceChoice : public QComboBox {
    Q_OBJECT
public:
    // The choice's value for every interface, as the session and the settings hold it.
    static constexpr const char* kAll = "all";

    // Lists the PC's interfaces. Disabled when the search goes to a target of its own
    // (--broadcast), which no interface choice changes.
    explicit InterfaceChoice(Session& session, QWidget* parent = nullptr);

    // Lists "all interfaces" and `interfaces`; the remembered interface is chosen when it is
    // among them, otherwise all of them.
    void setInterfaces(std::vector<NetInterface> interfaces);
    const std::vector<NetInterface>& interfaces() const { return m_interfaces; }
    // "eth0 192.168.1.10/24" for a listed interface; the bare name of one that has gone.
    QString describe(const std::string& name) const;

    // The remembered choice: kAll or an interface's name.
    static QString remembered();

    // The list is read again on every opening: adapters come and go while the tool runs.
    void showPopup() override;

private:
    void chosen(int index);

    Session& m_session;
    std::vector<NetInterface> m_interfaces;
};

}  // namespace kvt::gui
