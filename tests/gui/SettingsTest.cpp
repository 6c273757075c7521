// What the desktop tool remembers between runs (~/.config/kvt640/kvt640.conf, here in the
// test's own folder): the main window's size and place, the folder of the last file, the
// report port and the interface language; and which language a start takes.
#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "gui/app/CRQ_880App.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/MessageBox.h"
#include "gui/discovery/ipAddrReport.h"
#include "gui/files/FileDialog.h"
#include "gui/widgets/StatusLine.h"

using namespace kvt;
using namespace kvt::gui;

namespace {

// The language a start with these arguments takes.
std::optional<Lang> languageOfAStart(const std::vector<std::string>& args) {
    std::vector<const char*> argv{"kvt640"};
    for (const auto& a : args) argv.push_back(a.c_str());
    CRQ_880App app;
    std::string out;
    if (app.parseCommandLine(static_cast<int>(argv.size()), argv.data(), &out)) return std::nullopt;
    return app.session().lang;
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        test::clearSettings();
        FileDialog::resetHook();
    }

    void mainWindowComesBackAsItWasLeft() {
        const QRect left(140, 90, 990, 610);
        {
            Session session;
            CRQ_880Dlg window(session);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(window.size() != left.size());  // not what a first start shows anyway
            window.setGeometry(left);
            QTRY_COMPARE(window.geometry(), left);
            window.exitButton()->click();
        }
        Session next;
        CRQ_880Dlg window(next);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.geometry(), left);
    }

    // A long status text neither widens the window (it is cut short, whole in the tooltip) nor
    // is a width the layout forced remembered: the next start has the width it needs, at the
    // same place.
    void selfGrownWidthIsNotKept() {
        QPoint place;
        int firstWidth = 0;
        {
            Session session;
            CRQ_880Dlg window(session);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            firstWidth = window.width();
            const QString longText(400, QLatin1Char('x'));
            window.statusLine()->showMessage(longText);
            QApplication::processEvents();
            QCOMPARE(window.width(), firstWidth);
            QVERIFY(window.statusLine()->toolTip().endsWith(longText));
            // Forced wider by its content, as a wide row would.
            QTableWidget* list = window.deviceList();
            list->setMinimumWidth(list->minimumWidth() + firstWidth);
            QTRY_VERIFY(window.width() > firstWidth);
            place = window.pos();
            window.exitButton()->click();
        }
        Session next;
        CRQ_880Dlg window(next);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.width(), firstWidth);
        QCOMPARE(window.pos(), place);
    }

    // Open and Save (configuration files and exports alike) start where the user last chose a
    // file; a cancelled dialog changes nothing.
    void fileDialogsStartInTheLastFolder_data() {
        QTest::addColumn<int>("first");  // 0 save, 1 open, 2 export
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<int>("second");
        QTest::newRow("saved there, Open starts there") << 0 << false << 1;
        QTest::newRow("opened there, an export starts there") << 1 << false << 2;
        QTest::newRow("exported there, Save starts there") << 2 << false << 0;
        QTest::newRow("cancelled: the folder before stays") << 0 << true << 1;
    }
    void fileDialogsStartInTheLastFolder() {
        QFETCH(int, first);
        QFETCH(bool, cancelled);
        QFETCH(int, second);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString before = root.filePath(QStringLiteral("before"));
        const QString chosen = root.filePath(QStringLiteral("configs"));
        QVERIFY(QDir().mkpath(before) && QDir().mkpath(chosen));
        const auto ask = [](int which) {
            switch (which) {
                case 0:
                    return FileDialog::saveFileName(nullptr);
                case 1:
                    return FileDialog::openFileName(nullptr);
                default:
                    return FileDialog::saveCsvFileName(nullptr, QStringLiteral("devices.csv"));
            }
        };
        FileDialog::setNextFileName(before + QStringLiteral("/old.inf"));
        ask(0);
        FileDialog::setNextFileName(cancelled ? QString() : chosen + QStringLiteral("/a.inf"));
        ask(first);

        QString shown;
        QString offered;
        test::whenModal<QFileDialog>([&](QFileDialog* dialog) {
            shown = dialog->directory().absolutePath();
            offered = dialog->selectedFiles().value(0);
            dialog->reject();
        });
        QCOMPARE(ask(second), QString());
        const QString expected = cancelled ? before : chosen;
        QCOMPARE(shown, expected);
        if (second == 2) QCOMPARE(offered, expected + QStringLiteral("/devices.csv"));
    }

    void reportWindowOffersTheLastPort() {
        Session session = test::loopbackSession();
        {
            ipAddrReport window(session);
            QCOMPARE(window.portEdit()->text(), QStringLiteral("16800"));
            window.portEdit()->setText(QStringLiteral("16833"));
            window.startButton()->click();
            QTRY_VERIFY(window.listening());
            window.reject();
        }
        ipAddrReport window(session);
        QCOMPARE(window.portEdit()->text(), QStringLiteral("16833"));
        QCOMPARE(window.listenPort(), std::uint16_t{16833});
    }

    void startLanguage_data() {
        QTest::addColumn<QString>("option");  // --lang, empty when not given
        QTest::addColumn<int>("remembered");  // -1 none, 0 zh, 1 en
        QTest::addColumn<int>("locale");      // 0 zh, 1 en
        QTest::addColumn<int>("expected");
        QTest::newRow("--lang en wins over the remembered choice") << "en" << 0 << 0 << 1;
        QTest::newRow("the remembered choice wins over the locale") << "" << 1 << 0 << 1;
        QTest::newRow("the remembered Chinese over an English locale") << "" << 0 << 1 << 0;
        QTest::newRow("nothing chosen: an English locale") << "" << -1 << 1 << 1;
        QTest::newRow("nothing chosen: any other locale") << "" << -1 << 0 << 0;
    }
    void startLanguage() {
        QFETCH(QString, option);
        QFETCH(int, remembered);
        QFETCH(int, locale);
        QFETCH(int, expected);
        const auto lang = [](int value) { return value == 1 ? Lang::En : Lang::Zh; };
        const std::optional<Lang> stored =
            remembered < 0 ? std::nullopt : std::optional<Lang>(lang(remembered));
        QCOMPARE(chooseLanguage(option.toStdString(), stored, lang(locale)), lang(expected));
        // A start reads the remembered choice itself (the locale of this process is its own).
        if (stored) Settings::setLanguage(*stored);
        if (!option.isEmpty() || stored) {
            std::vector<std::string> args;
            if (!option.isEmpty()) args = {"--lang", option.toStdString()};
            QCOMPARE(languageOfAStart(args), std::optional<Lang>(lang(expected)));
        }
    }

    // The window's menu offers the languages; a choice is remembered for the next start and
    // the user is told that it shows from then.
    void languageMenuRemembersTheChoice() {
        Session session;
        CRQ_880Dlg window(session);
        QAction* entry = nullptr;
        for (QAction* action : window.actions())
            if (action->menu() &&
                action->menu()->actions().contains(window.languageAction(Lang::En)))
                entry = action;
        QVERIFY(entry);
        QVERIFY(entry->menu()->actions().contains(window.languageAction(Lang::Zh)));
        QVERIFY(window.languageAction(Lang::Zh)->isChecked());
        QVERIFY(!window.languageAction(Lang::En)->isChecked());

        MessageBoxRecorder boxes;
        window.languageAction(Lang::Zh)->trigger();  // the language in view: nothing to tell
        QCOMPARE(boxes.shown().size(), std::size_t{0});
        QCOMPARE(Settings::language(), std::optional<Lang>(Lang::Zh));
        window.languageAction(Lang::En)->trigger();
        QCOMPARE(boxes.shown().size(), std::size_t{1});
        QVERIFY(window.languageAction(Lang::En)->isChecked());
        QCOMPARE(Settings::language(), std::optional<Lang>(Lang::En));
        QCOMPARE(languageOfAStart({}), std::optional<Lang>(Lang::En));
    }
};

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
