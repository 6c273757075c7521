#include "gui/base/Settings.h"

namespace kvt::gui {

namespace {

const QString kSearchInterface = QStringLiteral("search/interface");
const QString kLanguage = QStringLiteral("interface/language");
const QString kReportPort = QStringLiteral("report/port");
const QString kLastFolder = QStringLiteral("files/lastFolder");
const QString kVerifyAfterWriting = QStringLiteral("download/verifyAfterWriting");
const QString kMainWindowGeometry = QStringLiteral("mainWindow/geometry");
const QString kMainWindowPosition = QStringLiteral("mainWindow/position");

}  // namespace

QSettings Settings::file() {
#ifdef Q_OS_WIN
    // The same INI text as on Linux, in %APPDATA%\kvt640\kvt640.ini rather than the registry:
    // a file a user can read, copy to another PC or delete.
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kvt640"),
                     QStringLiteral("kvt640"));
#else
    return QSettings(QStringLiteral("kvt640"), QStringLiteral("kvt640"));
#endif
}

QString Settings::searchInterface(const QString& fallback) {
    return file().value(kSearchInterface, fallback).toString();
}

void Settings::setSearchInterface(const QString& value) {
    file().setValue(kSearchInterface, value);
}

std::optional<Lang> Settings::language() {
    const QString value = file().value(kLanguage).toString();
    if (value == QLatin1String("zh")) return Lang::Zh;
    if (value == QLatin1String("en")) return Lang::En;
    return std::nullopt;  // none, or a hand-edited value we do not know
}

void Settings::setLanguage(Lang lang) {
    file().setValue(kLanguage, lang == Lang::En ? QStringLiteral("en") : QStringLiteral("zh"));
}

std::optional<std::uint16_t> Settings::reportPort() {
    bool ok = false;
    const uint port = file().value(kReportPort).toUInt(&ok);
    if (!ok || port < 1 || port > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

void Settings::setReportPort(std::uint16_t port) {
    file().setValue(kReportPort, port);
}

QString Settings::lastFolder() {
    return file().value(kLastFolder).toString();
}

void Settings::setLastFolder(const QString& folder) {
    file().setValue(kLastFolder, folder);
}

bool Settings::verifyAfterWriting() {
    return file().value(kVerifyAfterWriting, false).toBool();
}

void Settings::setVerifyAfterWriting(bool on) {
    file().setValue(kVerifyAfterWriting, on);
}

std::optional<QPoint> Settings::mainWindowPosition() {
    const QVariant value = file().value(kMainWindowPosition);
    if (!value.isValid()) return std::nullopt;
    return value.toPoint();
}

void Settings::setMainWindowPosition(QPoint position) {
    file().remove(kMainWindowGeometry);
    file().setValue(kMainWindowPosition, position);
}

QByteArray Settings::mainWindowGeometry() {
    return file().value(kMainWindowGeometry).toByteArray();
}

void Settings::setMainWindowGeometry(const QByteArray& geometry) {
    file().remove(kMainWindowPosition);
    file().setValue(kMainWindowGeometry, geometry);
}

}  // namespace kvt::gui
