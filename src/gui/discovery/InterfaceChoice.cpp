#include "gui/discovery/InterfaceChoice.h"

#include <QAbstractItemView>
#include <QSettings>
#include <algorithm>

#include "gui/app/Texts.h"

namespace kvt::gui {

namespace {

// ~/.config/kvt640/kvt640.conf
QSettings settings() {
    return QSettings(QStringLiteral("kvt640"), QStringLiteral("kvt640"));
}

const QString kSettingsKey = QStringLiteral("search/interface");

}  // namespace

InterfaceChoice::InterfaceChoice(Session& session, QWidget* parent)
    : QComboBox(parent), m_session(session) {
    setObjectName(QStringLiteral("InterfaceChoice"));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const Lang lang = session.lang;
    const std::string& target = session.network.discoveryTarget;
    if (session.network.singleDiscoveryTarget()) {
        setEnabled(false);
        setToolTip(langText(lang, "搜索发往 %1（--broadcast），不经选择的网卡",
                            "The search goes to %1 (--broadcast), not by a chosen interface")
                       .arg(QString::fromStdString(target)));
    } else {
        setToolTip(langText(lang, "搜索经由的网卡", "Network interface the search goes out by"));
    }
    connect(this, &QComboBox::activated, this, &InterfaceChoice::chosen);
    setInterfaces(broadcastInterfaces());
}

void InterfaceChoice::setInterfaces(std::vector<NetInterface> interfaces) {
    m_interfaces = std::move(interfaces);
    const QSignalBlocker quiet(this);
    clear();
    addItem(langText(m_session.lang, "全部网卡", "All interfaces"), QString::fromLatin1(kAll));
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
    return settings().value(kSettingsKey, QString::fromLatin1(kAll)).toString();
}

void InterfaceChoice::showPopup() {
    setInterfaces(broadcastInterfaces());
    QComboBox::showPopup();
}

void InterfaceChoice::chosen(int index) {
    const QString value = itemData(index).toString();
    m_session.network.searchInterface = value.toStdString();
    settings().setValue(kSettingsKey, value);
}

}  // namespace kvt::gui
