// "写入后校验" in the save/download chooser: off by default and remembered; when on, an
// acknowledged download is read back before the reset question, and a device that holds
// something else is shown with the differing fields as the pages name them, is said so on the
// status line and is not offered the reset. Simulated gateways on this process's
// loopback block; the requests each device received are checked.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "EditorTestSupport.h"
#include "core/config/DeviceImage.h"
#include "core/device/Messages.h"
#include "core/flows/DeviceFlows.h"
#include "core/flows/SearchFlows.h"
#include "gui/base/MessageBox.h"
#include "gui/device/CLoad.h"
#include "gui/device/CPasswordValidate.h"
#include "gui/device/CRemoteReset.h"
#include "gui/device/DownloadWarnings.h"
#include "gui/device/EnipCheck.h"
#include "gui/device/GuiFlowUi.h"
#include "gui/widgets/StatusLine.h"

using namespace kvt;
using namespace kvt::gui;
using kvt::test::loopbackHost;
using kvt::test::onModal;

namespace {

constexpr int kPlain = 2;
constexpr int kLocked = 3;          // user password "1234"
constexpr int kIgnoring = 4;        // acknowledges writes without storing them
constexpr int kLockedIgnoring = 5;  // both

// Simulated gateways, the session with one of them selected and its user configuration read
// (origin ReadFromDevice, as the editor has it), and the chooser's driver.
struct Bench {
    std::unique_ptr<sim::Simulator> sim;
    Session session = test::loopbackSession();
    GuiFlowUi ui{nullptr};
    MessageBoxRecorder boxes;
    StatusLine status;
    int resetQuestions = 0;

    Bench() {
        ui.setStatusLine(&status);
        ui.setSession(&session);
        DownloadWarnings::setHook([](const std::vector<FieldIssue>&) { return true; });
        sim::DeviceSetup plain = test::simDevice(kPlain, "plain");
        sim::DeviceSetup locked = test::simDevice(kLocked, "locked");
        locked.userPassword = "1234";
        sim::DeviceSetup ignoring = test::simDevice(kIgnoring, "ignoring");
        ignoring.fault = sim::Fault{sim::Fault::Kind::IgnoreWrite, 0};
        sim::DeviceSetup lockedIgnoring = test::simDevice(kLockedIgnoring, "both");
        lockedIgnoring.userPassword = "1234";
        lockedIgnoring.fault = sim::Fault{sim::Fault::Kind::IgnoreWrite, 0};
        std::string error;
        sim = test::startSimulator({plain, locked, ignoring, lockedIgnoring}, 1, &error);
        if (!sim) qWarning("simulator: %s", error.c_str());
    }
    ~Bench() { DownloadWarnings::setHook({}); }

    static std::size_t index(int host) { return static_cast<std::size_t>(host - 2); }
    std::vector<Bytes> requests(int host) const { return sim->requests(index(host)); }

    // Selects `host` and reads its user configuration (typing "1234" where it asks).
    bool readFrom(int host) {
        if (searchByAddress(session.network, session.devices, loopbackHost(host)) != Outcome::Done)
            return false;
        session.selectedIndex = 0;
        onModal<CPasswordValidate>([](CPasswordValidate* d) {
            d->passwordEdit()->setText(QStringLiteral("1234"));
            d->accept();
        });
        return readConfiguration(session.target(), kUserConfig, session, ui, ui) == Outcome::Done;
    }

    // Downloads through the chooser with the check box `verify`; the reset question is
    // answered `reset`.
    bool download(bool verify, bool reset) {
        CLoad load(session, ui);
        load.choose(CLoad::Download);
        load.verifyBox()->setChecked(verify);
        const test::ModalWatch<CRemoteReset> question(
            [reset](CRemoteReset* r) { (reset ? r->okButton() : r->cancelButton())->click(); });
        load.accept();
        resetQuestions = question.count();
        return load.editorMayClose();
    }
};

}  // namespace

class VerifyAfterWritingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { test::clearSettings(); }

    // What the device receives, by the check box and by what the device does with a write. The
    // read-back comes right after the acknowledgement and before the reset (the device still
    // serves its old address then), on the password the device holds after the write.
    void readBackAfterTheWrite_data() {
        QTest::addColumn<int>("host");
        QTest::addColumn<bool>("verify");
        QTest::addColumn<bool>("newPassword");   // the download changes the user password
        QTest::addColumn<QStringList>("shown");  // in the one mismatch box; empty: no box
        QTest::addColumn<QString>("status");
        const QString reset = QStringLiteral("配置已下载，设备已复位");
        const QString verified = QStringLiteral("配置已下载并已校验，设备已复位");
        const QString differs = QStringLiteral("配置已下载，校验失败");
        QTest::newRow("off: nothing read after the write, no box")
            << kPlain << false << false << QStringList{} << reset;
        QTest::newRow("off: a device that ignored the write goes unnoticed, as before")
            << kIgnoring << false << false << QStringList{} << reset;
        QTest::newRow("on, the device stores it: read back, no box")
            << kPlain << true << false << QStringList{} << verified;
        QTest::newRow("on, the device ignored the write: both fields by their labels, no reset")
            << kIgnoring << true << false
            << QStringList{QStringLiteral("默认网关：写入 "), QStringLiteral("子网掩码：写入 ")}
            << differs;
        QTest::newRow("on, new password stored: the read-back presents the new one")
            << kLocked << true << true << QStringList{} << verified;
        QTest::newRow("on, new password ignored: the old one reads; the password is masked")
            << kLockedIgnoring << true << true
            << QStringList{QStringLiteral("默认网关"), QStringLiteral("子网掩码"),
                           QStringLiteral("用户密码：写入 ********，读回 ********")}
            << differs;
    }
    void readBackAfterTheWrite() {
        QFETCH(int, host);
        QFETCH(bool, verify);
        QFETCH(bool, newPassword);
        QFETCH(QStringList, shown);
        QFETCH(QString, status);
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.readFrom(host));
        const CConfiguration before = *b.session.config;
        b.session.config->ethernet.gateway = loopbackHost(1);
        b.session.config->ethernet.subnetMask = "255.254.0.0";
        if (newPassword) b.session.config->advance.userPassword = "5678";
        const CConfiguration written = *b.session.config;
        const std::size_t readRequests = b.requests(host).size();

        QVERIFY(b.download(verify, true));

        std::vector<Bytes> sent = b.requests(host);
        sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(readRequests));
        const bool locked = host == kLocked || host == kLockedIgnoring;
        std::vector<Bytes> expected;
        if (locked) expected.push_back(passwordCheckRequest(kUserConfig, "1234"));
        expected.push_back(buildImage(written, kUserConfig));
        if (verify) {
            if (locked && newPassword)
                expected.push_back(passwordCheckRequest(kUserConfig, "5678"));
            if (host == kLockedIgnoring)  // 5678 refused: the device kept 1234
                expected.push_back(passwordCheckRequest(kUserConfig, "1234"));
            expected.push_back(readRequest(kUserConfig));
        }
        // A device that did not store what was written is not reset onto it.
        const bool mismatch = !shown.isEmpty();
        if (!mismatch) expected.push_back(resetRequest());
        QCOMPARE(sent, expected);
        QCOMPARE(b.resetQuestions, mismatch ? 0 : 1);
        // After a verified reset the line goes on to follow the device on EtherNet/IP.
        QVERIFY2(b.status.message().startsWith(status), qPrintable(b.status.message()));

        // The editor's configuration stays what was written, whatever was read back.
        QVERIFY(*b.session.config == written);
        if (shown.isEmpty()) {
            QCOMPARE(b.boxes.shown().size(), std::size_t{0});
            return;
        }
        QCOMPARE(b.boxes.shown().size(), std::size_t{1});
        const QString text = b.boxes.shown()[0].text;
        for (const QString& field : shown) QVERIFY2(text.contains(field), qPrintable(text));
        // Written and read values of the mask as the page shows them, the password's never.
        const QString mask = QStringLiteral("子网掩码：写入 255.254.0.0，读回 %1")
                                 .arg(QString::fromStdString(before.ethernet.subnetMask));
        QVERIFY2(text.contains(mask), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("5678")) && !text.contains(QStringLiteral("1234")),
                 qPrintable(text));
        // Only the fields that differ, never by their keys.
        QVERIFY2(!text.contains(QStringLiteral("IP地址")), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("subnet_mask")), qPrintable(text));
    }

    // (Before the test below, whose unanswered reset question leaves its answer waiting.)
    // With the check on, the status line follows a readdressed device after the reset to its
    // new address and says how it answers on EtherNet/IP; without it, the line stays as the
    // download left it.
    void statusLineFollowsTheDevice_data() {
        QTest::addColumn<bool>("verify");
        QTest::newRow("on: online at the new address") << true;
        QTest::newRow("off: no EtherNet/IP check") << false;
    }
    void statusLineFollowsTheDevice() {
        QFETCH(bool, verify);
        Bench b;
        QVERIFY(b.sim);
        StatusLine line;
        b.ui.setStatusLine(&line);
        QVERIFY(b.readFrom(kPlain));
        b.session.config->ethernet.ipMethod = 0;
        b.session.config->ethernet.ipAddress = loopbackHost(20);
        b.session.config->ethernet.gateway = "0.0.0.0";
        QVERIFY(b.download(verify, true));
        const QString online = QStringLiteral("设备已在 %1 上线，EtherNet/IP 正常")
                                   .arg(QString::fromStdString(loopbackHost(20)));
        if (verify) {
            QTRY_COMPARE_WITH_TIMEOUT(line.message(), online, 15000);
            QCOMPARE(b.sim->address(Bench::index(kPlain)), loopbackHost(20));
        } else {
            QTest::qWait(300);
            QCOMPARE(line.message(), QStringLiteral("配置已下载，设备已复位"));
        }
    }

    // The device list's "EtherNet/IP 检查" window: identity and the nine sizes as reported.
    void enipCheckWindowListsTheSizes() {
        Bench b;
        QVERIFY(b.sim);
        EnipCheckWindow window(b.session.network, QString::fromStdString(loopbackHost(kPlain)));
        QTRY_COMPARE_WITH_TIMEOUT(window.table()->rowCount(), 9, 10000);
        QCOMPARE(window.table()->item(0, 0)->text(), QStringLiteral("102"));
        QCOMPARE(window.table()->item(0, 2)->text(), QStringLiteral("68"));
        QCOMPARE(window.table()->item(7, 2)->text(), QStringLiteral("256"));
        QVERIFY2(window.summary()->text().contains(QStringLiteral("应答 EtherNet/IP")),
                 qPrintable(window.summary()->text()));
    }

    // A download the device does not acknowledge is not read back.
    void noReadBackWithoutAcknowledgement() {
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.readFrom(kPlain));
        b.sim->setFault(Bench::index(kPlain), sim::Fault{sim::Fault::Kind::WrongCode, 0});
        const std::size_t before = b.requests(kPlain).size();
        QVERIFY(!b.download(true, false));
        QCOMPARE(b.requests(kPlain).size(), before + 1);  // the image only
    }

    // Off at first; the choice is kept for the next chooser (and the next run: the settings
    // file); it is offered with a download only.
    void checkBoxIsRemembered() {
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.readFrom(kPlain));
        {
            CLoad load(b.session, b.ui);
            QVERIFY(!load.verifyBox()->isChecked());
            QVERIFY(!load.verifyBox()->isEnabled());  // Save is chosen
            load.choose(CLoad::SaveThenDownload);
            QVERIFY(load.verifyBox()->isEnabled());
            load.verifyBox()->setChecked(true);
            load.reject();  // kept even when the chooser is cancelled
        }
        QVERIFY(Settings::verifyAfterWriting());
        {
            CLoad load(b.session, b.ui);
            QVERIFY(load.verifyBox()->isChecked());
            load.choose(CLoad::Download);
            load.verifyBox()->setChecked(false);
        }
        QVERIFY(!Settings::verifyAfterWriting());
    }
};

QTEST_MAIN(VerifyAfterWritingTest)
#include "VerifyAfterWritingTest.moc"
