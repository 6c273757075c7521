// The configuration flows end to end: the real main window, simulated gateways on this
// process's loopback block, dialogs answered the way a user would, and the bytes the devices
// received checked.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "EditorTestSupport.h"
#include "core/config/DeviceImage.h"
#include "core/device/Messages.h"
#include "core/files/ConfigFile.h"
#include "core/text/UiText.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/MessageBox.h"
#include "gui/device/CDevice.h"
#include "gui/device/CLoad.h"
#include "gui/device/CPasswordValidate.h"
#include "gui/device/CRemoteReset.h"
#include "gui/device/ConfigurationFlows.h"
#include "gui/device/DownloadWarnings.h"
#include "gui/editor/CClose.h"
#include "gui/editor/CMyPropertyPage2.h"
#include "gui/editor/CMyPropertyPage8.h"
#include "gui/editor/CMyPropertySheet.h"
#include "gui/files/FileDialog.h"
#include "gui/widgets/Ipv4Edit.h"

using namespace kvt;
using namespace kvt::gui;
using kvt::test::loopbackHost;
using kvt::test::onModal;
using Ids = std::vector<std::uint32_t>;

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}
QString q(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr int kPlain = 2;      // no passwords
constexpr int kLocked = 3;     // user password "1234"
constexpr int kForbidden = 4;  // remote configuration forbidden

// Main window with the configuration flows, after a search of three simulated gateways. The
// warnings before a download are answered "download anyway" and kept, unless a test lets the
// dialog itself come up.
struct Bench {
    std::unique_ptr<sim::Simulator> sim;
    Session session = test::loopbackSession();
    std::unique_ptr<CRQ_880Dlg> window;
    std::unique_ptr<ConfigurationFlows> flows;
    MessageBoxRecorder boxes;
    std::vector<std::vector<FieldIssue>> warned;

    // `plainStored`: what the plain gateway holds at start instead of the simulator's fill.
    explicit Bench(std::optional<CConfiguration> plainStored = std::nullopt) {
        DownloadWarnings::setHook([this](const std::vector<FieldIssue>& issues) {
            warned.push_back(issues);
            return true;
        });
        sim::DeviceSetup plain = test::simDevice(kPlain, "plain");
        plain.configuration = std::move(plainStored);
        sim::DeviceSetup locked = test::simDevice(kLocked, "locked");
        locked.userPassword = "1234";
        sim::DeviceSetup forbidden = test::simDevice(kForbidden, "forbidden");
        forbidden.remoteAllowed = false;
        std::string error;
        sim = test::startSimulator({plain, locked, forbidden}, 1, &error);
        if (!sim) qWarning("simulator: %s", error.c_str());
        window = std::make_unique<CRQ_880Dlg>(session);
        flows = std::make_unique<ConfigurationFlows>(session, window.get());
        window->setConfigurationActions(flows.get());
        window->show();
        window->searchButton()->click();
        FileDialog::resetHook();
    }
    // Simulator index of a device is its host number minus 2.
    static std::size_t index(int host) { return static_cast<std::size_t>(host - 2); }
    bool select(int host) { return test::selectListed(*window, session, loopbackHost(host)); }
    std::vector<Bytes> requests(int host) const { return sim->requests(index(host)); }
    ~Bench() { DownloadWarnings::setHook({}); }
};

// A user configuration file for `host` with a static address and `gateway`.
QString writeStaticFile(const QTemporaryDir& dir, int host, const char* gateway) {
    const QString path = dir.filePath(u("static.inf"));
    CConfiguration written = newConfiguration(kUserConfig);
    written.ethernet.ipMethod = 0;
    written.ethernet.ipAddress = loopbackHost(host);
    written.ethernet.gateway = gateway;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(QByteArray::fromStdString(writeConfigFile(written, kUserConfig, Gbk(), Lang::Zh)));
    return path;
}

// Answers the password dialog with `password`.
void typePassword(const char* password) {
    onModal<CPasswordValidate>([password](CPasswordValidate* d) {
        d->passwordEdit()->setText(u(password));
        d->accept();
    });
}

// Chooses `action` in the save/download chooser, answering the reset question with `reset`
// (when one comes).
void chooseInLoad(CLoad::Action action, bool reset) {
    onModal<CLoad>([action, reset](CLoad* d) {
        onModal<CRemoteReset>(
            [reset](CRemoteReset* r) { (reset ? r->okButton() : r->cancelButton())->click(); },
            4000);
        d->choose(action);
        d->accept();
    });
}

}  // namespace

class ConfigurationFlowsTest : public QObject {
    Q_OBJECT

private slots:
    void typicalRoad() {
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kLocked));
        const std::string newIp = loopbackHost(77);
        bool sheetChecked = false;

        onModal<CPasswordValidate>([&](CPasswordValidate* d) {
            onModal<CMyPropertySheet>([&](CMyPropertySheet* sheet) {
                sheetChecked =
                    sheet->pageCount() == 3 &&
                    sheet->windowTitle().startsWith(u("用户参数配置 - ")) &&
                    sheet->windowTitle().endsWith(q(" (" + loopbackHost(kLocked) + ")")) &&
                    sheet->ethernetPage()->addressEdit(CMyPropertyPage2::IpAddress)->text() ==
                        q(loopbackHost(kLocked));
                CMyPropertyPage2* page = sheet->ethernetPage();
                QTest::keyClick(page->methodList(), Qt::Key_Up);  // static: the address is editable
                page->addressEdit(CMyPropertyPage2::IpAddress)->setText(q(newIp));
                chooseInLoad(CLoad::Download, true);
                sheet->okButton()->click();
            });
            d->passwordEdit()->setText(u("1234"));
            d->accept();
        });
        b.window->userConfigButton()->click();

        QVERIFY(sheetChecked);
        QCOMPARE(b.boxes.ids(), Ids{});
        QVERIFY(b.session.configOrigin == ConfigOrigin::ReadFromDevice);
        QVERIFY(b.session.config);
        const std::vector<Bytes> sent = b.requests(kLocked);
        QCOMPARE(sent.size(), std::size_t{5});
        QCOMPARE(sent[0], passwordCheckRequest(kUserConfig, "1234"));
        QCOMPARE(sent[1], readRequest(kUserConfig));
        QCOMPARE(sent[2], passwordCheckRequest(kUserConfig, "1234"));  // fresh check, no dialog
        QCOMPARE(sent[3].size(), std::size_t{60});
        QCOMPARE(sent[3], buildImage(*b.session.config, kUserConfig));
        QCOMPARE(sent[4], resetRequest());
        const CConfiguration held = b.sim->configuration(Bench::index(kLocked));
        QCOMPARE(held.ethernet.ipAddress, newIp);
        QCOMPARE(held.ethernet.ipMethod, 0);
        QCOMPARE(b.sim->resets(Bench::index(kLocked)), std::size_t{1});
    }

    // A gateway that gets its address by BOOTP keeps that method when only the report period is
    // edited: read, edit, OK, download, and the device still holds BOOTP.
    void bootpSurvivesReadEditDownload() {
        CConfiguration stored = newConfiguration(kBackgroundConfig);
        stored.ethernet.ipMethod = kIpMethodBootp;
        stored.ethernet.ipAddress = loopbackHost(kPlain);
        stored.ethernet.gateway = "0.0.0.0";
        stored.ethernet.networkName = "plain";
        stored.report = {1, loopbackHost(1), 16800, 10};
        Bench b(stored);
        QVERIFY(b.sim);
        DownloadWarnings::setHook({});  // a question would come up as the real dialog
        test::ModalWatch<DownloadWarnings> warnings(
            [](DownloadWarnings* d) { d->downloadButton()->click(); });
        QVERIFY(b.select(kPlain));
        QString shownMethod;
        bool active = false;
        onModal<CMyPropertySheet>([&](CMyPropertySheet* sheet) {
            shownMethod = sheet->ethernetPage()->methodList()->currentText();
            // Focus moves, and with them the checks that store what was typed, need the
            // window to be active, as the user's is.
            sheet->activateWindow();
            active = QTest::qWaitForWindowActive(sheet);
            sheet->tabs()->setCurrentIndex(2);
            CMyPropertyPage8* page = sheet->reportPage();
            test::typeAndLeave(page->periodEdit(), u("60"), page->portEdit());
            chooseInLoad(CLoad::Download, false);
            sheet->okButton()->click();
        });
        b.window->userConfigButton()->click();

        QVERIFY(active);
        QCOMPARE(shownMethod, u("BOOTP"));
        QCOMPARE(b.boxes.ids(), Ids{});
        QCOMPARE(warnings.count(), 0);
        const std::vector<Bytes> sent = b.requests(kPlain);
        QCOMPARE(sent.size(), std::size_t{2});
        QCOMPARE(sent[0], readRequest(kUserConfig));
        CConfiguration expected = stored;
        expected.report.period = 60;
        const CConfiguration held = b.sim->configuration(Bench::index(kPlain));
        QCOMPARE(held.ethernet.ipMethod, kIpMethodBootp);
        QCOMPARE(held.report.period, 60);
        QVERIFY(held.ethernet == expected.ethernet);
        QVERIFY(held.report == expected.report);
        QVERIFY(held.advance == expected.advance);
    }

    void wrongOrCancelledPasswordOpensNoEditor() {
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kLocked));
        test::ModalWatch<CMyPropertySheet> sheets([](CMyPropertySheet* s) { s->reject(); });
        const CConfiguration* before = b.session.config.get();

        typePassword("9999");
        b.window->userConfigButton()->click();
        QCOMPARE(b.boxes.ids(), Ids{4014});
        QCOMPARE(b.requests(kLocked).size(), std::size_t{1});
        QCOMPARE(b.session.config.get(), before);  // the read stopped before replacing it

        b.boxes.clear();
        onModal<CPasswordValidate>([](CPasswordValidate* d) { d->reject(); });
        b.window->userConfigButton()->click();
        QCOMPARE(b.boxes.ids(), Ids{});
        QCOMPARE(b.requests(kLocked).size(), std::size_t{1});
        QCOMPARE(sheets.count(), 0);

        // A device that does not answer the connect: the dialog stays for another try.
        b.sim->setFault(Bench::index(kLocked), sim::Fault{sim::Fault::Kind::Refuse, 0});
        int attempts = 0;
        onModal<CPasswordValidate>([&](CPasswordValidate* d) {
            d->passwordEdit()->setText(u("1234"));
            d->accept();
            ++attempts;
            if (d->isVisible()) {
                d->accept();  // a second OK opens a fresh connection
                ++attempts;
            }
            d->reject();
        });
        b.boxes.clear();
        b.window->userConfigButton()->click();
        QCOMPARE(attempts, 2);
        QCOMPARE(b.boxes.ids(), (Ids{4032, 4032}));
        QCOMPARE(sheets.count(), 0);
    }

    void forbiddenDeviceIsRefused() {
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kForbidden));
        test::ModalWatch<CMyPropertySheet> sheets([](CMyPropertySheet* s) { s->reject(); });
        b.window->backgroundConfigButton()->click();
        QCOMPARE(b.boxes.ids(), Ids{4017});
        QVERIFY(b.requests(kForbidden).empty());
        // Open refuses such a device before any file dialog.
        b.boxes.clear();
        b.window->openButton()->click();
        QCOMPARE(b.boxes.ids(), Ids{4115});
        QCOMPARE(FileDialog::requests(), 0);
        QCOMPARE(sheets.count(), 0);
    }

    void backgroundReadShowsFourTabs() {
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kPlain));
        test::ModalWatch<CClose> prompts([](CClose* d) { d->reject(); });
        int pages = 0;
        QString title;
        onModal<CMyPropertySheet>([&](CMyPropertySheet* sheet) {
            pages = sheet->pageCount();
            title = sheet->windowTitle();
            sheet->cancelButton()->click();
        });
        b.window->backgroundConfigButton()->click();
        QCOMPARE(pages, 4);
        // The read's caption first, then the device it was read from.
        QVERIFY2(title.startsWith(u("后台参数配置 - ")) &&
                     title.endsWith(q(" (" + loopbackHost(kPlain) + ")")),
                 qPrintable(title));
        QCOMPARE(b.requests(kPlain), std::vector<Bytes>{readRequest(kBackgroundConfig)});
        QCOMPARE(prompts.count(), 0);
        QVERIFY(!b.session.config);  // Cancel drops it
    }

    void openedFileDownloadsToProtectedDeviceAfterThePasswordDialog() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u("site.inf"));
        CConfiguration written = newConfiguration(kUserConfig);
        written.ethernet.ipMethod = 0;
        written.ethernet.ipAddress = loopbackHost(88);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                QByteArray::fromStdString(writeConfigFile(written, kUserConfig, Gbk(), Lang::Zh)));
        }
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kLocked));
        FileDialog::setNextFileName(path);
        bool stayedOpen = false;
        QString title;
        onModal<CMyPropertySheet>([&](CMyPropertySheet* sheet) {
            title = sheet->windowTitle();
            // First try: the password dialog is cancelled, the editor stays.
            onModal<CPasswordValidate>([](CPasswordValidate* d) { d->reject(); });
            chooseInLoad(CLoad::Download, false);
            sheet->okButton()->click();
            stayedOpen = sheet->isVisible();
            // Second try: the password, then No to the reset question.
            typePassword("1234");
            chooseInLoad(CLoad::Download, false);
            sheet->okButton()->click();
        });
        b.window->openButton()->click();

        QCOMPARE(title, u("site.inf"));
        QVERIFY(stayedOpen);
        QCOMPARE(b.boxes.ids(), Ids{});
        const std::vector<Bytes> sent = b.requests(kLocked);
        QCOMPARE(sent.size(), std::size_t{2});
        QCOMPARE(sent[0], passwordCheckRequest(kUserConfig, "1234"));
        QCOMPARE(sent[1], buildImage(*b.session.config, kUserConfig));
        QCOMPARE(b.sim->configuration(Bench::index(kLocked)).ethernet.ipAddress, loopbackHost(88));
        QCOMPARE(b.sim->resets(Bench::index(kLocked)), std::size_t{0});
        // New's gateway 192.168.0.1 beside a loopback address: asked once, before the dialog
        // that was cancelled, then again.
        QCOMPARE(b.warned.size(), std::size_t{2});
    }

    // Settings that look wrong are put to the user before anything is sent: going on downloads,
    // going back sends nothing and leaves the editor open with the edits.
    void warningsBeforeTheDownload_data() {
        QTest::addColumn<bool>("goOn");
        QTest::newRow("download anyway: the device gets the image") << true;
        QTest::newRow("go back: nothing sent, the editor stays open") << false;
    }
    void warningsBeforeTheDownload() {
        QFETCH(bool, goOn);
        QTemporaryDir dir;
        const QString path = writeStaticFile(dir, kPlain, "10.0.0.1");
        Bench b;
        QVERIFY(b.sim);
        DownloadWarnings::setHook({});  // the dialog itself
        QVERIFY(b.select(kPlain));
        FileDialog::setNextFileName(path);
        QString listed;
        bool backIsDefault = false;
        bool stayedOpen = false;
        onModal<CMyPropertySheet>([&](CMyPropertySheet* sheet) {
            onModal<DownloadWarnings>([&](DownloadWarnings* d) {
                listed = d->windowTitle() + u("|") + d->listLabel()->text();
                backIsDefault = d->backButton()->isDefault();
                (goOn ? d->downloadButton() : d->backButton())->click();
            });
            chooseInLoad(CLoad::Download, false);
            sheet->okButton()->click();
            stayedOpen = sheet->isVisible();
            if (stayedOpen) sheet->reject();
        });
        b.window->openButton()->click();

        QCOMPARE(listed,
                 u("KVT-640|默认网关：10.0.0.1 不在子网 ") + q(loopbackHost(0)) + u("/24 内"));
        QVERIFY(backIsDefault);
        QCOMPARE(b.boxes.ids(), Ids{});
        QCOMPARE(stayedOpen, !goOn);
        const std::vector<Bytes> sent = b.requests(kPlain);
        if (goOn) {
            QCOMPARE(sent.size(), std::size_t{1});
            QCOMPARE(sent[0], buildImage(*b.session.config, kUserConfig));
            QCOMPARE(b.sim->configuration(Bench::index(kPlain)).ethernet.gateway, Gbk("10.0.0.1"));
        } else {
            QVERIFY(sent.empty());
        }
    }

    // A sound configuration downloads without the question.
    void soundSettingsAreNotQuestioned() {
        QTemporaryDir dir;
        const QString path = writeStaticFile(dir, kPlain, "0.0.0.0");
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kPlain));
        FileDialog::setNextFileName(path);
        onModal<CMyPropertySheet>([&](CMyPropertySheet* sheet) {
            chooseInLoad(CLoad::Download, false);
            sheet->okButton()->click();
        });
        b.window->openButton()->click();
        QVERIFY(b.warned.empty());
        QCOMPARE(b.requests(kPlain).size(), std::size_t{1});
    }

    void warningDialogFollowsTheLanguage_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QStringList>("texts");  // list, download button, back button
        QTest::newRow("zh") << false
                            << QStringList{u("子网掩码：255.0.255.0 不是连续的子网掩码\n"
                                             "自动报告端口：70000 超出范围 1～65535"),
                                           u("继续下载"), u("返回修改")};
        QTest::newRow("en") << true
                            << QStringList{u("Subnet mask: 255.0.255.0 is not a contiguous "
                                             "subnet mask\nReport port: 70000 is out of range 1 "
                                             "to 65535"),
                                           u("Download anyway"), u("Go back")};
    }
    void warningDialogFollowsTheLanguage() {
        QFETCH(bool, english);
        QFETCH(QStringList, texts);
        CConfiguration config = newConfiguration(kUserConfig);
        config.ethernet.ipMethod = 0;
        config.ethernet.subnetMask = "255.0.255.0";
        config.report = {1, "127.0.0.1", 70000, 10};
        const Lang lang = english ? Lang::En : Lang::Zh;
        const test::InterfaceLanguage language(lang);
        DownloadWarnings dialog(validate(config, kUserConfig), lang);
        QCOMPARE(dialog.windowTitle(), u("KVT-640"));
        QCOMPARE(dialog.listLabel()->text(), texts[0]);
        QCOMPARE(dialog.downloadButton()->text(), texts[1]);
        QCOMPARE(dialog.backButton()->text(), texts[2]);
    }

    void saveThenDownloadKeepsTheFileWhenTheDownloadFails() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u("kept.inf"));
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kPlain));
        b.sim->setFault(Bench::index(kPlain), sim::Fault{sim::Fault::Kind::Refuse, 0});
        test::ModalWatch<CClose> prompts([](CClose* d) { d->reject(); });
        bool stayedOpen = false;
        onModal<CDevice>([&](CDevice* chooser) {
            onModal<CMyPropertySheet>([&](CMyPropertySheet* sheet) {
                FileDialog::setNextFileName(path);
                chooseInLoad(CLoad::SaveThenDownload, false);
                sheet->okButton()->click();
                stayedOpen = sheet->isVisible();
                sheet->cancelButton()->click();  // no change since the chooser: no prompt
            });
            chooser->kindList()->setCurrentIndex(1);
            chooser->accept();
        });
        b.window->newButton()->click();

        QVERIFY(stayedOpen);
        QCOMPARE(b.boxes.ids(), Ids{5044});
        QCOMPARE(prompts.count(), 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const ParsedConfigFile parsed = readConfigFile(file.readAll().toStdString(), Lang::Zh);
        QVERIFY(parsed.kind == kBackgroundConfig);
        QCOMPARE(parsed.config.ethernet.networkName, Gbk("Ethernet/IP"));
    }

    void mainWindowSaveReadsTheSelectedDeviceFirst() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u("device.inf"));
        Bench b;
        QVERIFY(b.sim);
        QVERIFY(b.select(kPlain));
        FileDialog::setNextFileName(path);
        onModal<CDevice>([](CDevice* chooser) { chooser->accept(); });  // user configuration
        b.window->saveButton()->click();

        QCOMPARE(b.boxes.ids(), Ids{});
        QCOMPARE(b.requests(kPlain), std::vector<Bytes>{readRequest(kUserConfig)});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::string bytes = file.readAll().toStdString();
        const CEquipment& device = *b.session.selectedDevice();
        QCOMPARE(bytes,
                 writeConfigFile(*b.session.config, kUserConfig, device.firmwareVersion, Lang::Zh));
        QVERIFY(bytes.find(loopbackHost(kPlain)) != std::string::npos);
    }
};

QTEST_MAIN(ConfigurationFlowsTest)
#include "ConfigurationFlowsTest.moc"
