#pragma once
// What the desktop tool remembers between runs, in ~/.config/kvt640/kvt640.conf. Every value
// has its key here, so that no two windows write the same key differently.
#include <QByteArray>
#include <QPoint>
#include <QSettings>
#include <QString>
#include <cstdint>
#include <optional>

#include "core/text/UiText.h"

namespace kvt::gui {

class Settings {
public:
    // The file itself, for values not listed below.
    static QSettings file();

    // The network interface the search leaves by: "all" or an interface's name.
    static QString searchInterface(const QString& fallback);
    static void setSearchInterface(const QString& value);

    // The language chosen in the main window; nullopt when none was chosen.
    static std::optional<Lang> language();
    static void setLanguage(Lang lang);

    // The UDP port the report window last listened on; nullopt when none was stored.
    static std::optional<std::uint16_t> reportPort();
    static void setReportPort(std::uint16_t port);

    // The folder of the file last opened or saved; empty at first.
    static QString lastFolder();
    static void setLastFolder(const QString& folder);

    // Whether a download is read back and compared ("写入后校验"); off unless chosen.
    static bool verifyAfterWriting();
    static void setVerifyAfterWriting(bool on);

    // The main window's size and place (QWidget::saveGeometry).
    static QByteArray mainWindowGeometry();
    static void setMainWindowGeometry(const QByteArray& geometry);
    // Only the place, for a window whose size the layout decided: the size is not kept.
    static std::optional<QPoint> mainWindowPosition();
    static void setMainWindowPosition(QPoint position);
};

}  // namespace kvt::gui
