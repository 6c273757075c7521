// Renders every window of the search and report part of the tool to PNG files, for a person
// to look at (tools/render-windows.sh sets KVT_RENDER_DIR); as a test it proves that each
// window builds, lays out and paints with its content, in both interface languages, and that
// no fixed text of the English windows is left in Chinese.
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "core/net/Socket.h"
#include "gui/app/CAboutDlg.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/Busy.h"
#include "gui/base/MessageBox.h"
#include "gui/device/EnipCheck.h"
#include "gui/device/GuiFlowUi.h"
#include "gui/discovery/CAppointIpAddr.h"
#include "gui/discovery/CWait.h"
#include "gui/discovery/InterfaceChoice.h"
#include "gui/discovery/ipAddrReport.h"
#include "gui/widgets/Ipv4Edit.h"
#include "gui/widgets/StatusLine.h"

using namespace kvt;
using namespace kvt::gui;
using kvt::test::loopbackHost;

class RenderWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_temp;
    QDir m_out;

    // Saves the window and checks that it painted something sensible.
    void save(QWidget* window, const QString& name, QSize minimum) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // Layout requests still queued (a list that widened to its rows) as the event loop
        // would take them before the next paint.
        QCoreApplication::sendPostedEvents();
        const QPixmap picture = window->grab();
        QVERIFY2(
            picture.width() >= minimum.width() && picture.height() >= minimum.height(),
            qPrintable(
                QStringLiteral("%1: %2x%3").arg(name).arg(picture.width()).arg(picture.height())));
        // More than one colour: the window has content, not just its background.
        const QImage image = picture.toImage();
        const QRgb first = image.pixel(image.width() / 2, image.height() / 2);
        bool varied = false;
        for (int y = 0; y < image.height() && !varied; y += 3)
            for (int x = 0; x < image.width() && !varied; x += 3)
                varied = image.pixel(x, y) != first;
        QVERIFY2(varied, qPrintable(name));
        QVERIFY(picture.save(m_out.filePath(name + QStringLiteral(".png"))));
        QCOMPARE(test::cutTexts(window).join(QStringLiteral(" | ")), QString());
        // Nor is the caption cut in the title bar (the progress window has none).
        if (!window->windowFlags().testFlag(Qt::FramelessWindowHint))
            QVERIFY2(window->width() >= captionWidth(window), qPrintable(window->windowTitle()));
        // Nothing reaches past the window's edge.
        for (QWidget* child : window->findChildren<QWidget*>())
            if (child->isVisible() && child->parentWidget() == window)
                QVERIFY2(window->rect().contains(child->geometry()),
                         child->metaObject()->className());
        if (test::InterfaceLanguage::english()) QCOMPARE(test::cjkTexts(window), QStringList{});
    }

    static void addLanguageRows() {
        QTest::addColumn<bool>("english");
        QTest::newRow("zh") << false;
        QTest::newRow("en") << true;
    }
    static QString suffix(bool english) { return english ? QStringLiteral("-en") : QString(); }

    std::unique_ptr<sim::Simulator> devices() {
        sim::DeviceSetup a = test::simDevice(2, "Line-1");
        a.userPassword = "1234";
        a.firmwareMinor = 10;
        sim::DeviceSetup b = test::simDevice(3, "装配线二");
        b.name = "\xd7\xb0\xc5\xe4\xcf\xdf\xb6\xfe";  // GBK of the name above
        sim::DeviceSetup c = test::simDevice(4, "Other");
        c.productCode = 123456;
        std::string error;
        auto sim = test::startSimulator({a, b, c}, 1, &error);
        if (!sim) qWarning("simulator: %s", error.c_str());
        return sim;
    }

private slots:
    void initTestCase() {
        const QByteArray dir = qgetenv("KVT_RENDER_DIR");
        m_out = QDir(dir.isEmpty() ? m_temp.path() : QString::fromLocal8Bit(dir));
        QVERIFY(m_out.mkpath(QStringLiteral(".")));
    }

    // Nothing remembered from an earlier test (window size, report port).
    void init() { test::clearSettings(); }

    void mainWindow_data() { addLanguageRows(); }
    void mainWindow() {
        QFETCH(bool, english);
        auto sim = devices();
        QVERIFY(sim);
        Session session = test::loopbackSession();
        session.lang = english ? Lang::En : Lang::Zh;
        const test::InterfaceLanguage language(session.lang);
        CRQ_880Dlg window(session);
        save(&window, QStringLiteral("CRQ_880Dlg-empty") + suffix(english), QSize(600, 250));
        bool waitSaved = false;
        test::whenModal<CWait>(
            [&](CWait* wait) {
                save(wait, QStringLiteral("CWait") + suffix(english), QSize(200, 30));
                waitSaved = true;
            },
            [](CWait* wait) { return wait->searching(); });
        window.searchButton()->click();
        QVERIFY(waitSaved);
        QCOMPARE(window.deviceList()->rowCount(), 3);
        QTableWidget* list = window.deviceList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 1)).center());
        QVERIFY(window.statusLine()->isVisible());
        QCOMPARE(window.statusLine()->message(),
                 english ? QStringLiteral("Found 3 devices") : QStringLiteral("找到 3 台设备"));
        save(&window, QStringLiteral("CRQ_880Dlg-devices") + suffix(english), QSize(600, 250));
    }

    // The busy window of a long wait, for each step it can name.
    void busyWindow_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("step");
        const char* names[] = {"connect", "password", "read", "download", "reset"};
        for (int step = 0; step <= static_cast<int>(WaitFor::Reset); ++step) {
            QTest::addRow("%s-zh", names[step]) << false << step;
            QTest::addRow("%s-en", names[step]) << true << step;
        }
    }
    void busyWindow() {
        QFETCH(bool, english);
        QFETCH(int, step);
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        const BlockingStep wait{static_cast<WaitFor>(step), loopbackHost(2)};
        BusyWindow window(busyText(wait), QString::fromStdString(wait.device), nullptr);
        QVERIFY(!window.textLabel()->text().isEmpty());
        const char* names[] = {"connect", "password", "read", "download", "reset"};
        save(&window,
             QStringLiteral("BusyWindow-%1").arg(QLatin1String(names[step])) + suffix(english),
             QSize(200, 50));
    }

    // Without --broadcast the interface choice is on; a long interface text must fit it.
    void mainWindowWithInterfaceChoice() {
        Session session;
        CRQ_880Dlg window(session);
        InterfaceChoice* choice = window.interfaceChoice();
        choice->setInterfaces({{"enp0s31f6", "192.168.100.123", 24, "192.168.100.255"},
                               {"wlp2s0", "10.0.0.7", 8, "10.255.255.255"}});
        choice->setCurrentIndex(1);
        save(&window, QStringLiteral("CRQ_880Dlg-interface"), QSize(600, 250));
        // Every text of the list fits the box as it is laid out.
        for (int i = 0; i < choice->count(); ++i)
            QVERIFY2(
                choice->fontMetrics().horizontalAdvance(choice->itemText(i)) < choice->width() - 20,
                qPrintable(choice->itemText(i)));
    }

    void searchByIpDialog_data() { addLanguageRows(); }
    void searchByIpDialog() {
        QFETCH(bool, english);
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        CAppointIpAddr dialog;
        dialog.addressEdit()->setText(QStringLiteral("192.168.1.254"));
        save(&dialog, QStringLiteral("CAppointIpAddr") + suffix(english), QSize(200, 50));
    }

    // The device list's "EtherNet/IP 检查" once the device answered: identity and sizes.
    void enipCheckWindow_data() { addLanguageRows(); }
    void enipCheckWindow() {
        QFETCH(bool, english);
        auto sim = devices();
        QVERIFY(sim);
        const Session session = test::loopbackSession();
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        EnipCheckWindow window(session.network, QString::fromStdString(sim->address(0)));
        QTRY_COMPARE_WITH_TIMEOUT(window.table()->rowCount(), 9, 10000);
        save(&window, QStringLiteral("EnipCheckWindow") + suffix(english), QSize(250, 150));
    }

    void aboutBox_data() { addLanguageRows(); }
    void aboutBox() {
        QFETCH(bool, english);
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        CAboutDlg about;
        save(&about, QStringLiteral("CAboutDlg") + suffix(english), QSize(250, 60));
    }

    // A real message box: our text and Qt's own button, both in the interface language.
    void messageBox_data() { addLanguageRows(); }
    void messageBox() {
        QFETCH(bool, english);
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        bool saved = false;
        test::whenModal<QMessageBox>([&](QMessageBox* box) {
            // A short Chinese message set in a CJK font (a Chinese desktop) is under 150 px.
            save(box, QStringLiteral("MessageBox") + suffix(english), QSize(120, 60));
            saved = true;
            box->button(QMessageBox::Ok)->click();
        });
        MessageBox::show(nullptr, 4034, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
        QVERIFY(saved);
    }

    void reportWindow_data() {
        QTest::addColumn<int>("lang");
        QTest::newRow("zh") << 0;
        QTest::newRow("en") << 1;
    }
    void reportWindow() {
        QFETCH(int, lang);
        Session session = test::loopbackSession();
        session.lang = lang == 1 ? Lang::En : Lang::Zh;
        const test::InterfaceLanguage language(session.lang);
        ipAddrReport window(session);
        const std::uint16_t port = static_cast<std::uint16_t>(16810 + lang);
        window.portEdit()->setText(QString::number(port));
        QVERIFY(window.checkPort());
        window.startButton()->click();
        QTRY_VERIFY(window.listening());
        UdpSocket sender;
        for (std::uint8_t i = 1; i <= 3; ++i) {
            std::vector<std::uint8_t> datagram(76, 0);
            const std::uint8_t mac[6] = {0x02, 0x4b, 0x56, 0x00, 0x00, i};
            std::copy(std::begin(mac), std::end(mac), datagram.begin() + 36);
            const std::uint8_t ip[4] = {192, 168, 1, static_cast<std::uint8_t>(20 + i)};
            std::copy(std::begin(ip), std::end(ip), datagram.begin() + 44);
            const std::string name = "Line-" + std::to_string(i);
            std::copy(name.begin(), name.end(), datagram.begin() + 56);
            for (int n = 0; n < i; ++n)
                QVERIFY(sender.sendTo(datagram, session.network.localAddress, port));
        }
        QTRY_COMPARE(window.reportList()->rowCount(), 3);
        QTRY_COMPARE(window.reportList()->item(2, 4)->text(), QStringLiteral(" 3"));
        QVERIFY(window.statusLine()->message().contains(QString::number(port)));
        save(&window, QStringLiteral("ipAddrReport-") + QLatin1String(lang == 1 ? "en" : "zh"),
             QSize(500, 200));
        window.reject();
    }
};

QTEST_MAIN(RenderWindowsTest)
#include "RenderWindowsTest.moc"
