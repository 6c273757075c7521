// The open-file dialog of configuration files, shown for real: what each of its filters lets
// the user see in a folder.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "gui/files/FileDialog.h"

using namespace kvt;
using namespace kvt::gui;

class FileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() { FileDialog::resetHook(); }

    void openFiltersShowTheirFiles_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("configuration files only")
            << 0 << QStringLiteral("Config File (*.inf)") << QStringList{QStringLiteral("a.inf")};
        // Linux file names often have no dot at all ("*.*" would hide them).
        QTest::newRow("all files, also those without a dot")
            << 1 << QStringLiteral("All File (*)")
            << QStringList{QStringLiteral("a.inf"), QStringLiteral("notes.txt"),
                           QStringLiteral("settings")};
    }
    void openFiltersShowTheirFiles() {
        QFETCH(int, filter);
        QFETCH(QString, label);
        QFETCH(QStringList, shown);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        for (const char* name : {"a.inf", "notes.txt", "settings"}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        QStringList filters;
        QStringList listed;
        bool sawDialog = false;
        bool settled = false;
        test::whenModal<QFileDialog>([&](QFileDialog* dialog) {
            sawDialog = true;
            filters = dialog->nameFilters();
            auto* model = dialog->findChild<QFileSystemModel*>();
            if (model) {
                QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
                dialog->setDirectory(folder.path());
                dialog->selectNameFilter(filters.value(filter));
                // The model reads the folder on its own thread and refilters after the
                // filter change; wait for it to show what is expected (or give up).
                const QModelIndex dir = model->index(folder.path());
                settled = QTest::qWaitFor(
                    [&] { return !loaded.isEmpty() && model->rowCount(dir) == shown.size(); },
                    5000);
                for (int r = 0; r < model->rowCount(dir); ++r)
                    listed << model->index(r, 0, dir).data().toString();
                listed.sort();
            }
            dialog->reject();
        });
        QCOMPARE(FileDialog::openFileName(nullptr), QString());
        QVERIFY(sawDialog);
        QCOMPARE(filters.size(), 2);
        QCOMPARE(listed, shown);
        QVERIFY(settled);
        QCOMPARE(filters.value(filter), label);
    }
};

QTEST_MAIN(FileDialogTest)
#include "FileDialogTest.moc"
