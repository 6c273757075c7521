// The main window driven as a user would: button states, searches against simulated gateways,
// the selection rule, search by IP and the hand-over to the configuration flows.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTableWidget>
#include <QTest>
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "EditorTestSupport.h"
#include "GuiTestSupport.h"
#include "core/device/Messages.h"
#include "core/net/Socket.h"
#include "core/text/UiText.h"
#include "gui/app/CAboutDlg.h"
#include "gui/app/CRQ_880App.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/MessageBox.h"
#include "gui/base/Texts.h"
#include "gui/device/ConfigurationActions.h"
#include "gui/device/ConfigurationFlows.h"
#include "gui/discovery/CAppointIpAddr.h"
#include "gui/discovery/CWait.h"
#include "gui/discovery/InterfaceChoice.h"
#include "gui/editor/CMyPropertySheet.h"
#include "gui/widgets/Ipv4Edit.h"
#include "gui/widgets/ReportList.h"
#include "gui/widgets/StatusLine.h"

using namespace kvt;
using namespace kvt::gui;
using kvt::test::loopbackHost;

namespace {

struct RecordingActions : ConfigurationActions {
    QStringList calls;
    void userConfiguration() override { calls << QStringLiteral("user"); }
    void backgroundConfiguration() override { calls << QStringLiteral("background"); }
    void newConfiguration() override { calls << QStringLiteral("new"); }
    void openFile() override { calls << QStringLiteral("open"); }
    void saveFile() override { calls << QStringLiteral("save"); }
};

// Stands where the gateways' discovery responders would and notes when each query arrives,
// without ever answering.
class QueryClock {
public:
    QueryClock(const std::string& address, std::uint16_t port) {
        m_bound = m_socket.setReceiveTimeout(std::chrono::milliseconds(20)) &&
                  m_socket.bind(address, port);
        if (m_bound) m_thread = std::thread([this] { listen(); });
    }
    ~QueryClock() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    bool bound() const { return m_bound; }
    std::vector<std::chrono::steady_clock::time_point> arrivals() const {
        std::lock_guard lock(m_mutex);
        return m_arrivals;
    }

private:
    void listen() {
        std::array<std::uint8_t, 64> buffer{};
        while (!m_stop) {
            if (m_socket.receive(buffer) < 0) continue;
            const auto now = std::chrono::steady_clock::now();
            std::lock_guard lock(m_mutex);
            m_arrivals.push_back(now);
        }
    }

    UdpSocket m_socket;
    bool m_bound = false;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::chrono::steady_clock::time_point> m_arrivals;
    std::thread m_thread;
};

long msBetween(std::chrono::steady_clock::time_point from,
               std::chrono::steady_clock::time_point to) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

// Interfaces of a made-up PC (tests never send from the real ones).
std::vector<NetInterface> twoInterfaces() {
    return {{"eth9", "10.9.0.2", 24, "10.9.0.255"},
            {"wlan7", "192.168.77.5", 16, "192.168.255.255"}};
}

// The tool's own settings file, in the test's settings folder.
QSettings toolSettings() {
    return QSettings(QStringLiteral("kvt640"), QStringLiteral("kvt640"));
}

QString cell(const QTableWidget* list, int row, int column) {
    const QTableWidgetItem* item = list->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    // A window on a fresh session pointed at this process's loopback block.
    struct Fixture {
        Session session = test::loopbackSession();
        std::unique_ptr<CRQ_880Dlg> window;
        RecordingActions actions;
        Fixture() {
            window = std::make_unique<CRQ_880Dlg>(session);
            window->setConfigurationActions(&actions);
            window->show();
        }
    };

    // Three gateways, one of another product, on hosts 2..4; discovery on host 1.
    std::unique_ptr<sim::Simulator> threeDevices() {
        sim::DeviceSetup plain = test::simDevice(2, "alpha");
        sim::DeviceSetup foreign = test::simDevice(3, "beta");
        foreign.productCode = 0x010203;
        sim::DeviceSetup locked = test::simDevice(4, "gamma");
        locked.userPassword = "1234";
        locked.firmwareMinor = 10;
        std::string error;
        auto sim = test::startSimulator({plain, foreign, locked}, 1, &error);
        if (!sim) qWarning("simulator: %s", error.c_str());
        return sim;
    }

    void click(CRQ_880Dlg& window, int row) {
        QTableWidget* list = window.deviceList();
        const QRect rect = list->visualRect(list->model()->index(row, 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void doubleClick(CRQ_880Dlg& window, int row) {
        QTableWidget* list = window.deviceList();
        const QRect rect = list->visualRect(list->model()->index(row, 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    static bool configEnabled(const CRQ_880Dlg& w) {
        const bool user = w.userConfigButton()->isEnabled();
        const bool background = w.backgroundConfigButton()->isEnabled();
        const bool save = w.saveButton()->isEnabled();
        // The three always move together.
        if (user != background || user != save) qWarning("configuration buttons disagree");
        return user && background && save;
    }

private slots:
    // The selection rule as the session keeps it; the clicks that reach it are below.
    void sessionSelectionRule() {
        const auto device = [](std::uint32_t product, bool userSet, bool adminSet, const char* ip) {
            CEquipment record;
            record.productCode = product;
            record.userPasswordSet = userSet;
            record.adminPasswordSet = adminSet;
            record.ipAddress = ip;
            return record;
        };
        Session session;
        session.devices = {device(kProductKvt275r, true, false, "127.0.0.2"),
                           device(7, false, false, "127.0.0.3"),
                           device(kProductKvt275r, false, true, "127.0.0.4")};

        QCOMPARE(session.selectRow(-1), Session::Selection::None);
        QCOMPARE(session.selectedIndex, -1);

        QCOMPARE(session.selectRow(0), Session::Selection::Supported);
        QCOMPARE(session.selectedIndex, 0);
        QVERIFY(session.selectedDevice() != nullptr);
        QVERIFY(session.selectedDevice()->passwordSet(kUserConfig));
        QVERIFY(!session.selectedDevice()->passwordSet(kBackgroundConfig));
        QCOMPARE(session.selectedDevice()->ipAddress, Gbk("127.0.0.2"));

        // Another product: the buttons go off but the index keeps its value.
        QCOMPARE(session.selectRow(1), Session::Selection::OtherProduct);
        QCOMPARE(session.selectedIndex, 0);

        QCOMPARE(session.selectRow(2), Session::Selection::Supported);
        QVERIFY(!session.selectedDevice()->passwordSet(kUserConfig));
        QVERIFY(session.selectedDevice()->passwordSet(kBackgroundConfig));
        QCOMPARE(session.target().device->ipAddress, Gbk("127.0.0.4"));

        session.clearSelection();
        QCOMPARE(session.selectedIndex, -1);
        QCOMPARE(session.selectedDevice(), nullptr);
        QVERIFY(!session.target().device);
    }

    // Every test starts as on a PC where the tool never ran.
    void init() { test::clearSettings(); }

    void opensWithTheTableTextsAndStates() {
        Fixture f;
        CRQ_880Dlg& w = *f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("KVT-640"));
        const std::vector<std::pair<QPushButton*, std::uint32_t>> buttons = {
            {w.searchButton(), 4177},     {w.searchByIpButton(), 4178},
            {w.userConfigButton(), 4179}, {w.backgroundConfigButton(), 4180},
            {w.reportButton(), 4181},     {w.newButton(), 4189},
            {w.openButton(), 4184},       {w.saveButton(), 4185},
            {w.exitButton(), 4186}};
        for (const auto& [button, text] : buttons) QCOMPARE(button->text(), uiString(text));
        QCOMPARE(w.exitButton()->text(), QStringLiteral("退出"));
        QVERIFY(w.searchButton()->isEnabled());
        QVERIFY(w.searchByIpButton()->isEnabled());
        QVERIFY(w.reportButton()->isEnabled());
        QVERIFY(w.newButton()->isEnabled());
        QVERIFY(w.openButton()->isEnabled());
        QVERIFY(!w.userConfigButton()->isEnabled());
        QVERIFY(!w.backgroundConfigButton()->isEnabled());
        QVERIFY(!w.saveButton()->isEnabled());

        const QTableWidget* list = w.deviceList();
        const int widths[] = {40, 75, 75, 95, 115, 60, 60};
        QCOMPARE(list->columnCount(), 7);
        for (int c = 0; c < 7; ++c) {
            QCOMPARE(list->horizontalHeaderItem(c)->text(),
                     uiString(4001 + static_cast<unsigned>(c)));
            // The last column also takes the width the window gives beyond the others.
            if (c < 6)
                QCOMPARE(list->columnWidth(c), scaledColumnWidth(list, widths[c]));
            else
                QVERIFY(list->columnWidth(c) >= scaledColumnWidth(list, widths[c]));
            QVERIFY(list->columnWidth(c) >= widths[c]);
        }
        // A MAC address is never cut off, whatever the font.
        QVERIFY(list->fontMetrics().horizontalAdvance(QStringLiteral("02-00-00-00-00-02")) <
                list->columnWidth(4) - 6);
        QCOMPARE(list->rowCount(), 0);
        QVERIFY(list->showGrid());
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);

        QCOMPARE(f.session.selectedIndex, -1);
        QVERIFY(!f.session.selectedDevice());
        QVERIFY(f.session.config != nullptr);
    }

    void searchListsDevicesAndTheSelectionRuleHolds() {
        auto sim = threeDevices();
        QVERIFY(sim);
        Fixture f;
        CRQ_880Dlg& w = *f.window;
        QElapsedTimer clock;
        clock.start();
        w.searchButton()->click();
        QVERIFY(clock.elapsed() < 3000);
        QCOMPARE(sim->discoveryQueries(), std::size_t{1});
        QVERIFY(w.searchButton()->isEnabled());

        const QTableWidget* list = w.deviceList();
        QCOMPARE(list->rowCount(), 3);
        QCOMPARE(cell(list, 0, 0), QStringLiteral(" 1"));
        QCOMPARE(cell(list, 1, 0), QStringLiteral(" 2"));
        QCOMPARE(cell(list, 2, 0), QStringLiteral(" 3"));
        QCOMPARE(cell(list, 0, 1), QStringLiteral("alpha"));
        QCOMPARE(cell(list, 0, 2), QStringLiteral("KVT-275R"));
        QCOMPARE(cell(list, 0, 3), QString::fromStdString(loopbackHost(2)));
        QCOMPARE(cell(list, 0, 4), QStringLiteral("02-00-00-00-00-02"));
        QCOMPARE(cell(list, 0, 5), QStringLiteral("1.0"));
        QCOMPARE(cell(list, 0, 6), QStringLiteral("无"));
        QCOMPARE(cell(list, 1, 1), QStringLiteral("不支持设备"));
        QCOMPARE(cell(list, 1, 2), QStringLiteral("其它设备"));
        QCOMPARE(cell(list, 2, 5), QStringLiteral("1.10"));
        QCOMPARE(cell(list, 2, 6), QStringLiteral("有"));
        QCOMPARE(list->item(0, 3)->textAlignment(), int(Qt::AlignCenter));

        // After a search nothing is selected.
        QVERIFY(!configEnabled(w));
        QCOMPARE(f.session.selectedIndex, -1);

        // A supported device.
        click(w, 2);
        QVERIFY(configEnabled(w));
        QCOMPARE(f.session.selectedIndex, 2);
        QVERIFY(f.session.selectedDevice()->passwordSet(kUserConfig));
        QCOMPARE(f.session.selectedDevice()->ipAddress, loopbackHost(4));

        // Empty space below the rows changes nothing.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          QPoint(10, list->viewport()->height() - 5));
        QVERIFY(configEnabled(w));
        QCOMPARE(f.session.selectedIndex, 2);

        // Another product: disabled, the index keeps its value.
        click(w, 1);
        QVERIFY(!configEnabled(w));
        QCOMPARE(f.session.selectedIndex, 2);
        click(w, 0);
        QVERIFY(configEnabled(w));
        QVERIFY(!f.session.selectedDevice()->passwordSet(kUserConfig));

        // A new search clears the selection again.
        w.searchButton()->click();
        QCOMPARE(list->rowCount(), 3);
        QVERIFY(!configEnabled(w));
        QCOMPARE(f.session.selectedIndex, -1);
    }

    void buttonsAndDoubleClickHandOverToTheFlows() {
        auto sim = threeDevices();
        QVERIFY(sim);
        Fixture f;
        CRQ_880Dlg& w = *f.window;
        w.searchButton()->click();
        QCOMPARE(w.deviceList()->rowCount(), 3);

        // Disabled buttons hand over nothing.
        w.userConfigButton()->click();
        w.saveButton()->click();
        QVERIFY(f.actions.calls.isEmpty());

        doubleClick(w, 0);
        QCOMPARE(f.actions.calls, QStringList{QStringLiteral("user")});
        f.actions.calls.clear();
        // A double-click on another product's row must not configure the earlier device.
        doubleClick(w, 1);
        QVERIFY(f.actions.calls.isEmpty());
        QVERIFY(!configEnabled(w));

        click(w, 2);
        w.userConfigButton()->click();
        w.backgroundConfigButton()->click();
        w.newButton()->click();
        w.openButton()->click();
        w.saveButton()->click();
        QCOMPARE(f.actions.calls, (QStringList{QStringLiteral("user"), QStringLiteral("background"),
                                               QStringLiteral("new"), QStringLiteral("open"),
                                               QStringLiteral("save")}));

        // Without flows the buttons do nothing (and nothing breaks).
        w.setConfigurationActions(nullptr);
        w.userConfigButton()->click();
        doubleClick(w, 0);
        QCOMPARE(f.actions.calls.size(), 5);
    }

    // The highlight is the device the buttons act on: a row made current by the keyboard is
    // selected as a click selects it, one row is highlighted at a time, Enter configures like
    // a double-click, Tab leaves the list. The read goes to the highlighted device (the
    // simulator's requests say which) and the sheet names it.
    void keyboardSelectsTheDeviceTheButtonsActOn() {
        auto sim = threeDevices();
        QVERIFY(sim);
        Fixture f;
        CRQ_880Dlg& w = *f.window;
        ConfigurationFlows flows(f.session, &w);
        w.setConfigurationActions(&flows);
        w.searchButton()->click();
        QCOMPARE(w.deviceList()->rowCount(), 3);
        QTableWidget* list = w.deviceList();

        click(w, 2);
        const QRect first = list->visualRect(list->model()->index(0, 2));
        // Ctrl-clicks neither add a row nor take the highlight off the one clicked.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, first.center());
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, first.center());
        const QModelIndexList highlighted = list->selectionModel()->selectedRows();
        QCOMPARE(highlighted.size(), 1);
        QCOMPARE(highlighted[0].row(), 0);
        QCOMPARE(f.session.selectedIndex, 0);

        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);  // another product: disabled, the index stays
        QCOMPARE(list->currentRow(), 1);
        QVERIFY(!configEnabled(w));
        QCOMPARE(f.session.selectedIndex, 0);
        QTest::keyClick(list, Qt::Key_End);
        QVERIFY(configEnabled(w));
        QCOMPARE(f.session.selectedIndex, 2);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(f.session.selectedIndex, 0);
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);

        const auto reads = [&sim](std::size_t device) {
            const std::vector<Bytes> sent = sim->requests(device);
            return std::count(sent.begin(), sent.end(), readRequest(kUserConfig));
        };
        QStringList captions;
        const test::ModalWatch<CMyPropertySheet> sheets([&captions](CMyPropertySheet* sheet) {
            captions << sheet->windowTitle();
            sheet->reject();
        });
        w.userConfigButton()->click();
        QTest::keyClick(list, Qt::Key_Return);
        const QString alpha = QStringLiteral("用户参数配置 - alpha (%1)")
                                  .arg(QString::fromStdString(loopbackHost(2)));
        QCOMPARE(captions, (QStringList{alpha, alpha}));
        QCOMPARE(reads(0), 2);
        QCOMPARE(reads(2), 0);

        list->setFocus();
        QTest::keyClick(list, Qt::Key_Tab);
        QVERIFY(!list->hasFocus());
        QCOMPARE(f.session.selectedIndex, 0);
    }

    // A gateway without an address yet (0.0.0.0) is never selected: a connect there would
    // reach this PC. The buttons say why.
    void rowWithoutAnAddressIsNotConnectedTo() {
        Fixture f;
        CRQ_880Dlg& w = *f.window;
        CEquipment blank;
        blank.name = "new";
        blank.ipAddress = "0.0.0.0";
        CEquipment plain = blank;
        plain.ipAddress = loopbackHost(2);
        f.session.devices = {plain, blank};
        w.showDevices();
        click(w, 0);
        QVERIFY(configEnabled(w));
        click(w, 1);
        QVERIFY(!configEnabled(w));
        QCOMPARE(f.session.selectedIndex, 0);
        QVERIFY(w.userConfigButton()->toolTip().contains(QStringLiteral("0.0.0.0")));
        QCOMPARE(w.statusLine()->message(), w.userConfigButton()->toolTip());
        doubleClick(w, 1);
        QVERIFY(f.actions.calls.isEmpty());
        // Whatever set the index, no flow is handed the device.
        f.session.selectedIndex = 1;
        QVERIFY(f.session.selectedDevice() == nullptr);
    }

    // A search whose local port another program holds says so: not "no device found".
    void busyLocalPortIsSaidOnTheStatusLine() {
        Fixture f;
        CRQ_880Dlg& w = *f.window;
        UdpSocket occupant;
        QVERIFY(occupant.bind(f.session.network.localAddress, f.session.network.localPort));
        const QString busy =
            QStringLiteral("本地端口 %1 已被占用，无法搜索").arg(f.session.network.localPort);
        w.searchButton()->click();
        QCOMPARE(w.statusLine()->message(), busy);
        QVERIFY(w.searchButton()->isEnabled());
        w.statusLine()->showMessage(QString());
        test::whenModal<CAppointIpAddr>([](CAppointIpAddr* d) {
            d->addressEdit()->setText(QString::fromStdString(loopbackHost(2)));
            d->okButton()->click();
        });
        w.searchByIpButton()->click();
        QCOMPARE(w.statusLine()->message(), busy);
    }

    void silentNetworkEndsAfterFiveQueries() {
        sim::DeviceSetup mute = test::simDevice(2, "mute");
        mute.fault.kind = sim::Fault::Kind::NoAnswer;
        std::string error;
        auto sim = test::startSimulator({mute}, 1, &error);
        QVERIFY2(sim, error.c_str());
        Fixture f;
        int lastBar = -1;
        int result = -1;
        test::whenModal<CWait>([&](CWait* wait) {
            QObject::connect(wait, &QDialog::finished, [&, wait](int code) {
                lastBar = wait->progressBar()->value();
                result = code;
            });
        });
        f.window->searchButton()->click();
        QCOMPARE(sim->discoveryQueries(), std::size_t{5});
        QCOMPARE(lastBar, 100);
        QCOMPARE(result, CWait::kDone);
        QCOMPARE(f.window->deviceList()->rowCount(), 0);
        QVERIFY(f.window->searchButton()->isEnabled());
    }

    // A cycle that returns lets the next one start at once: its timer tick fell due while it
    // was receiving. The first query waits one 300 ms period, each silent cycle receives for
    // 350 ms, so five queries take about 2.05 s, not five periods more.
    void silentSearchQueriesFollowEachOtherAtOnce() {
        Fixture f;
        QueryClock peer(f.session.network.discoveryTarget, f.session.network.discoveryPort);
        QVERIFY(peer.bound());
        const auto clicked = std::chrono::steady_clock::now();
        f.window->searchButton()->click();
        const auto ended = std::chrono::steady_clock::now();
        const auto queries = peer.arrivals();
        QCOMPARE(queries.size(), std::size_t{5});
        QString times;
        for (const auto& at : queries) times += QStringLiteral(" %1").arg(msBetween(clicked, at));
        const QByteArray report = QStringLiteral("queries at (ms):%1, window closed at %2")
                                      .arg(times)
                                      .arg(msBetween(clicked, ended))
                                      .toUtf8();
        qInfo("%s", report.constData());
        QVERIFY2(msBetween(clicked, queries[0]) >= 290, report.constData());
        QVERIFY2(msBetween(clicked, queries[0]) < 500, report.constData());
        for (std::size_t i = 1; i < queries.size(); ++i) {
            // At least the receive window; a whole period later means the tick was dropped.
            QVERIFY2(msBetween(queries[i - 1], queries[i]) >= 340, report.constData());
            QVERIFY2(msBetween(queries[i - 1], queries[i]) < 500, report.constData());
        }
        // The window closes when the fifth cycle's receive window has passed.
        QVERIFY2(msBetween(queries[4], ended) >= 340, report.constData());
        QVERIFY2(msBetween(clicked, ended) < 2600, report.constData());
        QCOMPARE(f.window->deviceList()->rowCount(), 0);
    }

    // The bar counts queries that went out: cycles whose send fails leave it where it was.
    void failedSendsDoNotAdvanceTheBar() {
        Fixture f;
        f.session.network.discoveryTarget = "not-an-address";
        int lastBar = -1;
        test::whenModal<CWait>([&](CWait* wait) {
            QObject::connect(wait, &QDialog::finished,
                             [&, wait] { lastBar = wait->progressBar()->value(); });
        });
        f.window->searchButton()->click();
        QCOMPARE(lastBar, 0);
        QCOMPARE(f.window->deviceList()->rowCount(), 0);
        QVERIFY(f.window->searchButton()->isEnabled());
    }

    void escEndsTheSearchAfterTheRunningCycle() {
        sim::DeviceSetup mute = test::simDevice(2, "mute");
        mute.fault.kind = sim::Fault::Kind::NoAnswer;
        std::string error;
        auto sim = test::startSimulator({mute}, 1, &error);
        QVERIFY2(sim, error.c_str());
        Fixture f;
        bool searchButtonWasDisabled = false;
        bool stillOpenAfterEsc = false;
        QString caption;
        QColor background;
        int result = -1;
        test::whenModal<CWait>(
            [&](CWait* wait) {
                searchButtonWasDisabled = !f.window->searchButton()->isEnabled();
                caption = wait->windowTitle();
                background = wait->palette().color(QPalette::Window);
                QObject::connect(wait, &QDialog::finished, [&](int code) { result = code; });
                QTest::keyClick(wait, Qt::Key_Escape);
                // The cycle is still receiving: the window waits for it.
                stillOpenAfterEsc = wait->isVisible();
            },
            [&](CWait*) { return sim->discoveryQueries() == 1; });
        QElapsedTimer clock;
        clock.start();
        f.window->searchButton()->click();
        QVERIFY(searchButtonWasDisabled);
        QVERIFY(stillOpenAfterEsc);
        QCOMPARE(caption, QStringLiteral("请等待....."));
        QCOMPARE(background, QColor(216, 219, 220));
        QCOMPARE(sim->discoveryQueries(), std::size_t{1});
        QVERIFY2(clock.elapsed() < 1500, "the search went on after Esc");
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(f.window->searchButton()->isEnabled());
    }

    void searchByIpCancelChangesNothing() {
        auto sim = threeDevices();
        QVERIFY(sim);
        Fixture f;
        CRQ_880Dlg& w = *f.window;
        w.searchButton()->click();
        click(w, 0);
        const auto devicesBefore = f.session.devices;
        const auto addressBefore = f.session.selectedDevice()->ipAddress;
        test::whenModal<CAppointIpAddr>([](CAppointIpAddr* d) {
            d->addressEdit()->setText(QStringLiteral("10.9.9.9"));
            d->cancelButton()->click();
        });
        w.searchByIpButton()->click();
        QCOMPARE(w.deviceList()->rowCount(), 3);
        QVERIFY(f.session.devices == devicesBefore);
        QCOMPARE(f.session.selectedDevice()->ipAddress, addressBefore);
        QVERIFY(configEnabled(w));
        QCOMPARE(f.session.selectedIndex, 0);
    }

    void searchByIpListsTheOneDeviceOfAnyProduct() {
        sim::DeviceSetup foreign = test::simDevice(3, "x");
        foreign.productCode = 7;
        std::string error;
        auto own = test::startSimulator({test::simDevice(2, "solo")}, 2, &error);
        QVERIFY2(own, error.c_str());
        auto other = test::startSimulator({foreign}, 3, &error);
        QVERIFY2(other, error.c_str());

        Fixture f;
        CRQ_880Dlg& w = *f.window;
        QString caption, ok, cancel, fieldsAtOpen;
        test::whenModal<CAppointIpAddr>([&](CAppointIpAddr* d) {
            caption = d->windowTitle();
            ok = d->okButton()->text();
            cancel = d->cancelButton()->text();
            d->addressEdit()->setText(QString::fromStdString(loopbackHost(2)));
            d->okButton()->click();
        });
        w.searchByIpButton()->click();
        QCOMPARE(caption, QStringLiteral("指定IP地址搜索设备"));
        QCOMPARE(ok, QStringLiteral("确定"));
        QCOMPARE(cancel, QStringLiteral("取消"));
        QCOMPARE(w.deviceList()->rowCount(), 1);
        QCOMPARE(cell(w.deviceList(), 0, 0), QStringLiteral("1"));
        QCOMPARE(cell(w.deviceList(), 0, 1), QStringLiteral("solo"));
        QCOMPARE(w.searchByIpDialog()->address(), loopbackHost(2));
        QVERIFY(w.searchByIpButton()->isEnabled());
        QVERIFY(!configEnabled(w));

        // The dialog is reused and starts empty each time.
        test::whenModal<CAppointIpAddr>([&](CAppointIpAddr* d) {
            fieldsAtOpen =
                d->addressEdit()->isBlank() ? QStringLiteral("blank") : d->addressEdit()->text();
            d->addressEdit()->setText(QString::fromStdString(loopbackHost(3)));
            d->okButton()->click();
        });
        w.searchByIpButton()->click();
        QCOMPARE(fieldsAtOpen, QStringLiteral("blank"));
        QCOMPARE(w.deviceList()->rowCount(), 1);
        QCOMPARE(cell(w.deviceList(), 0, 1), QStringLiteral("不支持设备"));
        QCOMPARE(cell(w.deviceList(), 0, 2), QStringLiteral("不支持设备"));
        // Unlike "其它设备", this model text is selectable.
        click(w, 0);
        QVERIFY(configEnabled(w));
    }

    void failedSearchByIpResetsTheSelection() {
        auto sim = threeDevices();
        QVERIFY(sim);
        Fixture f;
        CRQ_880Dlg& w = *f.window;
        w.searchButton()->click();
        click(w, 2);
        QVERIFY(configEnabled(w));
        // Nobody answers on host 9: the 2 s receive limit runs out.
        test::whenModal<CAppointIpAddr>([](CAppointIpAddr* d) {
            d->addressEdit()->setText(QString::fromStdString(loopbackHost(9)));
            d->okButton()->click();
        });
        QElapsedTimer clock;
        clock.start();
        w.searchByIpButton()->click();
        QVERIFY(clock.elapsed() >= 1900);
        QCOMPARE(w.deviceList()->rowCount(), 0);
        QVERIFY(!configEnabled(w));
        QCOMPARE(f.session.selectedIndex, -1);
        QCOMPARE(w.searchByIpDialog()->address(), loopbackHost(9));
        QVERIFY(w.searchByIpButton()->isEnabled());
        // The list is empty, so a double-click has nothing to act on.
        QVERIFY(f.actions.calls.isEmpty());
    }

    void aboutBoxAndHelp() {
        Fixture f;
        QVERIFY(f.window->aboutAction());
        QCOMPARE(f.window->aboutAction()->text(), QStringLiteral("关于 KVT-640(&A)..."));
        QVERIFY(f.window->actions().contains(f.window->aboutAction()));
        QString caption, version, maker, ok;
        test::whenModal<CAboutDlg>([&](CAboutDlg* about) {
            caption = about->windowTitle();
            version = about->versionLine()->text();
            maker = about->makerLine()->text();
            ok = about->okButton()->text();
            about->okButton()->click();
        });
        f.window->aboutAction()->trigger();
        QCOMPARE(caption, QStringLiteral("关于 KVT-640"));
        QCOMPARE(version, QStringLiteral("KVT-640 1.0.0 版"));
        QVERIFY(!maker.isEmpty());
        QCOMPARE(ok, QStringLiteral("确定"));

        // The help file is looked for beside the program; there is none in the build tree.
        QVERIFY(f.window->helpFilePath().endsWith(QStringLiteral("/KVT-640_V10_UM.chm")));
        QVERIFY(!f.window->openHelp());
        f.session.lang = Lang::En;
        QVERIFY(f.window->helpFilePath().endsWith(QStringLiteral("/KVT-640_V10_EN.chm")));

        // F1 reaches the help command from the main window and from a modal dialog over it.
        QSignalSpy help(f.window.get(), &CRQ_880Dlg::helpRequested);
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QCOMPARE(help.count(), 1);
        test::whenModal<CAboutDlg>([&](CAboutDlg* about) {
            QTest::keyClick(about, Qt::Key_F1);
            about->okButton()->click();
        });
        f.window->aboutAction()->trigger();
        QCOMPARE(help.count(), 2);
    }

    void exitEndsWithoutAQuestion() {
        MessageBoxRecorder boxes;
        Fixture f;
        QSignalSpy finished(f.window.get(), &QDialog::finished);
        f.window->exitButton()->click();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!f.window->isVisible());
        QVERIFY(boxes.shown().empty());
    }

    void interfaceChoiceTakesTheRememberedInterface_data() {
        QTest::addColumn<QString>("remembered");  // empty: the tool never ran here
        QTest::addColumn<int>("lang");            // 0 zh, 1 en
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("first run: all interfaces")
            << QString() << 0 << QStringLiteral("全部网卡") << QStringLiteral("all");
        QTest::newRow("English texts")
            << QString() << 1 << QStringLiteral("All interfaces") << QStringLiteral("all");
        QTest::newRow("remembered interface still there")
            << QStringLiteral("wlan7") << 0 << QStringLiteral("wlan7 192.168.77.5/16")
            << QStringLiteral("wlan7");
        QTest::newRow("remembered adapter unplugged: all interfaces")
            << QStringLiteral("usb3") << 0 << QStringLiteral("全部网卡") << QStringLiteral("all");
    }
    void interfaceChoiceTakesTheRememberedInterface() {
        QFETCH(QString, remembered);
        QFETCH(int, lang);
        QFETCH(QString, shown);
        QFETCH(QString, chosen);
        if (!remembered.isEmpty())
            toolSettings().setValue(QStringLiteral("search/interface"), remembered);
        Session session;  // no --broadcast: the search leaves by the PC's interfaces
        session.lang = lang == 1 ? Lang::En : Lang::Zh;
        const test::InterfaceLanguage language(session.lang);
        session.network.searchInterface = "stale";
        CRQ_880Dlg w(session);
        InterfaceChoice* choice = w.interfaceChoice();
        QVERIFY(choice->isEnabled());
        choice->setInterfaces(twoInterfaces());
        QCOMPARE(choice->count(), 3);
        QCOMPARE(choice->itemText(0),
                 lang == 1 ? QStringLiteral("All interfaces") : QStringLiteral("全部网卡"));
        QCOMPARE(choice->itemText(1), QStringLiteral("eth9 10.9.0.2/24"));
        QCOMPARE(choice->currentText(), shown);
        QCOMPARE(QString::fromStdString(session.network.searchInterface), chosen);
        // Falling back does not forget the adapter: it is chosen again once it is back.
        if (!remembered.isEmpty())
            QCOMPARE(toolSettings().value(QStringLiteral("search/interface")).toString(),
                     remembered);
    }

    void choosingAnInterfaceIsRememberedForTheNextRun() {
        {
            Session session;
            CRQ_880Dlg w(session);
            w.show();
            InterfaceChoice* choice = w.interfaceChoice();
            choice->setInterfaces(twoInterfaces());
            QCOMPARE(session.network.searchInterface, std::string("all"));
            choice->setFocus();
            QTest::keyClick(choice, Qt::Key_Down);
            QTest::keyClick(choice, Qt::Key_Down);
            QCOMPARE(choice->currentText(), QStringLiteral("wlan7 192.168.77.5/16"));
            QCOMPARE(session.network.searchInterface, std::string("wlan7"));
        }
        // Written where the next run looks: ~/.config/kvt640/kvt640.conf.
        QFile file(test::settingsFolder() + QStringLiteral("/kvt640/kvt640.conf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("interface=wlan7"));

        Session next;
        CRQ_880Dlg w(next);
        w.interfaceChoice()->setInterfaces(twoInterfaces());
        QCOMPARE(w.interfaceChoice()->currentText(), QStringLiteral("wlan7 192.168.77.5/16"));
        QCOMPARE(next.network.searchInterface, std::string("wlan7"));
        // Back to all of them, remembered too.
        w.interfaceChoice()->setFocus();
        QTest::keyClick(w.interfaceChoice(), Qt::Key_Home);
        QCOMPARE(next.network.searchInterface, std::string("all"));
        QCOMPARE(InterfaceChoice::remembered(), QStringLiteral("all"));
    }

    void interfaceChoiceIsOffWhenTheSearchHasItsOwnTarget_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("tip");
        QTest::newRow("no target: the user chooses")
            << QStringList{QStringLiteral("--lang"), QStringLiteral("zh")} << true
            << QStringLiteral("搜索经由的网卡");
        QTest::newRow("--broadcast: the choice would change nothing")
            << QStringList{QStringLiteral("--broadcast"), QStringLiteral("127.0.0.1"),
                           QStringLiteral("--lang"), QStringLiteral("zh")}
            << false << QStringLiteral("搜索发往 127.0.0.1（--broadcast），不经选择的网卡");
        // The default address given on purpose still means the one query by the default route.
        QTest::newRow("--broadcast 255.255.255.255: the single query, no choice")
            << QStringList{QStringLiteral("--broadcast"), QStringLiteral("255.255.255.255"),
                           QStringLiteral("--lang"), QStringLiteral("zh")}
            << false << QStringLiteral("搜索发往 255.255.255.255（--broadcast），不经选择的网卡");
    }
    void interfaceChoiceIsOffWhenTheSearchHasItsOwnTarget() {
        QFETCH(QStringList, args);
        QFETCH(bool, enabled);
        QFETCH(QString, tip);
        std::vector<std::string> storage{"kvt640"};
        for (const QString& a : args) storage.push_back(a.toStdString());
        std::vector<const char*> argv;
        for (const auto& s : storage) argv.push_back(s.c_str());
        CRQ_880App app;
        std::string out;
        QVERIFY2(!app.parseCommandLine(static_cast<int>(argv.size()), argv.data(), &out),
                 out.c_str());
        CRQ_880Dlg w(app.session());
        QCOMPARE(w.interfaceChoice()->isEnabled(), enabled);
        QCOMPARE(w.interfaceChoice()->toolTip(), tip);
    }

    void deviceRowsTellTheirInterface() {
        Session session;
        CRQ_880Dlg w(session);
        w.interfaceChoice()->setInterfaces(twoInterfaces());
        CEquipment onEth9;
        onEth9.ipAddress = "10.9.0.40";
        onEth9.interfaceName = "eth9";
        CEquipment onGone = onEth9;  // its adapter was unplugged after the search
        onGone.interfaceName = "usb3";
        CEquipment direct = onEth9;  // heard by a search to one chosen target
        direct.interfaceName.clear();
        session.devices = {onEth9, onGone, direct};
        w.showDevices();
        const QTableWidget* list = w.deviceList();
        QCOMPARE(list->rowCount(), 3);
        QCOMPARE(list->columnCount(), 7);
        for (int c = 0; c < 7; ++c) {
            QCOMPARE(list->item(0, c)->toolTip(), QStringLiteral("网卡：eth9 10.9.0.2/24"));
            QCOMPARE(list->item(1, c)->toolTip(), QStringLiteral("网卡：usb3"));
            QVERIFY(list->item(2, c)->toolTip().isEmpty());
        }
        QCOMPARE(cell(list, 0, 3), QStringLiteral("10.9.0.40"));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");  // -1: the program goes on
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("lang");  // 0 zh, 1 en
        QTest::newRow("defaults") << QStringList{} << -1 << QStringLiteral("255.255.255.255") << -1;
        QTest::newRow("broadcast to a loopback simulator")
            << QStringList{QStringLiteral("--broadcast"), QStringLiteral("127.0.0.1"),
                           QStringLiteral("--lang"), QStringLiteral("en")}
            << -1 << QStringLiteral("127.0.0.1") << 1;
        QTest::newRow("Qt's own options pass through")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                           QStringLiteral("--lang"), QStringLiteral("zh")}
            << -1 << QStringLiteral("255.255.255.255") << 0;
        QTest::newRow("unknown language")
            << QStringList{QStringLiteral("--lang"), QStringLiteral("fr")} << 105 << QString()
            << -1;
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QString() << -1;
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, target);
        QFETCH(int, lang);
        std::vector<std::string> storage{"kvt640"};
        for (const QString& a : args) storage.push_back(a.toStdString());
        std::vector<const char*> argv;
        for (const auto& s : storage) argv.push_back(s.c_str());
        CRQ_880App app;
        std::string out;
        const auto code = app.parseCommandLine(static_cast<int>(argv.size()), argv.data(), &out);
        if (exitCode < 0) {
            QVERIFY2(!code, out.c_str());
            QCOMPARE(QString::fromStdString(app.session().network.discoveryTarget), target);
            if (lang >= 0) QCOMPARE(app.session().lang, lang == 1 ? Lang::En : Lang::Zh);
        } else {
            QVERIFY(code);
            QCOMPARE(*code == 0 ? 0 : 105, exitCode);
            if (exitCode == 0) {
                QVERIFY(out.find("--local-address") != std::string::npos);
                QVERIFY(out.find("--device-port") != std::string::npos);
            }
        }
    }

    void portsAndAddressesFromTheCommandLine() {
        // --bind: the command-line tool's name, accepted as an alias.
        const char* argv[] = {
            "kvt640", "--bind",       "127.0.0.9", "--device-port",     "18900", "--discovery-port",
            "18899",  "--local-port", "10099",     "--connect-timeout", "600000"};
        CRQ_880App app;
        std::string out;
        QVERIFY(!app.parseCommandLine(11, argv, &out));
        QCOMPARE(app.session().network.connectTimeoutMs, 600000);
        const NetworkOptions& net = app.session().network;
        QCOMPARE(QString::fromStdString(net.localAddress), QStringLiteral("127.0.0.9"));
        QCOMPARE(net.devicePort, std::uint16_t{18900});
        QCOMPARE(net.discoveryPort, std::uint16_t{18899});
        QCOMPARE(net.localPort, std::uint16_t{10099});
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
