#pragma once
// The open-file and save-file dialogs of configuration files, with a hook so that tests can
// give the next chosen name without a dialog being shown.
#include <QString>

class QWidget;

namespace kvt::gui {

class FileDialog {
public:
    // Save: filter "Config File (*.inf)", default suffix "inf", the platform asks before an
    // existing file is replaced. Empty when cancelled.
    static QString saveFileName(QWidget* parent);
    // Open: filters "Config File (*.inf)" and "All File (*)". Empty when cancelled.
    static QString openFileName(QWidget* parent);

    // Test hook: the next dialog returns `name` at once (an empty name means cancelled).
    static void setNextFileName(const QString& name);
    // How many dialogs were asked for since the last reset (tests check that none appeared).
    static int requests();
    static void resetHook();
};

}  // namespace kvt::gui
