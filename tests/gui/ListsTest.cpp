// The device list and the report list: their export to CSV files (chosen through the file
// dialog's hook) and the last column that takes the width the window gives.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "core/net/Socket.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/MessageBox.h"
#include "gui/discovery/ipAddrReport.h"
#include "gui/files/FileDialog.h"
#include "gui/widgets/ReportList.h"
#include "support/ReportDatagram.h"

using namespace kvt;
using namespace kvt::gui;

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A gateway and another product's device, as a search lists them.
std::vector<CEquipment> twoDevices() {
    CEquipment gateway;
    gateway.rowNumber = " 1";
    gateway.name = gbk("装配线,二");  // a comma: the field is quoted
    gateway.ipAddress = "10.9.0.40";
    gateway.macAddress = "02-00-00-00-00-02";
    gateway.firmwareVersion = "1.10";
    gateway.userPasswordSet = true;
    gateway.adminPasswordSet = false;
    gateway.remoteConfig = RemoteConfig::Allowed;
    gateway.interfaceName = "eth9";
    CEquipment other;
    other.rowNumber = " 2";
    other.name = uiText(8001);
    other.productCode = 0x123456;  // another product
    other.ipAddress = "10.9.0.41";
    other.macAddress = "02-00-00-00-00-03";
    other.firmwareVersion = "2.0";
    other.userPasswordSet = false;
    other.adminPasswordSet = false;
    other.remoteConfig = RemoteConfig::Forbidden;
    return {gateway, other};
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of a CSV file after its byte order mark; empty when the mark is missing.
QString headers(const QTableWidget* list) {
    QStringList texts;
    for (int c = 0; c < list->columnCount(); ++c) texts << list->horizontalHeaderItem(c)->text();
    return texts.join(QLatin1Char(','));
}

QStringList csvLines(const QByteArray& bytes) {
    if (!bytes.startsWith("\xEF\xBB\xBF")) return {};
    QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QString cell(const QTableWidget* list, int row, int column) {
    const QTableWidgetItem* item = list->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

class ListsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    Session m_session = test::loopbackSession();

    // A report window listening on `port` that has heard Line-1 twice and Line-2 once.
    void fillReports(ipAddrReport& window, std::uint16_t port) {
        window.portEdit()->setText(QString::number(port));
        QVERIFY(window.checkPort());
        window.startButton()->click();
        QTRY_VERIFY(window.listening());
        UdpSocket sender;
        const auto send = [&](std::uint8_t mac, std::uint8_t host, const char* name) {
            QVERIFY(sender.sendTo(test::reportDatagram(mac, {192, 168, 1, host}, name),
                                  m_session.network.localAddress, port));
        };
        send(1, 21, "Line-1");
        send(2, 22, "Line-2");
        send(1, 21, "Line-1");
        QTRY_COMPARE(window.reportList()->rowCount(), 2);
        QTRY_COMPARE(cell(window.reportList(), 0, 4).trimmed(), QStringLiteral("2"));
    }

private slots:
    void init() {
        test::clearSettings();
        FileDialog::resetHook();
        QDir(m_folder.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_folder.path()));
        m_session.lang = Lang::Zh;
        m_session.devices.clear();
    }

    // Headers in the interface's language, reading as the list's columns; the devices' values
    // as the table holds them.
    void deviceListExports_data() {
        QTest::addColumn<bool>("english");
        QTest::newRow("zh") << false;
        QTest::newRow("en") << true;
    }
    void deviceListExports() {
        QFETCH(bool, english);
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        m_session.lang = english ? Lang::En : Lang::Zh;
        m_session.devices = twoDevices();
        CRQ_880Dlg window(m_session);
        window.showDevices();
        // In the window's menu, where the right mouse button finds it.
        QVERIFY(window.actions().contains(window.exportAction()));
        QCOMPARE(window.contextMenuPolicy(), Qt::ActionsContextMenu);
        const QString path = m_folder.filePath(QStringLiteral("devices.csv"));
        FileDialog::setNextFileName(path);
        MessageBoxRecorder boxes;
        window.exportAction()->trigger();
        QCOMPARE(FileDialog::requests(), 1);
        QVERIFY(boxes.shown().empty());
        const QStringList lines = csvLines(readAll(path));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], headers(window.deviceList()) +
                               (english ? u(",Admin password,Remote configuration,Interface")
                                        : u(",管理员密码,远程配置,网络接口")));
        QCOMPARE(lines[1], u("1,\"装配线,二\",KVT-275R,10.9.0.40,02-00-00-00-00-02,1.10,有,无,"
                             "允许远程配置,eth9"));
        QCOMPARE(lines[2],
                 u("2,不支持设备,其它设备,10.9.0.41,02-00-00-00-00-03,2.0,无,无,禁止远程配置,"));
    }

    // The list's headers, the rows as the list shows them.
    void reportListExportsWhatItShows_data() { deviceListExports_data(); }
    void reportListExportsWhatItShows() {
        QFETCH(bool, english);
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        m_session.lang = english ? Lang::En : Lang::Zh;
        ipAddrReport window(m_session);
        fillReports(window, 16840);
        QVERIFY(window.actions().contains(window.exportAction()));
        QCOMPARE(window.contextMenuPolicy(), Qt::ActionsContextMenu);
        const QString path = m_folder.filePath(QStringLiteral("reports.csv"));
        FileDialog::setNextFileName(path);
        window.exportAction()->trigger();
        const QStringList lines = csvLines(readAll(path));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], headers(window.reportList()));
        QCOMPARE(lines[0].section(QLatin1Char(','), 2, 2), english ? u("IP Address") : u("IP地址"));
        // Row for row and column for column what the list shows, without its padding.
        const QTableWidget* list = window.reportList();
        for (int r = 0; r < 2; ++r) {
            QStringList shown;
            for (int c = 0; c < list->columnCount(); ++c) shown << cell(list, r, c).trimmed();
            QCOMPARE(lines[r + 1], shown.join(QLatin1Char(',')));
        }
        QVERIFY(lines[1].startsWith(QStringLiteral("1,Line-1,192.168.1.21,")));
        window.reject();
    }

    void failedOrCancelledExport_data() {
        QTest::addColumn<bool>("reports");  // the report list, else the device list
        QTest::addColumn<QString>("name");  // empty: the dialog was cancelled
        QTest::addColumn<bool>("told");
        QTest::newRow("device list into a missing folder") << false << "missing/d.csv" << true;
        QTest::newRow("report list, dialog cancelled") << true << "" << false;
    }
    void failedOrCancelledExport() {
        QFETCH(bool, reports);
        QFETCH(QString, name);
        QFETCH(bool, told);
        m_session.devices = twoDevices();
        CRQ_880Dlg main(m_session);
        main.showDevices();
        ipAddrReport report(m_session);
        FileDialog::setNextFileName(name.isEmpty() ? QString() : m_folder.filePath(name));
        MessageBoxRecorder boxes;
        (reports ? report.exportAction() : main.exportAction())->trigger();
        QCOMPARE(FileDialog::requests(), 1);
        QCOMPARE(boxes.ids(),
                 told ? std::vector<std::uint32_t>{kMsgSaveFailed} : std::vector<std::uint32_t>{});
        QCOMPARE(QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{});
    }

    // The last column fills the list however wide the window is made; the others keep
    // their widths.
    void lastColumnTakesTheWindowsWidth_data() {
        QTest::addColumn<bool>("reports");
        QTest::newRow("device list") << false;
        QTest::newRow("report list") << true;
    }
    void lastColumnTakesTheWindowsWidth() {
        QFETCH(bool, reports);
        std::unique_ptr<QDialog> window;
        QTableWidget* list = nullptr;
        if (reports) {
            auto* w = new ipAddrReport(m_session);
            list = w->reportList();
            window.reset(w);
        } else {
            auto* w = new CRQ_880Dlg(m_session);
            list = w->deviceList();
            window.reset(w);
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const int last = list->columnCount() - 1;
        const int first = list->columnWidth(0);
        for (const int extra : {0, 300, 700}) {
            window->resize(window->sizeHint().width() + extra, window->height());
            QTRY_COMPARE(list->horizontalHeader()->length(), list->viewport()->width());
            QCOMPARE(list->columnWidth(0), first);
        }
        QVERIFY(list->columnWidth(last) > 700);
    }
};

QTEST_MAIN(ListsTest)
#include "ListsTest.moc"
