#include "gui/device/EnipCheck.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/text/Gbk.h"
#include "gui/base/Texts.h"
#include "gui/widgets/StatusLine.h"

namespace kvt::gui {
namespace {

// How long the status line waits for a reset gateway to come up, as the CLI's --enip-timeout.
constexpr std::chrono::seconds kFollowLimit{30};

QString roleText(enip::AssemblyRole role) {
    switch (role) {
        case enip::AssemblyRole::Input:
            return EnipCheckWindow::tr("输入");
        case enip::AssemblyRole::Output:
            return EnipCheckWindow::tr("输出");
        case enip::AssemblyRole::Configuration:
            return EnipCheckWindow::tr("配置");
    }
    return {};
}

QString verdictText(enip::SizeVerdict verdict) {
    switch (verdict) {
        case enip::SizeVerdict::Match:
            return EnipCheckWindow::tr("一致");
        case enip::SizeVerdict::Mismatch:
            return EnipCheckWindow::tr("不符");
        case enip::SizeVerdict::NotSupported:
            return EnipCheckWindow::tr("不支持");
        case enip::SizeVerdict::NotCompared:
            return EnipCheckWindow::tr("未比较");
    }
    return {};
}

}  // namespace

EnipCheckRunner::~EnipCheckRunner() {
    m_cancel.cancel();
    if (m_worker.joinable()) m_worker.join();
}

void EnipCheckRunner::start(enip::Target target, std::optional<CConfiguration> configuration,
                            std::chrono::milliseconds waitLimit) {
    static const int registered = qRegisterMetaType<kvt::enip::EnipCheck>();
    (void)registered;
    QPointer<EnipCheckRunner> self(this);
    m_worker = std::thread([this, self, target = std::move(target),
                            configuration = std::move(configuration), waitLimit] {
        const enip::EnipCheck check = enip::checkEnipWhenUp(
            target, configuration ? &*configuration : nullptr, waitLimit, &m_cancel);
        if (m_cancel.cancelled()) return;  // the runner is going away
        QMetaObject::invokeMethod(
            this,
            [self, check] {
                if (self) emit self->finished(check);
            },
            Qt::QueuedConnection);
    });
}

QString enipStatusText(const enip::EnipCheck& check, std::chrono::seconds waited) {
    const QString address = QString::fromStdString(check.address);
    switch (check.status) {
        case enip::EnipCheck::Status::NoAnswer:
            return EnipCheckWindow::tr("设备未在 %1 上线：%2 秒内无 EtherNet/IP 应答")
                .arg(address)
                .arg(waited.count());
        case enip::EnipCheck::Status::SessionFailed:
            return EnipCheckWindow::tr("设备已在 %1 上线，但 EtherNet/IP 会话失败").arg(address);
        case enip::EnipCheck::Status::Checked:
            break;
    }
    QStringList differing;
    for (const enip::AssemblyCheck& a : check.assemblies) {
        if (a.verdict != enip::SizeVerdict::Mismatch) continue;
        differing << EnipCheckWindow::tr("实例 %1 应为 %2 字节，设备报告 %3")
                         .arg(a.expected.instance)
                         .arg(a.expected.bytes)
                         .arg(a.reported.value_or(0));
    }
    if (differing.isEmpty())
        return EnipCheckWindow::tr("设备已在 %1 上线，EtherNet/IP 正常").arg(address);
    return EnipCheckWindow::tr("设备已在 %1 上线，EtherNet/IP 组件大小不符：%2")
        .arg(address, differing.join(EnipCheckWindow::tr("；")));
}

void followDeviceOnEnip(StatusLine* line, const NetworkOptions& network,
                        const std::string& oldAddress, const CConfiguration& written,
                        ConfigKind kind) {
    if (!line) return;
    // A static address takes effect at the reset; with DHCP or BOOTP the server decides, and
    // the device is looked for where it was.
    const std::string writtenAddress = gbkToUtf8(written.ethernet.ipAddress);
    enip::Target target;
    target.address =
        written.ethernet.ipMethod == 0 && !writtenAddress.empty() ? writtenAddress : oldAddress;
    target.port = network.enipPort;
    target.localAddress = network.localAddress;
    // What the download ended with stays in front: verified or not, reset.
    line->showMessage(EnipCheckWindow::tr("%1；正在等待设备在 %2 上线…")
                          .arg(line->message(), QString::fromStdString(target.address)));
    auto* runner = new EnipCheckRunner(line);
    QObject::connect(runner, &EnipCheckRunner::finished, line,
                     [line, runner](const enip::EnipCheck& check) {
                         line->showMessage(enipStatusText(check, kFollowLimit));
                         runner->deleteLater();
                     });
    runner->start(target, kind == kBackgroundConfig ? std::optional(written) : std::nullopt,
                  kFollowLimit);
}

EnipCheckWindow::EnipCheckWindow(const NetworkOptions& network, const QString& address,
                                 QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("EtherNet/IP 检查"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(tr("正在询问 %1…").arg(address), this);
    m_summary->setWordWrap(true);
    m_identity = new QLabel(this);
    m_identity->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_table = new QTableWidget(0, 4, this);
    m_table->setHorizontalHeaderLabels({tr("实例"), tr("类型"), tr("大小(字节)"), tr("结果")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* close = new QPushButton(tr("关闭"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(m_summary);
    layout->addWidget(m_identity);
    layout->addWidget(m_table);
    layout->addWidget(close, 0, Qt::AlignRight);

    enip::Target target;
    target.address = address.toStdString();
    target.port = network.enipPort;
    target.localAddress = network.localAddress;
    m_runner = new EnipCheckRunner(this);
    connect(m_runner, &EnipCheckRunner::finished, this,
            [this](const enip::EnipCheck& check) { showResult(check); });
    m_runner->start(target, std::nullopt, target.timeout);
}

void EnipCheckWindow::showResult(const enip::EnipCheck& check) {
    m_summary->setText(check.answered()
                           ? tr("%1 应答 EtherNet/IP").arg(QString::fromStdString(check.address))
                           : enipStatusText(check, std::chrono::seconds(2)));
    if (check.identity) {
        const enip::Identity& id = *check.identity;
        m_identity->setText(tr("名称 %1，厂商 %2，设备类型 %3，产品代码 %4，版本 %5.%6，序列号 %7")
                                .arg(fromGbk(id.productName))
                                .arg(id.vendorId)
                                .arg(id.deviceType)
                                .arg(id.productCode)
                                .arg(id.revisionMajor)
                                .arg(id.revisionMinor)
                                .arg(id.serial));
    }
    m_table->setRowCount(static_cast<int>(check.assemblies.size()));
    int row = 0;
    for (const enip::AssemblyCheck& a : check.assemblies) {
        const QString size = a.reported ? QString::number(*a.reported) : QStringLiteral("-");
        const QString verdict =
            verdictText(a.verdict) +
            (a.detail.empty() ? QString()
                              : QStringLiteral(" (%1)").arg(QString::fromStdString(a.detail)));
        const QString cells[] = {QString::number(a.expected.instance), roleText(a.expected.role),
                                 size, verdict};
        for (int c = 0; c < 4; ++c) m_table->setItem(row, c, new QTableWidgetItem(cells[c]));
        ++row;
    }
}

void addEnipCheckMenu(QTableWidget* list, const Session& session,
                      const std::function<void(int)>& select) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, list,
                     [list, &session, select](const QPoint& at) {
                         const int row = list->rowAt(at.y());
                         if (row < 0 || row >= static_cast<int>(session.devices.size())) return;
                         // What the menu acts on is what the list highlights.
                         list->selectRow(row);
                         select(row);
                         const QString address =
                             fromGbk(session.devices[static_cast<std::size_t>(row)].ipAddress);
                         QMenu menu(list);
                         QAction* check = menu.addAction(EnipCheckWindow::tr("EtherNet/IP 检查"));
                         if (menu.exec(list->viewport()->mapToGlobal(at)) != check) return;
                         auto* window =
                             new EnipCheckWindow(session.network, address, list->window());
                         window->show();
                     });
}

}  // namespace kvt::gui
