#include "gui/editor/CMyPropertyPage2.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/config/Rules.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"
#include "gui/base/MessageBox.h"
#include "gui/base/TextInput.h"
#include "gui/widgets/Ipv4Edit.h"

namespace kvt::gui {

namespace {

const std::array<const char*, 5> kRepairValues = {
    kDefaultAddresses.ipAddress, kDefaultAddresses.subnetMask, kDefaultAddresses.gateway,
    kDefaultAddresses.dns1, kDefaultAddresses.dns2};

std::array<Gbk*, 5> addressFields(CEthernet& ethernet) {
    return {&ethernet.ipAddress, &ethernet.subnetMask, &ethernet.gateway, &ethernet.dns1,
            &ethernet.dns2};
}

}  // namespace

CMyPropertyPage2::CMyPropertyPage2(Session& session, QWidget* parent)
    : PropertyPage(session, parent) {
    auto* layout = new QVBoxLayout(this);
    m_notice = new QLabel(tr("注意：网络名称不可超过20个字符！"), this);
    layout->addWidget(m_notice);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        m_labels[i] = new QLabel(uiString(9002 + static_cast<std::uint32_t>(i)), this);
        grid->addWidget(m_labels[i], static_cast<int>(i), 0);
    }
    m_nameLabel = m_labels[0];
    m_name = new QLineEdit(this);
    grid->addWidget(m_name, 0, 1);
    m_method = new QComboBox(this);
    grid->addWidget(m_method, 1, 1);
    for (std::size_t i = 0; i < m_addresses.size(); ++i) {
        m_addresses[i] = new Ipv4Edit(this);
        grid->addWidget(m_addresses[i], static_cast<int>(i) + 2, 1);
    }
    layout->addLayout(grid);
    layout->addStretch(1);
    // DNS1 and DNS2 are shown only; the device takes them from its own settings.
    m_addresses[Dns1]->setEnabled(false);
    m_addresses[Dns2]->setEnabled(false);

    setWindowTitle(uiString(9001));
    connect(m_method, &QComboBox::activated, this, &CMyPropertyPage2::methodChosen);
    onFocusLost(m_name, [this] { checkName(); });
    installEnterRule();
}

QString CMyPropertyPage2::title() const {
    return tr("网络设置");
}

Gbk CMyPropertyPage2::repairAddress(const Gbk& text, const Gbk& repair) {
    if (text.find('.') == Gbk::npos) return text.empty() || text.size() > 3 ? repair : text;
    std::size_t parts = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        const std::size_t end = dot == Gbk::npos ? text.size() : dot;
        if (end - start > 3) return repair;
        ++parts;
        if (dot == Gbk::npos) break;
        start = dot + 1;
    }
    // More than four parts cannot be an address at all.
    return parts > 4 ? repair : text;
}

void CMyPropertyPage2::fillMethods(int stored) {
    const QSignalBlocker quiet(m_method);
    m_method->clear();
    m_method->addItem(uiString(5012));
    m_method->addItem(QStringLiteral("DHCP"));
    // A device set to BOOTP keeps it unless the user picks another method: the entry is
    // offered only while it is the stored value.
    if (stored == kIpMethodBootp) m_method->addItem(QStringLiteral("BOOTP"));
    m_method->setCurrentIndex(stored == 0 || stored == kIpMethodBootp ? stored : 1);
}

void CMyPropertyPage2::initialise() {
    fillMethods(config()->ethernet.ipMethod);
    showNameByKind();
}

bool CMyPropertyPage2::onActivate() {
    CConfiguration* cfg = config();
    if (!cfg) return false;
    CEthernet& eth = cfg->ethernet;
    if (eth.ipMethod != 0 && eth.ipMethod != 1 && eth.ipMethod != kIpMethodBootp) eth.ipMethod = 1;
    const auto fields = addressFields(eth);
    for (std::size_t i = 0; i < fields.size(); ++i)
        *fields[i] = repairAddress(*fields[i], kRepairValues[i]);

    fillMethods(eth.ipMethod);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        m_addresses[i]->setText(fromGbk(*fields[i]));
        m_shown[i] = m_addresses[i]->text();
    }
    m_name->setText(fromGbk(eth.networkName));
    showNameByKind();
    enableAddresses(eth.ipMethod);
    return true;
}

void CMyPropertyPage2::showNameByKind() {
    const bool background = m_session.configKind == kBackgroundConfig;
    m_name->setVisible(background);
    m_nameLabel->setVisible(background);
    m_notice->setVisible(background);
}

void CMyPropertyPage2::enableAddresses(int method) {
    const bool editable = method != 1 && method != 2;
    m_addresses[IpAddress]->setEnabled(editable);
    m_addresses[SubnetMask]->setEnabled(editable);
    m_addresses[Gateway]->setEnabled(editable);
}

void CMyPropertyPage2::methodChosen(int index) {
    enableAddresses(index);
    // The method itself is stored when the page is left; a different choice is a change now.
    if (config() && index != config()->ethernet.ipMethod) markChanged();
}

void CMyPropertyPage2::checkName() {
    CConfiguration* cfg = config();
    if (!cfg) return;
    const Gbk before = cfg->ethernet.networkName;
    if (m_name->text() == fromGbk(before) && !utf8ToGbk(gbkToUtf8(before))) return;
    const std::optional<Gbk> typed = toGbk(m_name->text());
    if (!typed) {
        // Not storable as GBK: say so and keep what was stored.
        MessageBox::show(this, kMsgNotGbk, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        m_name->setText(fromGbk(before));
        return;
    }
    Gbk name = *typed;
    switch (checkNetworkName(name)) {
        case NameProblem::None:
            break;
        case NameProblem::TooLong:
            MessageBox::show(this, kTextNameTooLong, MessageBox::Buttons::Ok,
                             MessageBox::Icon::Warning);
            m_name->clear();
            return;
        case NameProblem::Space:
            // The name ends at its first space.
            MessageBox::show(this, kTextNameSpace, MessageBox::Buttons::Ok,
                             MessageBox::Icon::Warning);
            name.resize(name.find(' '));
            break;
    }
    m_name->setText(fromGbk(name));
    cfg->ethernet.networkName = name;
    if (name != before) markChanged();
}

bool CMyPropertyPage2::deactivate() {
    CConfiguration* cfg = config();
    if (!cfg) return true;
    CEthernet& eth = cfg->ethernet;
    eth.ipMethod = m_method->currentIndex();
    const auto fields = addressFields(eth);
    bool changed = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const QString text = m_addresses[i]->text();
        if (text != m_shown[i]) changed = true;
        m_shown[i] = text;
        *fields[i] = text.toStdString();
    }
    if (changed) markChanged();
    return true;
}

}  // namespace kvt::gui
