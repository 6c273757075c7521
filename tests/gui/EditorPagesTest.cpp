// The configuration editor without a device: tabs by kind, every page's checks and repairs,
// the Enter rule, and the sheet's OK and Cancel with the chooser and the save-changes prompt.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "EditorTestSupport.h"
#include "core/files/ConfigFile.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"
#include "gui/base/MessageBox.h"
#include "gui/device/CDevice.h"
#include "gui/device/CLoad.h"
#include "gui/device/CPasswordValidate.h"
#include "gui/device/CRemoteReset.h"
#include "gui/device/GuiFlowUi.h"
#include "gui/editor/CClose.h"
#include "gui/editor/CMyPropertyPage2.h"
#include "gui/editor/CMyPropertyPage7.h"
#include "gui/editor/CMyPropertyPage8.h"
#include "gui/editor/CMyPropertyPage9.h"
#include "gui/editor/CMyPropertySheet.h"
#include "gui/files/FileDialog.h"
#include "gui/widgets/Ipv4Edit.h"

using namespace kvt;
using namespace kvt::gui;
using Ids = std::vector<std::uint32_t>;

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A sheet on a New configuration of `kind`, shown and active, with message boxes recorded.
struct Editor {
    Session session;
    GuiFlowUi ui{nullptr};
    MessageBoxRecorder boxes;
    std::unique_ptr<CMyPropertySheet> sheet;

    explicit Editor(ConfigKind kind, const std::function<void(CConfiguration&)>& tweak = {}) {
        session.newFill(kind);
        if (tweak) tweak(*session.config);
        sheet = std::make_unique<CMyPropertySheet>(session, ui, ui, saveOrDownload(session, ui));
        sheet->show();
        activate();
    }
    void activate() {
        sheet->activateWindow();
        QApplication::setActiveWindow(sheet.get());
        if (!QTest::qWaitForWindowActive(sheet.get())) qWarning("sheet not active");
    }
    CConfiguration& config() { return *session.config; }
    // Switches tabs as a click on the tab does; false when the page refused.
    bool toTab(int index) {
        sheet->tabs()->setCurrentIndex(index);
        return sheet->tabs()->currentIndex() == index;
    }
    QWidget* elsewhere() { return sheet->cancelButton(); }
};

}  // namespace

class EditorPagesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { FileDialog::resetHook(); }

    void tabsFollowTheKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("user: no advanced page")
            << 0 << QStringList{u("网络设置"), u("密码设置"), u("IP地址报告")};
        QTest::newRow("background: four pages")
            << 1 << QStringList{u("网络设置"), u("密码设置"), u("IP地址报告"), u("后台参数")};
    }
    void tabsFollowTheKind() {
        QFETCH(int, kind);
        QFETCH(QStringList, titles);
        Editor e(*kindFromNumber(kind));
        QCOMPARE(e.sheet->pageCount(), titles.size());
        for (int i = 0; i < titles.size(); ++i) QCOMPARE(e.sheet->tabs()->tabText(i), titles[i]);
        QCOMPARE(e.sheet->advancedPage() != nullptr, kind == 1);
        QCOMPARE(e.sheet->windowTitle(), u("新建"));
        QCOMPARE(e.sheet->okButton()->text(), u("确定"));
        QCOMPARE(e.sheet->cancelButton()->text(), u("取消"));
        QCOMPARE(e.sheet->width(), e.sheet->sizeHint().width() + 50);
        // The name and the administrator pair exist in a background configuration only.
        QCOMPARE(e.sheet->ethernetPage()->nameEdit()->isHidden(), kind == 0);
        QCOMPARE(e.sheet->ethernetPage()->notice()->isHidden(), kind == 0);
        e.toTab(1);
        QCOMPARE(e.sheet->passwordPage()->adminGroup()->isHidden(), kind == 0);
    }

    void networkNameIsCheckedOnLeavingTheEdit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");  // GBK bytes
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Ids>("messages");
        QTest::newRow("20 bytes fit")
            << u("abcdefghijklmnopqrst") << QByteArray("abcdefghijklmnopqrst")
            << u("abcdefghijklmnopqrst") << Ids{};
        QTest::newRow("21 bytes: refused, edit emptied, stored kept")
            << u("abcdefghijklmnopqrstu") << QByteArray("Ethernet/IP") << QString() << Ids{5051};
        QTest::newRow("ten Chinese characters are 20 bytes")
            << u("网络名称网络名称网络") << QByteArray::fromStdString(gbk("网络名称网络名称网络"))
            << u("网络名称网络名称网络") << Ids{};
        QTest::newRow("eleven Chinese characters are 22 bytes")
            << u("网络名称网络名称网络名") << QByteArray("Ethernet/IP") << QString() << Ids{5051};
        QTest::newRow("a space ends the name")
            << u("ab cd") << QByteArray("ab") << u("ab") << Ids{5052};
        QTest::newRow("a leading space leaves nothing")
            << u(" ab") << QByteArray("") << QString() << Ids{5052};
        QTest::newRow("a character GBK cannot hold is refused")
            << u("gwก") << QByteArray("Ethernet/IP") << u("Ethernet/IP") << Ids{kMsgNotGbk};
    }
    void networkNameIsCheckedOnLeavingTheEdit() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        QFETCH(Ids, messages);
        Editor e(kBackgroundConfig);
        QLineEdit* name = e.sheet->ethernetPage()->nameEdit();
        QCOMPARE(name->text(), u("Ethernet/IP"));
        test::typeAndLeave(name, typed, e.elsewhere());
        QCOMPARE(e.boxes.ids(), messages);
        QCOMPARE(QByteArray::fromStdString(e.config().ethernet.networkName), stored);
        QCOMPARE(name->text(), shown);
        QCOMPARE(e.session.configChanged, stored != QByteArray("Ethernet/IP"));
    }

    void ethernetPageRepairsWhatItShows() {
        Editor e(kUserConfig, [](CConfiguration& c) {
            c.ethernet.ipMethod = 5;
            c.ethernet.ipAddress = "1234.1.1.1";
            c.ethernet.subnetMask = "";
            c.ethernet.gateway = "12";
            c.ethernet.dns1 = "1.2.3.4.5";
            c.ethernet.dns2 = "10.0.0.1";
        });
        CMyPropertyPage2* page = e.sheet->ethernetPage();
        const CEthernet& eth = e.config().ethernet;
        QCOMPARE(eth.ipMethod, 1);
        QCOMPARE(eth.ipAddress, Gbk("192.168.0.15"));
        QCOMPARE(eth.subnetMask, Gbk("255.255.255.0"));
        QCOMPARE(eth.gateway, Gbk("12"));  // one to three characters without a dot stay
        QCOMPARE(eth.dns1, Gbk("0.0.0.0"));
        QCOMPARE(eth.dns2, Gbk("10.0.0.1"));
        QCOMPARE(page->methodList()->currentText(), QStringLiteral("DHCP"));
        QCOMPARE(page->addressEdit(CMyPropertyPage2::IpAddress)->text(), u("192.168.0.15"));
        for (auto a : {CMyPropertyPage2::IpAddress, CMyPropertyPage2::SubnetMask,
                       CMyPropertyPage2::Gateway, CMyPropertyPage2::Dns1, CMyPropertyPage2::Dns2})
            QVERIFY(!page->addressEdit(a)->isEnabled());
        QVERIFY(!e.session.configChanged);

        // Static and back to DHCP without leaving the page still counts as a change.
        QComboBox* method = page->methodList();
        method->setFocus();
        QTest::keyClick(method, Qt::Key_Up);
        QCOMPARE(method->currentIndex(), 0);
        QVERIFY(page->addressEdit(CMyPropertyPage2::IpAddress)->isEnabled());
        QVERIFY(page->addressEdit(CMyPropertyPage2::Gateway)->isEnabled());
        QVERIFY(!page->addressEdit(CMyPropertyPage2::Dns1)->isEnabled());
        QTest::keyClick(method, Qt::Key_Down);
        QVERIFY(e.session.configChanged);
        QCOMPARE(eth.ipMethod, 1);  // stored only when the page is left

        // Leaving stores the method and the addresses as the controls read them.
        QTest::keyClick(method, Qt::Key_Up);
        page->addressEdit(CMyPropertyPage2::IpAddress)->setText(u("10.1.2.3"));
        QVERIFY(e.toTab(2));
        QCOMPARE(eth.ipMethod, 0);
        QCOMPARE(eth.ipAddress, Gbk("10.1.2.3"));
        QCOMPARE(eth.gateway, Gbk("12.0.0.0"));
        QCOMPARE(eth.networkName, Gbk());  // a user configuration never touches the name
    }

    // A stored BOOTP is shown as its own entry and kept unless another method is picked; the
    // entry is offered only while it is the stored method.
    void bootpIsShownAndKept() {
        Editor e(kUserConfig, [](CConfiguration& c) { c.ethernet.ipMethod = kIpMethodBootp; });
        CMyPropertyPage2* page = e.sheet->ethernetPage();
        QComboBox* method = page->methodList();
        QCOMPARE(method->count(), 3);
        QCOMPARE(method->currentText(), QStringLiteral("BOOTP"));
        QVERIFY(!page->addressEdit(CMyPropertyPage2::IpAddress)->isEnabled());
        QVERIFY(e.toTab(2));
        QVERIFY(e.toTab(0));
        QCOMPARE(e.config().ethernet.ipMethod, kIpMethodBootp);
        QVERIFY(!e.session.configChanged);

        method->setFocus();
        QTest::keyClick(method, Qt::Key_Home);
        QVERIFY(e.toTab(2));
        QCOMPARE(e.config().ethernet.ipMethod, kIpMethodStatic);
        QVERIFY(e.toTab(0));
        QCOMPARE(method->count(), 2);
    }

    void passwordLengthIsCheckedOnLeavingTheEdit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("left");
        const QString tooLong = fromGbkText(198);
        const QString notGbk = QString::fromStdString(messageTextUtf8(kMsgNotGbk));
        QTest::newRow("20 bytes") << u("abcdefghijklmnopqrst") << QString()
                                  << u("abcdefghijklmnopqrst");
        QTest::newRow("21 bytes") << u("abcdefghijklmnopqrstu") << tooLong << QString();
        QTest::newRow("ten Chinese characters")
            << u("密码密码密码密码密码") << QString() << u("密码密码密码密码密码");
        QTest::newRow("eleven Chinese characters")
            << u("密码密码密码密码密码密") << tooLong << QString();
        QTest::newRow("not GBK") << u("pwก") << notGbk << QString();
    }
    void passwordLengthIsCheckedOnLeavingTheEdit() {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        QFETCH(QString, left);
        Editor e(kBackgroundConfig);
        QVERIFY(e.toTab(1));
        CMyPropertyPage7* page = e.sheet->passwordPage();
        for (auto pair : {CMyPropertyPage7::User, CMyPropertyPage7::Admin}) {
            test::typeAndLeave(page->passwordEdit(pair), typed, e.elsewhere());
            QCOMPARE(page->messageLine()->text(), line);
            QCOMPARE(page->passwordEdit(pair)->text(), left);
        }
        QVERIFY(e.boxes.shown().empty());  // the message line, not a box
    }

    void passwordPairsAreMatchedAndStored() {
        Editor e(kBackgroundConfig, [](CConfiguration& c) {
            c.advance.userPassword = "secret";
            c.advance.adminPassword = "boss";
        });
        QVERIFY(e.toTab(1));
        CMyPropertyPage7* page = e.sheet->passwordPage();
        QLineEdit* pw = page->passwordEdit(CMyPropertyPage7::User);
        QLineEdit* confirm = page->confirmEdit(CMyPropertyPage7::User);
        QCOMPARE(pw->text(), u("secret"));
        QCOMPARE(pw->echoMode(), QLineEdit::Password);

        // Retyping the stored password is no change.
        test::typeAndLeave(pw, u("secret"), e.elsewhere());
        test::typeAndLeave(confirm, u("secret"), e.elsewhere());
        QVERIFY(!e.session.configChanged);

        // A mismatch on leaving the confirmation: both emptied, a change, nothing stored yet.
        test::typeAndLeave(pw, u("new1"), e.elsewhere());
        test::typeAndLeave(confirm, u("new2"), e.elsewhere());
        QCOMPARE(e.boxes.ids(), Ids{5042});
        QVERIFY(pw->text().isEmpty() && confirm->text().isEmpty());
        QVERIFY(e.session.configChanged);
        QCOMPARE(e.config().advance.userPassword, Gbk("secret"));

        // A mismatch that is still there when the page is left: refused, pair emptied.
        e.boxes.clear();
        pw->setText(u("abc"));
        confirm->setText(u("abd"));
        QVERIFY(!e.toTab(0));
        QCOMPARE(e.boxes.ids(), Ids{5042});
        QCOMPARE(e.config().advance.userPassword, Gbk());
        QVERIFY(pw->text().isEmpty());

        // Both empty is a match: no password; the administrator pair is stored as well.
        page->passwordEdit(CMyPropertyPage7::Admin)->setText(u("管理"));
        page->confirmEdit(CMyPropertyPage7::Admin)->setText(u("管理"));
        QVERIFY(e.toTab(0));
        QCOMPARE(e.config().advance.userPassword, Gbk());
        QCOMPARE(e.config().advance.adminPassword, gbk("管理"));
    }

    // Mend: a password over 20 bytes that escaped the edit's check is refused when the page
    // is left instead of being cut to 20 bytes on the way to the device.
    void overlongPasswordIsRefusedWhenThePageIsLeft() {
        Editor e(kUserConfig, [](CConfiguration& c) {
            c.advance.userPassword = "old";
            c.advance.adminPassword = "boss";
        });
        QVERIFY(e.toTab(1));
        CMyPropertyPage7* page = e.sheet->passwordPage();
        const QString longPassword = u("abcdefghijklmnopqrstu");
        page->passwordEdit(CMyPropertyPage7::User)->setText(longPassword);
        page->confirmEdit(CMyPropertyPage7::User)->setText(longPassword);
        QVERIFY(!e.toTab(2));
        QCOMPARE(page->messageLine()->text(), fromGbkText(198));
        QCOMPARE(e.config().advance.userPassword, Gbk("old"));

        // The hidden administrator pair of a user configuration passes through unchanged.
        test::typeAndLeave(page->passwordEdit(CMyPropertyPage7::User), u("ok"), e.elsewhere());
        test::typeAndLeave(page->confirmEdit(CMyPropertyPage7::User), u("ok"), e.elsewhere());
        QVERIFY(e.toTab(2));
        QCOMPARE(e.config().advance.userPassword, Gbk("ok"));
        QCOMPARE(e.config().advance.adminPassword, Gbk("boss"));
    }

    void reportNumbersAreCheckedOnLeavingTheEdit_data() {
        QTest::addColumn<bool>("port");  // else the period
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Ids>("messages");
        QTest::newRow("port 65535") << true << u("65535") << 65535 << u("65535") << Ids{};
        QTest::newRow("port 65536") << true << u("65536") << 16800 << u("16800") << Ids{199};
        QTest::newRow("port 0") << true << u("0") << 16800 << u("16800") << Ids{199};
        QTest::newRow("port empty") << true << QString() << 16800 << u("16800") << Ids{199};
        QTest::newRow("port letters") << true << u("abc") << 16800 << u("16800") << Ids{199};
        QTest::newRow("port negative") << true << u("-5") << 16800 << u("16800") << Ids{199};
        // Mend, digits only: "80ab" was stored as 80 while the edit went on showing "80ab".
        QTest::newRow("port digits then letters")
            << true << u("80ab") << 16800 << u("16800") << Ids{199};
        QTest::newRow("mend: port letters then digits")
            << true << u("x9999") << 16800 << u("16800") << Ids{199};
        QTest::newRow("mend: port with a leading blank")
            << true << u(" 80") << 16800 << u("16800") << Ids{199};
        QTest::newRow("mend: period with a unit") << false << u("30s") << 10 << u("10") << Ids{199};
        QTest::newRow("leading zeros are digits") << false << u("0030") << 30 << u("0030") << Ids{};
        QTest::newRow("port too many digits")
            << true << u("99999999999999999999") << 16800 << u("16800") << Ids{199};
        QTest::newRow("period 7200") << false << u("7200") << 7200 << u("7200") << Ids{};
        QTest::newRow("period 7201") << false << u("7201") << 10 << u("10") << Ids{199};
        QTest::newRow("period 1") << false << u("1") << 1 << u("1") << Ids{};
    }
    void reportNumbersAreCheckedOnLeavingTheEdit() {
        QFETCH(bool, port);
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(Ids, messages);
        Editor e(kUserConfig, [](CConfiguration& c) { c.report.enabled = 1; });
        QVERIFY(e.toTab(2));
        CMyPropertyPage8* page = e.sheet->reportPage();
        QLineEdit* edit = port ? page->portEdit() : page->periodEdit();
        test::typeAndLeave(edit, typed, e.elsewhere());
        QCOMPARE(e.boxes.ids(), messages);
        QCOMPARE(port ? e.config().report.port : e.config().report.period, stored);
        QCOMPARE(edit->text(), shown);
        // Mend: a stored new value counts as a change, as on the other pages (it never did,
        // and Cancel dropped it without the save-changes prompt); a refused one does not.
        QCOMPARE(e.session.configChanged, stored != (port ? 16800 : 10));
    }

    void reportPageRepairsAndStoresAtOnce() {
        Editor e(kUserConfig, [](CConfiguration& c) {
            c.report.port = 0;
            c.report.period = -3;
            c.report.targetIp = "10.0.0.9";
        });
        QVERIFY(e.toTab(2));
        CMyPropertyPage8* page = e.sheet->reportPage();
        QCOMPARE(e.config().report.port, 16800);
        QCOMPARE(e.config().report.period, 10);
        QCOMPARE(page->portEdit()->text(), u("16800"));
        QVERIFY(!page->enableBox()->isChecked());
        QVERIFY(!page->targetEdit()->isEnabled());
        QVERIFY(!page->portEdit()->isEnabled());
        QVERIFY(!page->periodEdit()->isEnabled());
        QCOMPARE(page->targetEdit()->text(), u("10.0.0.9"));
        QCOMPARE(e.config().report.targetIp, Gbk("10.0.0.9"));  // showing it changed nothing
        QVERIFY(!e.session.configChanged);  // nor did the repairs of what was shown

        page->enableBox()->click();
        QCOMPARE(e.config().report.enabled, 1);
        QVERIFY(page->portEdit()->isEnabled());
        page->targetEdit()->setField(3, 77);
        QCOMPARE(e.config().report.targetIp, Gbk("10.0.0.77"));
        page->enableBox()->click();
        QCOMPARE(e.config().report.enabled, 0);
        QCOMPARE(e.config().report.targetIp, Gbk("10.0.0.77"));
        QVERIFY(e.session.configChanged);  // mend: these are edits like any other page's
    }

    // Mend: changing only the report settings and pressing Cancel asks whether to save them.
    void reportChangeOnlyIsOfferedForSaving_data() {
        QTest::addColumn<int>("what");  // 0 enable box, 1 target, 2 port, 3 period
        QTest::newRow("enable box") << 0;
        QTest::newRow("target address") << 1;
        QTest::newRow("port") << 2;
        QTest::newRow("period") << 3;
    }
    void reportChangeOnlyIsOfferedForSaving() {
        QFETCH(int, what);
        Editor e(kUserConfig, [](CConfiguration& c) { c.report.enabled = 1; });
        QVERIFY(e.toTab(2));
        CMyPropertyPage8* page = e.sheet->reportPage();
        QVERIFY(!e.session.configChanged);
        if (what == 0) page->enableBox()->click();
        if (what == 1) page->targetEdit()->setField(3, 99);
        if (what == 2) test::typeAndLeave(page->portEdit(), u("16900"), e.elsewhere());
        if (what == 3) test::typeAndLeave(page->periodEdit(), u("60"), e.elsewhere());
        int prompts = 0;
        test::onModal<CClose>([&](CClose* d) {
            ++prompts;
            d->noButton()->click();
        });
        e.sheet->cancelButton()->click();
        QCOMPARE(prompts, 1);
        QVERIFY(!e.sheet->isVisible());
    }

    void assemblySizesAreCheckedOnLeavingTheEdit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<Ids>("messages");
        QTest::newRow("0") << u("0") << QByteArray("0") << Ids{};
        QTest::newRow("256") << u("256") << QByteArray("256") << Ids{};
        QTest::newRow("257") << u("257") << QByteArray("64") << Ids{199};
        QTest::newRow("-1") << u("-1") << QByteArray("64") << Ids{199};
        // Mend, digits only: a text without digits was stored, written to files as it was
        // and sent to the device as 0.
        QTest::newRow("no digits count as 0") << u("abc") << QByteArray("64") << Ids{199};
        QTest::newRow("mend: letters then digits") << u("x9999") << QByteArray("64") << Ids{199};
        QTest::newRow("mend: digits then letters") << u("12ab") << QByteArray("64") << Ids{199};
        QTest::newRow("mend: a leading blank") << u(" 12") << QByteArray("64") << Ids{199};
        QTest::newRow("leading zeros are digits") << u("0080") << QByteArray("0080") << Ids{};
        QTest::newRow("not GBK") << u("1ก") << QByteArray("64") << Ids{kMsgNotGbk};
    }
    void assemblySizesAreCheckedOnLeavingTheEdit() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        QFETCH(Ids, messages);
        Editor e(kBackgroundConfig);
        QVERIFY(e.toTab(3));
        QLineEdit* edit = e.sheet->advancedPage()->sizeEdit(0);
        QCOMPARE(edit->text(), u("64"));
        test::typeAndLeave(edit, typed, e.elsewhere());
        QCOMPARE(e.boxes.ids(), messages);
        QCOMPARE(QByteArray::fromStdString(e.config().parameter.assemblySizes[0]), stored);
        QCOMPARE(edit->text(), QString::fromStdString(gbkToUtf8(stored.toStdString())));
        QCOMPARE(e.session.configChanged, stored != QByteArray("64"));
    }

    void advancedPageRepairsAndKeepsConfigurationSizes() {
        Editor e(kBackgroundConfig, [](CConfiguration& c) {
            c.parameter.ipSettingMethod = 5;
            c.parameter.assemblySizes = {"300", "64", "7", "999", "-2", "0", "256", "12", "3"};
        });
        QVERIFY(e.toTab(3));
        CMyPropertyPage9* page = e.sheet->advancedPage();
        const CParameter& p = e.config().parameter;
        QCOMPARE(p.ipSettingMethod, 0);
        QVERIFY(page->pcRadio()->isChecked());
        QVERIFY(page->uartNote()->isHidden());
        const std::array<Gbk, 9> repaired = {"64", "64", "7", "128", "128", "0", "256", "12", "3"};
        QCOMPARE(p.assemblySizes, repaired);
        for (std::size_t i = 0; i < 9; ++i) {
            QCOMPARE(page->sizeEdit(i)->text(), QString::fromStdString(repaired[i]));
            QCOMPARE(page->sizeEdit(i)->isEnabled(), !CMyPropertyPage9::isConfigurationSize(i));
        }

        page->uartRadio()->click();
        QCOMPARE(p.ipSettingMethod, 1);
        QVERIFY(!page->uartNote()->isHidden());
        QVERIFY(e.session.configChanged);
        page->pcRadio()->click();
        QCOMPARE(p.ipSettingMethod, 0);
        QVERIFY(page->uartNote()->isHidden());

        // Leaving and coming back: the configuration sizes are read back unchanged.
        QVERIFY(e.toTab(0));
        QVERIFY(e.toTab(3));
        QCOMPARE(p.assemblySizes, repaired);
    }

    // Mend, digits only: a stored size that is no number (from a file) would reach the device as
    // 0; the page shows and stores the new configuration's size instead, as for one out of
    // range.
    void storedSizeThatIsNoNumberIsRepaired() {
        Editor e(kBackgroundConfig, [](CConfiguration& c) {
            c.parameter.assemblySizes[1] = "x9999";
            c.parameter.assemblySizes[4] = "";
            c.parameter.assemblySizes[6] = "0064";
        });
        QVERIFY(e.toTab(3));
        const CParameter& p = e.config().parameter;
        QCOMPARE(p.assemblySizes[1], Gbk("64"));
        QCOMPARE(p.assemblySizes[4], Gbk("128"));
        QCOMPARE(p.assemblySizes[6], Gbk("0064"));
        QCOMPARE(e.sheet->advancedPage()->sizeEdit(1)->text(), u("64"));
        QCOMPARE(e.boxes.ids(), Ids{});
    }

    // Mend: a size outside 0..256 that escaped its edit's check is refused when the page is
    // left, so it never reaches the device.
    void outOfRangeSizeIsRefusedWhenThePageIsLeft() {
        Editor e(kBackgroundConfig);
        QVERIFY(e.toTab(3));
        QLineEdit* edit = e.sheet->advancedPage()->sizeEdit(4);  // instance 111
        edit->setText(u("300"));
        QVERIFY(!e.toTab(0));
        QCOMPARE(e.boxes.ids(), Ids{199});
        QCOMPARE(edit->text(), u("128"));
        QCOMPARE(e.config().parameter.assemblySizes[4], Gbk("128"));
        QVERIFY(e.toTab(0));
    }

    void enterNeverPressesOk() {
        Editor e(kBackgroundConfig, [](CConfiguration& c) { c.report.enabled = 1; });
        test::ModalWatch<CLoad> chooser([](CLoad* d) { d->reject(); });

        // Enter in the port edit runs the port check; the sheet stays.
        QVERIFY(e.toTab(2));
        QLineEdit* port = e.sheet->reportPage()->portEdit();
        port->setFocus();
        port->selectAll();
        QTest::keyClicks(port, u("70000"));
        QTest::keyClick(port, Qt::Key_Return);
        QCOMPARE(e.boxes.ids(), Ids{199});
        QCOMPARE(port->text(), u("16800"));
        QVERIFY(!port->hasFocus());
        QVERIFY(e.sheet->reportPage()->hasFocus());
        // Enter again, now on the page itself: nothing.
        QTest::keyClick(e.sheet->reportPage(), Qt::Key_Enter);

        // Enter in the name edit runs the name check.
        QVERIFY(e.toTab(0));
        QLineEdit* name = e.sheet->ethernetPage()->nameEdit();
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, u("a b"));
        QTest::keyClick(name, Qt::Key_Enter);
        QCOMPARE(e.config().ethernet.networkName, Gbk("a"));

        QTest::qWait(50);
        QCOMPARE(chooser.count(), 0);
        QVERIFY(e.sheet->isVisible());
    }

    void cancelledChooserThenCancelShowsNoPrompt() {
        Editor e(kUserConfig);
        test::ModalWatch<CClose> prompt([](CClose* d) { d->reject(); });
        QComboBox* method = e.sheet->ethernetPage()->methodList();
        method->setFocus();
        QTest::keyClick(method, Qt::Key_Up);
        QVERIFY(e.toTab(1));
        QVERIFY(e.session.configChanged);

        bool radiosOffered = true;
        test::onModal<CLoad>([&](CLoad* d) {
            // No device selected: Save only.
            radiosOffered = d->radio(CLoad::Download)->isEnabled() ||
                            d->radio(CLoad::SaveThenDownload)->isEnabled();
            d->reject();
        });
        e.sheet->okButton()->click();
        QVERIFY(!radiosOffered);
        QVERIFY(e.sheet->isVisible());
        QVERIFY(!e.session.configChanged);
        QCOMPARE(e.sheet->tabs()->currentIndex(), 1);
        QCOMPARE(e.config().ethernet.ipMethod, 0);  // edits kept

        e.sheet->cancelButton()->click();
        QVERIFY(!e.sheet->isVisible());
        QCOMPARE(prompt.count(), 0);
        QVERIFY(!e.session.config);
    }

    void cancelAfterChangePromptsAndYesSaves() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u("changed.inf"));
        Editor e(kBackgroundConfig);
        test::typeAndLeave(e.sheet->ethernetPage()->nameEdit(), u("gateway1"), e.elsewhere());
        QVERIFY(e.session.configChanged);
        const CConfiguration edited = e.config();

        FileDialog::setNextFileName(path);
        test::onModal<CClose>([](CClose* d) { d->yesButton()->click(); });
        e.sheet->cancelButton()->click();
        QVERIFY(!e.sheet->isVisible());
        QVERIFY(!e.session.config);
        QVERIFY(!e.session.configChanged);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(),
                 writeConfigFile(edited, kBackgroundConfig, edited.identity.firmwareVersion,
                                 e.session.lang));
    }

    // Cancel runs the checks of the page in view as leaving it would: what the user typed there
    // is a change that gets the prompt; what the checks refuse is never stored.
    void cancelChecksThePageInView_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("prompted");
        QTest::addColumn<int>("message");  // shown before the prompt; 0 for none
        QTest::newRow("an address typed on the Ethernet page, the focus still in it")
            << "address" << true << 0;
        QTest::newRow("nothing changed") << "none" << false << 0;
        QTest::newRow("an address retyped as it was") << "same address" << false << 0;
        QTest::newRow("a stored address written another way is no change")
            << "short gateway" << false << 0;
        QTest::newRow("a new password pair, the focus still in the confirmation")
            << "password" << true << 0;
        QTest::newRow("a password without its confirmation: the page's message, the password gone")
            << "mismatch" << true << 5042;
        QTest::newRow("a size the check refuses is put back, the other change still prompts")
            << "size" << true << 199;
        QTest::newRow("a size in range that escaped its edit's check is stored and prompts")
            << "size in range" << true << 0;
    }
    void cancelChecksThePageInView() {
        QFETCH(QString, edit);
        QFETCH(bool, prompted);
        QFETCH(int, message);
        Editor e(kBackgroundConfig, [](CConfiguration& c) {
            c.ethernet.ipMethod = 0;  // static: the addresses can be edited
            c.ethernet.ipAddress = "192.168.1.20";
            c.ethernet.gateway = "10.1";  // shown as 10.1.0.0
            c.advance.userPassword = "secret";
        });
        CConfiguration atPrompt;
        test::ModalWatch<CClose> prompt([&](CClose* d) {
            atPrompt = e.config();
            d->noButton()->click();
        });
        const auto typeInto = [](QWidget* field, const QString& keys) {
            field->setFocus(Qt::TabFocusReason);  // selects the text, as Tab does
            for (const QChar c : keys) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        };
        Ipv4Edit* ip = e.sheet->ethernetPage()->addressEdit(CMyPropertyPage2::IpAddress);
        CMyPropertyPage7* passwords = e.sheet->passwordPage();
        if (edit == u("address")) {
            typeInto(ip->fieldEdit(0), u("10.9.8.7"));
        } else if (edit == u("same address")) {
            typeInto(ip->fieldEdit(0), u("192.168.1.20"));
        } else if (edit == u("short gateway")) {
            e.sheet->ethernetPage()->addressEdit(CMyPropertyPage2::Gateway)->setFocus();
        } else if (edit == u("password") || edit == u("mismatch")) {
            QVERIFY(e.toTab(1));
            typeInto(passwords->passwordEdit(CMyPropertyPage7::User), u("new"));
            if (edit == u("password"))
                typeInto(passwords->confirmEdit(CMyPropertyPage7::User), u("new"));
        } else if (edit == u("size in range")) {
            QVERIFY(e.toTab(3));
            e.sheet->advancedPage()->sizeEdit(0)->setText(u("100"));
        } else if (edit == u("size")) {
            QComboBox* method = e.sheet->ethernetPage()->methodList();
            method->setFocus();
            QTest::keyClick(method, Qt::Key_Down);
            QVERIFY(e.toTab(3));
            // Set past the edit's own check, as only a program can.
            e.sheet->advancedPage()->sizeEdit(0)->setText(u("300"));
        }
        QVERIFY(e.session.config);

        e.sheet->cancelButton()->click();
        QVERIFY(!e.sheet->isVisible());
        QCOMPARE(prompt.count(), prompted ? 1 : 0);
        QCOMPARE(e.boxes.ids(), message ? Ids{static_cast<std::uint32_t>(message)} : Ids{});
        QVERIFY(!e.session.config);
        if (!prompted) return;
        if (edit == u("address")) QCOMPARE(atPrompt.ethernet.ipAddress, Gbk("10.9.8.7"));
        if (edit == u("password")) QCOMPARE(atPrompt.advance.userPassword, Gbk("new"));
        if (edit == u("mismatch")) QCOMPARE(atPrompt.advance.userPassword, Gbk());
        if (edit == u("size in range")) QCOMPARE(atPrompt.parameter.assemblySizes[0], Gbk("100"));
        if (edit == u("size")) {
            QCOMPARE(atPrompt.parameter.assemblySizes[0], Gbk("64"));
            QCOMPARE(e.sheet->advancedPage()->sizeEdit(0)->text(), u("64"));
        }
    }

    void okSavesAndCloses() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u("ok.inf"));
        Editor e(kUserConfig);
        FileDialog::setNextFileName(path);
        test::onModal<CLoad>([](CLoad* d) { d->accept(); });  // Save is the default
        e.sheet->okButton()->click();
        QVERIFY(!e.sheet->isVisible());
        QVERIFY(e.session.config);  // kept for a later Save
        QVERIFY(QFile::exists(path));

        // A cancelled file dialog still closes the editor.
        Editor again(kUserConfig);
        FileDialog::setNextFileName(QString());
        test::onModal<CLoad>([](CLoad* d) { d->accept(); });
        again.sheet->okButton()->click();
        QVERIFY(!again.sheet->isVisible());
    }

    // Mend: a file that cannot be written is reported and the editor stays open with the
    // edits, in the chooser and in the save-changes prompt alike.
    void unwritableFileKeepsTheEditorOpen() {
        const QString path = u("/nonexistent-folder/x.inf");
        Editor e(kUserConfig);
        FileDialog::setNextFileName(path);
        test::onModal<CLoad>([](CLoad* d) { d->accept(); });
        e.sheet->okButton()->click();
        QCOMPARE(e.boxes.ids(), Ids{kMsgSaveFailed});
        QVERIFY(e.sheet->isVisible());

        e.boxes.clear();
        e.activate();
        e.sheet->ethernetPage()->methodList()->setFocus();
        QTest::keyClick(e.sheet->ethernetPage()->methodList(), Qt::Key_Up);
        QVERIFY(e.toTab(1));
        QVERIFY(e.session.configChanged);
        FileDialog::setNextFileName(path);
        int prompts = 0;
        test::onModal<CClose>([&](CClose* d) {
            ++prompts;
            d->yesButton()->click();  // fails: the prompt stays
            QVERIFY(d->isVisible());
            QVERIFY(e.session.config);
            d->noButton()->click();
        });
        e.sheet->cancelButton()->click();
        QCOMPARE(prompts, 1);
        QCOMPARE(e.boxes.ids(), Ids{kMsgSaveFailed});
        QVERIFY(!e.session.config);
    }

    void downloadWithoutDeviceKeepsTheChooserOpen() {
        Editor e(kUserConfig);
        bool stayed = false;
        test::onModal<CLoad>([&](CLoad* d) {
            d->choose(CLoad::Download);
            d->accept();
            stayed = d->isVisible();
            d->reject();
        });
        e.sheet->okButton()->click();
        QVERIFY(stayed);
        QCOMPARE(e.boxes.ids(), Ids{4311});
        QVERIFY(e.sheet->isVisible());
    }

    // The fixed texts of the dialogs and the texts they take from the UI text table follow the
    // interface language.
    void dialogTextsFollowTheLanguage_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QStringList>("fixed");
        QTest::addColumn<QStringList>("table");  // texts 170, 171, 15001..15004, 7003, 7004
        QTest::newRow("zh") << false
                            << QStringList{u("提示"),       u("配置已更改，是否保存配置？"),
                                           u("是(&Y)"),     u("否(&N)"),
                                           u("选择设备"),   u("参数配置方式："),
                                           u("保存"),       u("下载"),
                                           u("下载并保存"), u("网络设置"),
                                           u("密码设置"),   u("IP地址报告"),
                                           u("后台参数")}
                            << QStringList{fromGbkText(170),   fromGbkText(171),
                                           fromGbkText(15001), fromGbkText(15002),
                                           fromGbkText(15003), fromGbkText(15004),
                                           fromGbkText(7003),  fromGbkText(7004)};
        QTest::newRow("en") << true
                            << QStringList{u("Prompt"),
                                           u("The configuration has changed. Save it?"),
                                           u("&Yes"),
                                           u("&No"),
                                           u("Select Device"),
                                           u("Configuration mode:"),
                                           u("Save"),
                                           u("Download"),
                                           u("Download and Save"),
                                           u("Network Settings"),
                                           u("Password Settings"),
                                           u("IP Address Report"),
                                           u("Advanced Parameters")}
                            << QStringList{u("User configuration"),
                                           u("Background configuration"),
                                           u("Remote Reset"),
                                           u("Reset the remote device?"),
                                           u("OK"),
                                           u("Cancel"),
                                           u("Enter Password"),
                                           u("This device asks for a password. Please enter the "
                                             "password:")};
    }
    void dialogTextsFollowTheLanguage() {
        QFETCH(bool, english);
        QFETCH(QStringList, fixed);
        QFETCH(QStringList, table);
        Session session;
        session.lang = english ? Lang::En : Lang::Zh;
        const test::InterfaceLanguage language(session.lang);
        session.newFill(kBackgroundConfig);
        GuiFlowUi ui(nullptr);
        const auto labelText = [](QWidget* dialog) {
            const QLabel* label = dialog->findChild<QLabel*>();
            return label ? label->text() : QString();
        };

        CClose prompt(session, ui, ui);
        QCOMPARE(prompt.windowTitle(), fixed[0]);
        QCOMPARE(labelText(&prompt), fixed[1]);
        QCOMPARE(prompt.yesButton()->text(), fixed[2]);
        QCOMPARE(prompt.noButton()->text(), fixed[3]);

        // Save's kind chooser has no session; its texts follow the language all the same.
        for (CDevice* chooser : {new CDevice(&session), new CDevice(nullptr, nullptr)}) {
            QCOMPARE(chooser->windowTitle(), fixed[4]);
            QCOMPARE(labelText(chooser), fixed[5]);
            QCOMPARE(chooser->kindList()->itemText(0), table[0]);
            QCOMPARE(chooser->kindList()->itemText(1), table[1]);
            QCOMPARE(chooser->kindList()->currentIndex(), 0);
            delete chooser;
        }

        CLoad load(session, ui);
        QCOMPARE(load.windowTitle(), u("KVT-640"));
        QCOMPARE(load.radio(CLoad::Save)->text(), fixed[6]);
        QCOMPARE(load.radio(CLoad::Download)->text(), fixed[7]);
        QCOMPARE(load.radio(CLoad::SaveThenDownload)->text(), fixed[8]);

        CMyPropertySheet sheet(session, ui, ui, saveOrDownload(session, ui));
        for (int i = 0; i < 4; ++i) QCOMPARE(sheet.tabs()->tabText(i), fixed[9 + i]);

        // Dialogs labelled from the table alone.
        CRemoteReset reset;
        QCOMPARE(reset.windowTitle(), table[2]);
        QCOMPARE(labelText(&reset), table[3]);
        QCOMPARE(reset.okButton()->text(), table[4]);
        QCOMPARE(reset.cancelButton()->text(), table[5]);
        QVERIFY(reset.cancelButton()->isDefault());
        CPasswordValidate password(session.target(), kUserConfig, ui);
        QCOMPARE(password.windowTitle(), table[6]);
        QCOMPARE(labelText(&password), table[7]);
        QVERIFY(password.passwordEdit()->text().isEmpty());
    }

    void passwordDialogTakesAtMostTwentyGbkBytes() {
        Session session;
        session.devices.assign(1, CEquipment{});
        session.devices[0].ipAddress = "127.0.0.1";
        session.selectRow(0);
        GuiFlowUi ui(nullptr);
        MessageBoxRecorder boxes;
        CPasswordValidate dialog(session.target(), kUserConfig, ui);
        dialog.show();
        QLineEdit* edit = dialog.passwordEdit();
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        edit->setFocus();
        test::typeText(edit, u("abcdefghijklmnopqrstu"));
        QCOMPARE(edit->text(), u("abcdefghijklmnopqrst"));  // no 21st byte
        edit->clear();
        test::typeText(edit, u("密码密码密码密码密码密"));
        QCOMPARE(edit->text(), u("密码密码密码密码密码"));  // ten characters are 20 bytes
        edit->clear();
        test::typeText(edit, u("a密码密码密码密码密码"));
        QCOMPARE(edit->text(), u("a密码密码密码密码密"));  // a character never half fits

        // A character GBK cannot hold is refused before anything is sent.
        edit->setText(u("pwก"));
        dialog.accept();
        QCOMPARE(boxes.ids(), Ids{kMsgNotGbk});
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.takeAnswer());
        dialog.reject();
        QVERIFY(edit->text().isEmpty());
    }

private:
    static QString fromGbkText(std::uint32_t id) { return QString::fromStdString(uiTextUtf8(id)); }
};

QTEST_MAIN(EditorPagesTest)
#include "EditorPagesTest.moc"
