#include "gui/discovery/InterfaceChoice.h"

#include <QAbstractItemView>
#include <algorithm>

#include "gui/base/Settings.h"
#include "gui/base/Texts.h"

namespace kvt::gui {

InterfaceChoice::InterfaceChoice(Session& session, QWidget* parent)
    : QComboBox(parent), m_session(session) {
    setObjectName(QStringLiteral("InterfaceChoice"));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const std::string& target = session.network.discoveryTarget;
    if (session.network.singleDiscoveryTarget()) {
        setEnabled(false);
        setToolTip(
            tr("搜索发往 %1（--broadcast），不经选择的网卡").arg(QString::fromStdString(target)));
    } else {
        setToolTip(tr("搜索经由的网卡"));
    }
    connect(this, &QComboBox::activated, this, &InterfaceChoice::chosen);
    setInterfaces(broadcastInterfaces());
}

void InterfaceChoice::setInterfaces(std::vector<NetInterface> interfaces) {
    m_interfaces = std::move(interfaces);
    const QSignalBlocker quiet(this);
    clear();
    addItem(tr("全部网卡"), QString::fromLatin1(kAll));
    for (const NetInterface& interface : m_interfaces)
        addItem(QString::fromStdString(describeInterface(interface)),
                QString::fromStdString(interface.name));
    const int wanted = findData(remembered());
    setCurrentIndex(wanted < 0 ? 0 : wanted);
    m_session.network.searchInterface = currentData().toString().toStdString();
}

QString InterfaceChoice::describe(const std::string& name) const {
    const auto found = std::find_if(m_interfaces.begin(), m_interfaces.end(),
                                    [&](const NetInterface& i) { return i.name == name; });
    return QString::fromStdString(found == m_interfaces.end() ? name : describeInterface(*found));
}

QString InterfaceChoice::remembered() {
    return Settings::searchInterface(QString::fromLatin1(kAll));
}

void InterfaceChoice::showPopup() {
    setInterfaces(broadcastInterfaces());
    QComboBox::showPopup();
}

void InterfaceChoice::chosen(int index) {
    const QString value = itemData(index).toString();
    m_session.network.searchInterface = value.toStdString();
    Settings::setSearchInterface(value);
}

}  // namespace kvt::gui
