#include "gui/editor/CMyPropertyPage8.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/base/MessageBox.h"
#include "gui/base/TextInput.h"
#include "gui/widgets/Ipv4Edit.h"

namespace kvt::gui {

CMyPropertyPage8::CMyPropertyPage8(Session& session, QWidget* parent)
    : PropertyPage(session, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(tr("设置"), this);
    auto* grid = new QGridLayout(group);
    m_enable = new QCheckBox(tr("启用"), group);
    grid->addWidget(m_enable, 0, 0, 1, 2);

    grid->addWidget(new QLabel(tr("自动报告目标"), group), 1, 0);
    auto* targetRow = new QHBoxLayout;
    m_target = new Ipv4Edit(group);
    m_port = new QLineEdit(group);
    m_port->setMaximumWidth(70);
    targetRow->addWidget(m_target, 1);
    targetRow->addWidget(new QLabel(tr("："), group));
    targetRow->addWidget(m_port);
    targetRow->addWidget(new QLabel(tr("(1～65535)"), group));
    grid->addLayout(targetRow, 1, 1);

    grid->addWidget(new QLabel(tr("自动报告周期"), group), 2, 0);
    auto* periodRow = new QHBoxLayout;
    m_period = new QLineEdit(group);
    m_period->setMaximumWidth(70);
    periodRow->addWidget(m_period);
    periodRow->addWidget(new QLabel(QStringLiteral("s"), group));
    periodRow->addWidget(new QLabel(tr("(1～7200)"), group));
    periodRow->addStretch(1);
    grid->addLayout(periodRow, 2, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(group);
    layout->addStretch(1);

    // Every stored change counts as an edit, so that Cancel offers to save it.
    connect(m_enable, &QCheckBox::clicked, this, [this](bool on) {
        if (config()) {
            config()->report.enabled = on ? 1 : 0;
            markChanged();
        }
        enableValues(on);
    });
    connect(m_target, &Ipv4Edit::fieldChanged, this, [this] {
        if (m_filling || !config()) return;
        const Gbk typed = m_target->text().toStdString();
        if (typed == config()->report.targetIp) return;
        config()->report.targetIp = typed;
        markChanged();
    });
    onFocusLost(m_port, [this] {
        if (config()) checkNumber(m_port, config()->report.port, kPortRange);
    });
    onFocusLost(m_period, [this] {
        if (config()) checkNumber(m_period, config()->report.period, kReportPeriodRange);
    });
    installEnterRule();
}

QString CMyPropertyPage8::title() const {
    return tr("IP地址报告");
}

bool CMyPropertyPage8::onActivate() {
    CConfiguration* cfg = config();
    if (!cfg) return true;
    IPReport& report = cfg->report;
    m_filling = true;
    m_enable->setChecked(report.enabled == 1);
    enableValues(report.enabled == 1);
    m_target->setText(fromGbk(report.targetIp));
    if (report.port <= 0) report.port = kDefaultReportPort;
    m_port->setText(QString::number(report.port));
    if (report.period <= 0) report.period = kDefaultReportPeriod;
    m_period->setText(QString::number(report.period));
    m_filling = false;
    return true;
}

void CMyPropertyPage8::enableValues(bool on) {
    m_target->setEnabled(on);
    m_port->setEnabled(on);
    m_period->setEnabled(on);
}

void CMyPropertyPage8::checkNumber(QLineEdit* edit, std::int32_t& stored, NumberRange range) {
    // Digits only: "80ab" would be stored as 80 while the edit still shows "80ab".
    const std::optional<std::int32_t> value = typedNumber(edit->text().toStdString(), range);
    if (!value) {
        MessageBox::show(this, kTextOutOfRange, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        edit->setText(QString::number(stored));
        return;
    }
    if (*value != stored) markChanged();
    stored = *value;
}

}  // namespace kvt::gui
