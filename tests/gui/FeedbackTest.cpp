// Feedback on waits and results: the status lines of the main window and the report window,
// and the busy window of a long wait with its Cancel, against simulated gateways on this
// process's loopback block.
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "EditorTestSupport.h"
#include "core/flows/DeviceFlows.h"
#include "core/net/Socket.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/Busy.h"
#include "gui/base/MessageBox.h"
#include "gui/device/CPasswordValidate.h"
#include "gui/device/CRemoteReset.h"
#include "gui/device/ConfigurationFlows.h"
#include "gui/device/DownloadWarnings.h"
#include "gui/discovery/CAppointIpAddr.h"
#include "gui/discovery/ipAddrReport.h"
#include "gui/editor/CMyPropertySheet.h"
#include "gui/widgets/Ipv4Edit.h"
#include "gui/widgets/StatusLine.h"

using namespace kvt;
using namespace kvt::gui;
using kvt::test::loopbackHost;
using kvt::test::onModal;
using kvt::test::whenModal;

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

constexpr int kPlain = 2;   // no passwords
constexpr int kLocked = 3;  // user password "1234"
constexpr int kOther = 4;   // another product

std::size_t openDescriptors() {
    return static_cast<std::size_t>(QDir(QStringLiteral("/proc/self/fd")).count()) - 2;
}

// Records every busy window that shows, with when it showed.
class BusyWatch : public QObject {
public:
    BusyWatch() {
        qApp->installEventFilter(this);
        clock.start();
    }
    ~BusyWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<BusyWindow*>(watched)) {
            auto* window = static_cast<BusyWindow*>(watched);
            texts << window->textLabel()->text();
            titles << window->windowTitle();
            shownAtMs << clock.elapsed();
        }
        return false;
    }
    QStringList texts;
    QStringList titles;
    QList<qint64> shownAtMs;
    QElapsedTimer clock;
};

// The main window with the configuration flows and three simulated gateways.
struct Bench {
    std::unique_ptr<sim::Simulator> sim;
    Session session = test::loopbackSession();
    std::unique_ptr<CRQ_880Dlg> window;
    std::unique_ptr<ConfigurationFlows> flows;
    MessageBoxRecorder boxes;

    explicit Bench(bool search = true) {
        DownloadWarnings::setHook([](const std::vector<FieldIssue>&) { return true; });
        sim::DeviceSetup locked = test::simDevice(kLocked, "locked");
        locked.userPassword = "1234";
        sim::DeviceSetup other = test::simDevice(kOther, "other");
        other.productCode = 0x010203;
        std::string error;
        sim = test::startSimulator({test::simDevice(kPlain, "plain"), locked, other}, 1, &error);
        if (!sim) qWarning("simulator: %s", error.c_str());
        window = std::make_unique<CRQ_880Dlg>(session);
        flows = std::make_unique<ConfigurationFlows>(session, window.get());
        window->setConfigurationActions(flows.get());
        window->show();
        if (search) window->searchButton()->click();
    }
    ~Bench() { DownloadWarnings::setHook({}); }
    static std::size_t index(int host) { return static_cast<std::size_t>(host - 2); }
    bool select(int host) { return test::selectListed(*window, session, loopbackHost(host)); }
    StatusLine* status() const { return window->statusLine(); }
    void searchByIp(int host) {
        whenModal<CAppointIpAddr>([host](CAppointIpAddr* d) {
            d->addressEdit()->setText(QString::fromStdString(loopbackHost(host)));
            d->okButton()->click();
        });
        window->searchByIpButton()->click();
    }
};

bool stampedWithTheTime(const StatusLine* line) {
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  \\S"));
    return stamp.match(line->text()).hasMatch();
}

}  // namespace

class FeedbackTest : public QObject {
    Q_OBJECT

private slots:
    void init() { test::clearSettings(); }

    void statusAfterASearch_data() {
        QTest::addColumn<int>("byIp");  // 0: broadcast; else the host asked
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("expected");
        QTest::newRow("broadcast lists all three") << 0 << false << u("找到 3 台设备");
        QTest::newRow("broadcast in English") << 0 << true << u("Found 3 devices");
        QTest::newRow("by IP") << kPlain << false << u("找到 1 台设备");
        // Listed although it cannot be configured: it counts.
        QTest::newRow("by IP, another product") << kOther << false << u("找到 1 台设备");
        QTest::newRow("by IP, nobody there") << 9 << false << u("未找到设备");
        QTest::newRow("by IP, nobody there, English") << 9 << true << u("No device found");
    }
    void statusAfterASearch() {
        QFETCH(int, byIp);
        QFETCH(bool, english);
        QFETCH(QString, expected);
        test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        Bench b(false);
        QVERIFY(b.sim);
        QVERIFY(b.status()->message().isEmpty());
        if (byIp)
            b.searchByIp(byIp);
        else
            b.window->searchButton()->click();
        QCOMPARE(b.status()->message(), expected);
        QVERIFY(stampedWithTheTime(b.status()));
        QVERIFY(b.boxes.shown().empty());
    }

    void broadcastThatFindsNothing() {
        Session session = test::loopbackSession(9);  // nobody answers on host 9
        CRQ_880Dlg window(session);
        window.show();
        window.statusLine()->showMessage(QStringLiteral("earlier"));
        window.searchButton()->click();
        QCOMPARE(window.statusLine()->message(), u("未找到设备"));
    }

    void statusAfterADownload_data() {
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("reset");
        QTest::addColumn<QString>("expected");
        QTest::newRow("reset declined") << false << false << u("配置已下载");
        QTest::newRow("reset acknowledged") << false << true << u("配置已下载，设备已复位");
        // Nothing was downloaded: the search's text stays.
        QTest::newRow("device refuses") << true << true << u("找到 3 台设备");
    }
    void statusAfterADownload() {
        QFETCH(bool, refused);
        QFETCH(bool, reset);
        QFETCH(QString, expected);
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kPlain));
        if (refused) b.sim->setFault(Bench::index(kPlain), sim::Fault{sim::Fault::Kind::Refuse, 0});
        b.boxes.setDefaultAnswer(MessageBox::Answer::Ok);
        b.session.newFill(kUserConfig);
        onModal<CRemoteReset>(
            [reset](CRemoteReset* r) { (reset ? r->okButton() : r->cancelButton())->click(); },
            4000);
        const DownloadOutcome outcome =
            download(b.session.target(), b.session, b.flows->ui(), b.flows->ui());
        QCOMPARE(outcome.acknowledged(), !refused);
        QCOMPARE(b.status()->message(), expected);
        QCOMPARE(b.sim->resets(Bench::index(kPlain)), std::size_t(reset && !refused ? 1 : 0));
    }

    // A silent device: the busy window comes after about half a second, names the step and
    // the device, and its Cancel ends the flow at once, silently, with the connection closed.
    void cancelEndsTheWaitAtOnce_data() {
        QTest::addColumn<int>("host");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("download");
        QTest::newRow("read") << kPlain << u("正在读取配置…") << false;
        QTest::newRow("password check") << kLocked << u("正在验证密码…") << false;
        QTest::newRow("download") << kPlain << u("正在下载配置…") << true;
    }
    void cancelEndsTheWaitAtOnce() {
        QFETCH(int, host);
        QFETCH(QString, step);
        QFETCH(bool, download);
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(host));
        b.sim->setFault(Bench::index(host), sim::Fault{sim::Fault::Kind::NoAnswer, 0});
        b.session.newFill(kUserConfig);
        b.session.configChanged = false;
        const CConfiguration before = *b.session.config;
        const std::size_t descriptors = openDescriptors();
        BusyWatch busy;
        QElapsedTimer sinceCancel;
        bool passwordDialogStayed = false;
        int sheets = 0;
        test::ModalWatch<CMyPropertySheet> sheetWatch([&](CMyPropertySheet* s) {
            ++sheets;
            s->reject();
        });
        // The main window's own timers keep running through the wait (it repaints).
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);

        whenModal<BusyWindow>([&](BusyWindow* w) {
            sinceCancel.start();
            w->cancelButton()->click();
        });
        if (host == kLocked) {
            onModal<CPasswordValidate>([&](CPasswordValidate* d) {
                d->passwordEdit()->setText(u("1234"));
                d->accept();  // returns when the cancelled attempt has ended
                passwordDialogStayed = d->isVisible();
                d->reject();
            });
        }
        if (download)
            kvt::download(b.session.target(), b.session, b.flows->ui(), b.flows->ui());
        else
            b.window->userConfigButton()->click();
        const qint64 endedAfterCancel = sinceCancel.elapsed();

        qInfo("busy window after %lld ms; the flow ended %lld ms after Cancel",
              busy.shownAtMs.value(0), endedAfterCancel);
        QCOMPARE(busy.texts, QStringList{step});
        QVERIFY(busy.titles.value(0).contains(QString::fromStdString(loopbackHost(host))));
        QVERIFY2(busy.shownAtMs.value(0) >= 450, qPrintable(QString::number(busy.shownAtMs[0])));
        QVERIFY2(endedAfterCancel < 400, qPrintable(QString::number(endedAfterCancel)));
        QVERIFY(ticks > 10);
        QCOMPARE(b.boxes.ids(), std::vector<std::uint32_t>{});
        QCOMPARE(sheets, 0);
        if (host == kLocked) QVERIFY(passwordDialogStayed);
        QVERIFY(*b.session.config == before);
        QCOMPARE(b.status()->message(), u("找到 3 台设备"));
        // Both ends of the connection are gone: ours, and the device's once it saw the close.
        QTRY_COMPARE_WITH_TIMEOUT(openDescriptors(), descriptors, 2000);
    }

    void noBusyWindowForAQuickStep_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("windows");
        QTest::newRow("at once") << 0 << 0;
        QTest::newRow("under half a second") << 200 << 0;
        // Shown while it lasts, gone when the reply is in; the read goes on.
        QTest::newRow("a second") << 1000 << 1;
    }
    void noBusyWindowForAQuickStep() {
        QFETCH(int, delayMs);
        QFETCH(int, windows);
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kPlain));
        if (delayMs)
            b.sim->setFault(Bench::index(kPlain), sim::Fault{sim::Fault::Kind::Slow, delayMs});
        BusyWatch busy;
        int sheets = 0;
        test::ModalWatch<CMyPropertySheet> sheetWatch([&](CMyPropertySheet* s) {
            ++sheets;
            s->reject();
        });
        b.window->userConfigButton()->click();
        QCOMPARE(busy.texts.size(), windows);
        QCOMPARE(sheets, 1);
        QCOMPARE(b.boxes.ids(), std::vector<std::uint32_t>{});
        QVERIFY(!QApplication::activeModalWidget());
    }

    void reportWindowTellsTheListenerState() {
        Session session = test::loopbackSession();
        ipAddrReport w(session);
        w.show();
        StatusLine* status = w.statusLine();
        w.portEdit()->setText(QStringLiteral("16811"));
        QVERIFY(w.checkPort());
        w.startButton()->click();
        QTRY_VERIFY(w.listening());
        QCOMPARE(status->message(), u("正在监听 UDP 端口 16811"));
        QVERIFY(stampedWithTheTime(status));
        w.stopButton()->click();
        QTRY_COMPARE(status->message(), u("已停止监听"));

        // Another program holds the port: said with the port's number, and it stays after
        // the listener has returned to idle.
        UdpSocket occupant;
        QVERIFY(occupant.bind(session.network.localAddress, 16812));
        MessageBoxRecorder boxes;
        w.portEdit()->setText(QStringLiteral("16812"));
        QVERIFY(w.checkPort());
        w.startButton()->click();
        QCOMPARE(status->message(), u("端口 16812 已被占用"));
        QTest::qWait(100);
        QCOMPARE(status->message(), u("端口 16812 已被占用"));
        QVERIFY(w.startButton()->isEnabled());
        QVERIFY(boxes.shown().empty());
    }
};

QTEST_MAIN(FeedbackTest)
#include "FeedbackTest.moc"
