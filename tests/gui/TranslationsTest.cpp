// The interface languages: every text of the UI text table and every message of ours has the
// catalogue's English in the built translations, table values in the model show in the
// interface language, Qt's own dialog texts follow it too, and files keep the table's Chinese
// keys whatever the interface shows.
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include "EditorTestSupport.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/MessageBox.h"
#include "gui/base/Texts.h"
#include "gui/device/CDevice.h"
#include "gui/device/CLoad.h"
#include "gui/device/ConfigurationFlows.h"
#include "gui/device/GuiFlowUi.h"
#include "gui/editor/CMyPropertySheet.h"
#include "gui/files/FileDialog.h"

using namespace kvt;
using namespace kvt::gui;

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Every id the GUI can show a text for: the table's and our own messages'.
std::vector<std::uint32_t> textIds() {
    std::vector<std::uint32_t> ids;
    for (const auto& entry : detail::kUiTextEntries) ids.push_back(entry.id);
    for (std::uint32_t id = 90000; id < 91000; ++id)
        if (!messageTextUtf8(id).empty()) ids.push_back(id);
    return ids;
}

}  // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        test::clearSettings();
        FileDialog::resetHook();
    }

    // The built translation file says for every id what the catalogue says, and that is English.
    void everyTextHasAFinishedEnglishTranslation() {
        QTranslator table;
        QVERIFY(table.load(QStringLiteral(":/translations/uitext_en.qm")));
        const std::vector<std::uint32_t> ids = textIds();
        QVERIFY(ids.size() > kUiTextCount);  // our own messages are there too
        QStringList missing;
        QStringList chinese;
        for (const std::uint32_t id : ids) {
            const std::string source = messageTextUtf8(id);
            if (source.empty()) continue;  // 172 and 173: nothing to translate
            const QString english =
                table.translate("UiText", source.c_str(), QByteArray::number(id).constData());
            if (english.isEmpty() || english.toStdString() != textUtf8(id, Lang::En))
                missing << QString::number(id);
            else if (test::hasCjk(english))
                chinese << QString::number(id) + QStringLiteral(": ") + english;
        }
        QCOMPARE(missing, QStringList{});
        QCOMPARE(chinese, QStringList{});
    }

    void uiStringFollowsTheInterface_data() {
        QTest::addColumn<uint>("id");
        QTest::addColumn<QString>("zh");
        QTest::addColumn<QString>("en");
        QTest::newRow("main window button") << 4177u << u("搜索设备") << u("Search Devices");
        QTest::newRow("configuration-file key keeps its line end")
            << 4054u << u("静态配置\n") << u("Static\n");
        QTest::newRow("message of our own")
            << uint(kMsgSaveFailed) << u("保存失败，无法写入该文件!")
            << u("Saving failed: the file cannot be written!");
        QTest::newRow("empty entry stays empty") << 172u << QString() << QString();
    }
    void uiStringFollowsTheInterface() {
        QFETCH(uint, id);
        QFETCH(QString, zh);
        QFETCH(QString, en);
        {
            const test::InterfaceLanguage language(Lang::Zh);
            QCOMPARE(uiString(id), zh);
        }
        const test::InterfaceLanguage language(Lang::En);
        QCOMPARE(uiString(id), en);
    }

    // The list shows table texts as values; in English they read in English, while a
    // device's own name stays as the device sent it even when it equals a table text.
    void tableValuesShowInTheInterfaceLanguage_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QStringList>("known");  // name, model, password of a KVT-275R
        QTest::addColumn<QStringList>("other");  // the same of another product
        QTest::addColumn<QString>("caption");    // the editor's caption on New
        QTest::newRow("zh") << false << QStringList{u("无"), u("KVT-275R"), u("有")}
                            << QStringList{u("不支持设备"), u("其它设备"), u("无")} << u("新建");
        QTest::newRow("en") << true << QStringList{u("无"), u("KVT-275R"), u("Yes")}
                            << QStringList{u("Unsupported device"), u("Other device"), u("No")}
                            << u("New");
    }
    void tableValuesShowInTheInterfaceLanguage() {
        QFETCH(bool, english);
        QFETCH(QStringList, known);
        QFETCH(QStringList, other);
        QFETCH(QString, caption);
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        Session session;
        CEquipment gateway;
        gateway.name = uiText(8003);  // a gateway that was named "无"
        gateway.userPasswordSet = true;
        CEquipment foreign;
        foreign.name = uiText(8001);
        foreign.productCode = 0x123456;  // another product
        session.devices = {gateway, foreign};
        CRQ_880Dlg window(session);
        window.showDevices();
        const QTableWidget* list = window.deviceList();
        const auto row = [list](int r) {
            return QStringList{list->item(r, 1)->text(), list->item(r, 2)->text(),
                               list->item(r, 6)->text()};
        };
        QCOMPARE(row(0), known);
        QCOMPARE(row(1), other);
        // The model keeps typed facts: the selection rule still knows the other product.
        QCOMPARE(session.selectRow(1), Session::Selection::OtherProduct);

        session.newFill(kUserConfig);
        GuiFlowUi ui(nullptr);
        QCOMPARE(CMyPropertySheet(session, ui, ui, saveOrDownload(session, ui)).windowTitle(),
                 caption);
        session.editorCaption = gbk("配置.inf");  // an opened file's name is its own
        QCOMPARE(CMyPropertySheet(session, ui, ui, saveOrDownload(session, ui)).windowTitle(),
                 u("配置.inf"));
    }

    // Qt's own texts: the message box's button and the file dialog's labels.
    void qtTextsFollowTheInterface_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("ok");
        QTest::addColumn<QString>("lookIn");
        QTest::newRow("zh") << false << u("确定") << u("查找范围：");
        QTest::newRow("en") << true << u("OK") << u("Look in:");
    }
    void qtTextsFollowTheInterface() {
        QFETCH(bool, english);
        QFETCH(QString, ok);
        QFETCH(QString, lookIn);
        const QString qtFile =
            QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
        if (!english && !QFile::exists(qtFile))
            QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
        const test::InterfaceLanguage language(english ? Lang::En : Lang::Zh);
        QCOMPARE(qtTranslationsInstalled(), !english);

        QString button;
        test::whenModal<QMessageBox>([&](QMessageBox* box) {
            button = box->button(QMessageBox::Ok)->text();
            box->button(QMessageBox::Ok)->click();
        });
        MessageBox::show(nullptr, 4033);
        QCOMPARE(button, ok);

        QString label;
        test::whenModal<QFileDialog>([&](QFileDialog* dialog) {
            label = dialog->labelText(QFileDialog::LookIn);
            dialog->reject();
        });
        QCOMPARE(FileDialog::openFileName(nullptr), QString());
        QCOMPARE(label, lookIn);
    }

    // New, then OK and Save in the English interface: the file has the table's Chinese keys,
    // as the Chinese interface writes them, so that files stay interchangeable.
    void filesKeepTheTablesChineseKeys() {
        const test::InterfaceLanguage language(Lang::En);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("background.inf"));
        Session session;
        session.lang = Lang::En;
        CRQ_880Dlg window(session);
        ConfigurationFlows flows(session, &window);
        window.setConfigurationActions(&flows);
        FileDialog::setNextFileName(path);
        test::onModal<CDevice>([](CDevice* chooser) {
            chooser->kindList()->setCurrentIndex(1);
            chooser->accept();
        });
        test::onModal<CMyPropertySheet>([](CMyPropertySheet* sheet) {
            test::onModal<CLoad>([](CLoad* chooser) { chooser->accept(); });
            sheet->okButton()->click();
        });
        window.newButton()->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (const std::uint32_t key : {116u, 113u, 114u, 115u, 4052u, 4053u, 87u, 194u}) {
            const Gbk chinese = uiText(key);
            QVERIFY2(bytes.contains(QByteArray::fromStdString(chinese)),
                     qPrintable(QString::number(key)));
            const QString english = uiString(key).trimmed();
            QVERIFY2(!bytes.contains(english.toUtf8()), qPrintable(english));
        }
    }
};

QTEST_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
