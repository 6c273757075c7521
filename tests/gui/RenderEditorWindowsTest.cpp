// Renders every window of the editor and the device dialogs offscreen. Each must lay out its
// texts uncut; with KVT_RENDER_DIR set the pictures are also written there as PNG files
// (tools/render-editor-windows.sh) for a look at layout and the Chinese texts.
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

namespace {

// Labels and buttons whose text does not fit their width.
QStringList cutTexts(QWidget* window) {
    QStringList cut;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty() || label->wordWrap()) continue;
        if (label->width() < label->minimumSizeHint().width()) cut << label->text();
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty()) continue;
        if (button->width() < button->minimumSizeHint().width()) cut << button->text();
    }
    // Tabs pushed out of the row or behind scroll arrows are cut as well.
    for (QTabBar* bar : window->findChildren<QTabBar*>()) {
        if (!bar->isVisible()) continue;
        for (int i = 0; i < bar->count(); ++i)
            if (bar->tabRect(i).right() >= bar->width()) cut << bar->tabText(i);
    }
    return cut;
}

}  // namespace

class RenderEditorWindowsTest : public QObject {
    Q_OBJECT

    // Shows `window`, checks its texts and writes window's picture as `name`.png when asked.
    void render(QWidget* window, const QString& name) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QImage image = window->grab().toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= 150 && image.height() >= 60);
        QCOMPARE(cutTexts(window), QStringList{});
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
        QTest::newRow("background, English") << 1 << true;
    }
    void sheetPages() {
        QFETCH(int, kind);
        QFETCH(bool, english);
        Session session;
        session.lang = english ? Lang::En : Lang::Zh;
        session.newFill(*kindFromNumber(kind));
        session.editorCaption = uiText(kind == 0 ? 4179 : 4180);
        GuiFlowUi ui(nullptr);
        CMyPropertySheet sheet(session, ui);
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
        CMyPropertySheet sheet(session, ui);
        sheet.tabs()->setCurrentIndex(3);
        sheet.advancedPage()->uartRadio()->click();
        QVERIFY(!sheet.advancedPage()->uartNote()->isHidden());
        render(&sheet, QStringLiteral("sheet-background-page4-uart"));
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
        session.newFill(kUserConfig);
        GuiFlowUi ui(nullptr, session.lang);
        {
            CLoad chooser(session, ui);
            render(&chooser, QStringLiteral("CLoad-no-device") + suffix);
        }
        session.devices.assign(1, CEquipment{});
        session.selectRow(0);
        {
            CLoad chooser(session, ui);
            render(&chooser, QStringLiteral("CLoad") + suffix);
        }
        CDevice kind(&session);
        render(&kind, QStringLiteral("CDevice") + suffix);
        CClose prompt(session, ui);
        render(&prompt, QStringLiteral("CClose") + suffix);
        if (english) return;  // the two below are labelled from the text table alone
        CPasswordValidate password(session, kUserConfig, ui);
        render(&password, QStringLiteral("CPasswordValidate"));
        CRemoteReset reset;
        render(&reset, QStringLiteral("CRemoteReset"));
    }
};

QTEST_MAIN(RenderEditorWindowsTest)
#include "RenderEditorWindowsTest.moc"
