// The window icon: the icon theme's copy when the theme has one (a theme may restyle it),
// otherwise the copy compiled in from the same drawing, in every size that is installed.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "gui/app/CRQ_880App.h"

using kvt::gui::CRQ_880App;

class ProgramIconTest : public QObject {
    Q_OBJECT

private slots:
    void source_data() {
        QTest::addColumn<bool>("themeHasIcon");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("no theme copy: the compiled-in PNGs, every installed size")
            << false << QList<int>{16, 32, 48, 64, 128, 256};
        QTest::newRow("a theme copy wins over ours") << true << QList<int>{24};
    }
    void source() {
        QFETCH(bool, themeHasIcon);
        QFETCH(QList<int>, sizes);
        // A theme of our own, so that an installed package cannot answer for the build.
        QTemporaryDir themes;
        QVERIFY(themes.isValid());
        const QString theme = themes.filePath(QStringLiteral("kvt-test"));
        QVERIFY(QDir().mkpath(theme + QStringLiteral("/24x24/apps")));
        QFile index(theme + QStringLiteral("/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write(
            "[Icon Theme]\nName=kvt-test\nDirectories=24x24/apps\n\n"
            "[24x24/apps]\nSize=24\nType=Fixed\n");
        index.close();
        if (themeHasIcon) {
            QImage red(24, 24, QImage::Format_ARGB32);
            red.fill(Qt::red);
            QVERIFY(red.save(theme + QStringLiteral("/24x24/apps/com.kelvarin.kvt640.png")));
        }
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(QStringLiteral("kvt-test"));

        const QIcon icon = CRQ_880App::programIcon();
        QList<int> got;
        for (const QSize& size : icon.availableSizes()) {
            QCOMPARE(size.height(), size.width());
            got << size.width();
        }
        std::sort(got.begin(), got.end());
        QCOMPARE(got, sizes);
        const QColor middle = icon.pixmap(24).toImage().pixelColor(12, 12);
        QCOMPARE(middle == QColor(Qt::red), themeHasIcon);
    }
};

QTEST_MAIN(ProgramIconTest)
#include "ProgramIconTest.moc"
