// Shows a label with Chinese text through the windows platform plugin, grabs the window and
// checks that text was drawn: enough pixels differ from the window's background.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("搜索设备 KVT-640"));
    QFont font = label.font();
    font.setPointSize(20);
    label.setFont(font);
    label.resize(400, 80);
    label.show();
    int status = 1;
    QTimer::singleShot(500, &app, [&] {
        const QImage image = label.grab().toImage();
        const QRgb background = image.pixel(0, 0);
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) ink += image.pixel(x, y) != background;
        if (argc > 1) image.save(QString::fromLocal8Bit(argv[1]));
        std::printf("platform %s, %dx%d, %d drawn pixels\n",
                    QApplication::platformName().toUtf8().constData(), image.width(),
                    image.height(), ink);
        status = QApplication::platformName() == QLatin1String("windows") && ink > 200 ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
