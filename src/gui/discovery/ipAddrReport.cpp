#include "gui/discovery/ipAddrReport.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>

#include "core/config/Rules.h"
#include "core/discovery/ReportListener.h"
#include "core/files/CsvExport.h"
#include "core/text/Decimal.h"
#include "gui/base/MessageBox.h"
#include "gui/base/Settings.h"
#include "gui/base/Texts.h"
#include "gui/files/ExportCsv.h"
#include "gui/widgets/ReportList.h"
#include "gui/widgets/StatusLine.h"

namespace kvt::gui {

namespace {

constexpr auto kColumns = columnsOf(kReportListColumns, std::array{40, 75, 95, 115, 40, 100, 100});

}  // namespace

ipAddrReport::ipAddrReport(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("ipAddrReport"));
    setWindowTitle(tr("IP地址报告"));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("UDP监听端口："), this));
    m_port = new QLineEdit(this);
    m_port->setFixedWidth(80);
    m_port->installEventFilter(this);
    top->addWidget(m_port);
    top->addWidget(new QLabel(tr("（1 ~ 65535）"), this));
    top->addStretch(1);
    m_start = new QPushButton(tr("开始"), this);
    m_start->setDefault(true);
    m_stop = new QPushButton(tr("结束"), this);
    top->addWidget(m_start);
    top->addWidget(m_stop);
    layout->addLayout(top);

    m_list = new QTableWidget(this);
    setUpReportList(m_list, kColumns);
    layout->addWidget(m_list, 1);
    m_status = new StatusLine(this);
    layout->addWidget(m_status);
    resize(m_list->minimumWidth() + 24, 320);

    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &ipAddrReport::showChangedRows);
    connect(m_start, &QPushButton::clicked, this, &ipAddrReport::startListening);
    connect(m_stop, &QPushButton::clicked, this, &ipAddrReport::stopListening);
    m_export = new QAction(tr("导出报告列表(CSV)..."), this);
    addAction(m_export);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_export, &QAction::triggered, this, &ipAddrReport::exportReports);

    // The port listened on last time, so that the window is ready for the same gateways.
    m_listenPort = Settings::reportPort().value_or(kDefaultPort);
    m_port->setText(QString::number(m_listenPort));
    setIdle(true);
}

ipAddrReport::~ipAddrReport() {
    shutDown();
}

bool ipAddrReport::listening() const {
    return m_listener && m_listener->listening();
}

std::size_t ipAddrReport::datagramsReceived() const {
    return m_listener ? m_listener->datagramsReceived() : 0;
}

bool ipAddrReport::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_port && event->type() == QEvent::FocusOut && !m_checking) checkPort();
    return QDialog::eventFilter(watched, event);
}

bool ipAddrReport::checkPort() {
    if (m_checking) return false;
    m_checking = true;  // the message box takes the focus: no second check from that
    const std::string text = m_port->text().toStdString();
    // Anything but digits has its own message; digits (or nothing) out of range get 199.
    const bool digitsOnly = text.empty() || allDigits(text);
    bool valid = false;
    if (!digitsOnly) {
        MessageBox::show(this, 200, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
    } else if (const std::optional<std::int32_t> port = typedNumber(text, kPortRange)) {
        m_listenPort = static_cast<std::uint16_t>(*port);
        valid = true;
    } else {
        MessageBox::show(this, kTextOutOfRange, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
    }
    if (!valid) m_port->setText(QString::number(m_listenPort));
    m_checking = false;
    return valid;
}

void ipAddrReport::setIdle(bool idle) {
    m_start->setEnabled(idle);
    m_port->setEnabled(idle);
    m_stop->setEnabled(!idle);
}

void ipAddrReport::startListening() {
    // Enter starts without the edit losing the focus: check what it shows first, so that the
    // window never listens on another port than the one it shows.
    if (m_port->text() != QString::number(m_listenPort) && !checkPort()) return;
    m_list->setRowCount(0);
    for (auto& changed : m_changed) changed = false;
    m_anyChanged = false;
    m_notListed = 0;
    setIdle(false);
    if (!m_listener) {
        m_listener = std::make_unique<ReportListener>(
            // Runs for every datagram: no event, no copy, only a mark.
            [this](std::size_t index, const ReportRecord&) {
                if (index >= m_changed.size()) return;
                m_changed[index].store(true, std::memory_order_relaxed);
                m_anyChanged.store(true, std::memory_order_release);
            },
            [this] {
                QMetaObject::invokeMethod(
                    this, [this] { listenerStopped(); }, Qt::QueuedConnection);
            },
            m_session.network.localAddress);
    }
    platform::SystemError failure;
    if (m_listener->start(m_listenPort, nullptr, &failure)) {
        m_refresh.start();
        Settings::setReportPort(m_listenPort);
        m_wasListening = true;
        m_status->listening(m_listenPort);
    } else {
        setIdle(true);  // e.g. the port is in use: said on the status line, no message box
        if (failure.addressInUse())
            m_status->portBusy(m_listenPort);
        else
            m_status->cannotListen(m_listenPort);
    }
}

void ipAddrReport::showChangedRows() {
    if (!m_listener) return;
    // Devices beyond the list's limit are not lost without a word.
    if (const std::size_t unlisted = m_listener->devicesNotListed(); unlisted != m_notListed) {
        m_notListed = unlisted;
        if (unlisted > 0) m_status->devicesNotListed(unlisted);
    }
    if (!m_anyChanged.exchange(false, std::memory_order_acquire)) return;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < m_changed.size(); ++i)
        if (m_changed[i].exchange(false, std::memory_order_relaxed)) rows.push_back(i);
    // The table is newer than the marks read above; a row marked again meanwhile is only
    // shown once more at the next refresh.
    const std::vector<ReportRecord> table = m_listener->snapshot();
    for (const std::size_t i : rows)
        if (i < table.size()) showRow(i, table[i]);
}

void ipAddrReport::listenerStopped() {
    m_refresh.stop();
    showChangedRows();  // the last reports before the stop
    setIdle(true);
    // A start that failed also ends here; its reason stays on the line.
    if (m_wasListening && !listening()) {
        m_wasListening = false;
        m_status->listenerStopped();
    }
}

void ipAddrReport::stopListening() {
    if (m_listener) m_listener->stop();
}

void ipAddrReport::exportReports() {
    // The listener's own table: complete even while rows wait for the next refresh.
    const std::vector<ReportRecord> rows =
        m_listener ? m_listener->snapshot() : std::vector<ReportRecord>{};
    exportCsv(this, QStringLiteral("reports.csv"), reportTableCsv(rows, m_session.lang));
}

void ipAddrReport::showRow(std::size_t index, const ReportRecord& record) {
    setReportRow(
        m_list, static_cast<int>(index),
        {fromGbk(record.row), fromGbk(record.name), fromGbk(record.ip), fromGbk(record.mac),
         fromGbk(record.count), fromGbk(record.previous), fromGbk(record.latest)});
}

void ipAddrReport::shutDown() {
    // Stops the thread and waits for it; row updates still queued die with this window.
    m_listener.reset();
    m_refresh.stop();
}

void ipAddrReport::done(int result) {
    shutDown();
    setIdle(true);
    QDialog::done(result);
}

}  // namespace kvt::gui
