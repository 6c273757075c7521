// Renders every window of the editor and the device dialogs offscreen, in both interface
// languages. Each must lay out its texts uncut, and the English windows must hold no Chinese
// fixed text; with KVT_RENDER_DIR set the pictures are also written there as PNG files
// (tools/render-editor-windows.sh) for a look at layout and the texts.
#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "EditorTestSupport.h"
#include "core/text/UiText.h"
#include "gui/base/MessageBox.h"
#include "gui/base/Texts.h"
#include "gui/device/CDevice.h"
#include "gui/device/CLoad.h"
#include "gui/device/CPasswordValidate.h"
#include "gui/device/CRemoteReset.h"
#include "gui/device/GuiFlowUi.h"
#include "gui/editor/CClose.h"
#include "gui/editor/CMyPropertyPage9.h"
#include "gui/editor/CMyPropertySheet.h"

using namespace kvt;
using namespace kvt::gui;

class RenderEditorWindowsTest : public QObject {
    Q_OBJECT

    // Shows `window`, checks its texts and writes window's picture as `name`.png when asked.
    void render(QWidget* window, const QString& name) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QImage image = window->grab().toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= 150 && image.height() >= 60);
        QCOMPARE(test::cutTexts(window), QStringList{});
        // The caption is not cut in the title bar either.
        QVERIFY2(window->width() >= captionWidth(window), qPrintable(window->windowTitle()));
        if (test::InterfaceLanguage::english()) QCOMPARE(test::cjkTexts(window), QStringList{});
        const QString dir = qEnvironmentVariable("KVT_RENDER_DIR");
        if (!dir.isEmpty()) QVERIFY(image.save(QDir(dir).filePath(name + QStringLiteral(".png"))));
        window->hide();
    }

private slots:
    void sheetPages_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("english");
        QTest::newRow("user") << 0 << false;
        QTest::newRow("background") << 1 << false;
        QTest::newRow("user, English") << 0 << true;
        QTest::newRow("background, English") << 1 << true;
    }
    void sheetPages() {
        QFETCH(int, kind);
        QFETCH(bool, english);
        Session session;
        session.lang = english ? Lang::En : Lang::Zh;
        const test::InterfaceLanguage language(session.lang);
        session.newFill(*kindFromNumber(kind));
        session.editorCaption = uiText(kind == 0 ? 4179 : 4180);
        GuiFlowUi ui(nullptr);
        CMyPropertySheet sheet(session, ui, ui, saveOrDownload(session, ui));
        for (int i = 0; i < sheet.pageCount(); ++i) {
            sheet.tabs()->setCurrentIndex(i);
            QCOMPARE(sheet.tabs()->currentIndex(), i);
            render(&sheet,
                   QStringLiteral("sheet-%1-page%2%3")
                       .arg(kind == 0 ? QStringLiteral("user") : QStringLiteral("background"))
                       .arg(i + 1)
                       .arg(english ? QStringLiteral("-en") : QString()));
        }
    }

    void advancedPageWithTheUartNote() {
        Session session;
        session.newFill(kBackgroundConfig);
        GuiFlowUi ui(nullptr);
        CMyPropertySheet sheet(session, ui, ui, saveOrDownload(session, ui));
        sheet.tabs()->setCurrentIndex(3);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        const QSize before = sheet.size();
        sheet.advancedPage()->uartRadio()->click();
        QVERIFY(!sheet.advancedPage()->uartNote()->isHidden());
        render(&sheet, QStringLiteral("sheet-background-page4-uart"));
        // The note comes and goes without the editor growing or staying grown.
        sheet.show();
        sheet.advancedPage()->pcRadio()->click();
        QVERIFY(sheet.advancedPage()->uartNote()->isHidden());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(sheet.size(), before);
    }

    void dialogs_data() {
        QTest::addColumn<bool>("english");
        QTest::newRow("zh") << false;
        QTest::newRow("en") << true;
    }
    void dialogs() {
        QFETCH(bool, english);
        const QString suffix = english ? QStringLiteral("-en") : QString();
        Session session;
        session.lang = english ? Lang::En : Lang::Zh;
        const test::InterfaceLanguage language(session.lang);
        session.newFill(kUserConfig);
        GuiFlowUi ui(nullptr);
        {
            CLoad chooser(session, ui);
            render(&chooser, QStringLiteral("CLoad-no-device") + suffix);
        }
        CEquipment device;
        device.name = "Line-1";
        device.ipAddress = "127.0.0.12";
        session.devices.assign(1, device);
        session.selectRow(0);
        // The windows that act on a device name it after their caption.
        const QString named = QStringLiteral(" - Line-1 (127.0.0.12)");
        {
            CLoad chooser(session, ui);
            QCOMPARE(chooser.windowTitle(), QStringLiteral("KVT-640") + named);
            render(&chooser, QStringLiteral("CLoad") + suffix);
        }
        CDevice kind(&session);
        render(&kind, QStringLiteral("CDevice") + suffix);
        CClose prompt(session, ui, ui);
        render(&prompt, QStringLiteral("CClose") + suffix);
        CPasswordValidate password(session.target(), kUserConfig, ui);
        QCOMPARE(password.windowTitle(), uiString(7003) + named);
        render(&password, QStringLiteral("CPasswordValidate") + suffix);
        CRemoteReset reset;
        render(&reset, QStringLiteral("CRemoteReset") + suffix);
    }
};

QTEST_MAIN(RenderEditorWindowsTest)
#include "RenderEditorWindowsTest.moc"
