#pragma once
// The open-file and save-file dialogs of the tool, with a hook so that tests can give the next
// chosen name without a dialog being shown. The dialogs open in the folder of the file last
// chosen (remembered between runs).
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
    // Save of an exported table: filter "CSV (*.csv)", default suffix "csv", `suggested` as
    // the file name offered. Empty when cancelled.
    static QString saveCsvFileName(QWidget* parent, const QString& suggested);

    // Test hook: the next dialog returns `name` at once (an empty name means cancelled).
    static void setNextFileName(const QString& name);
    // How many dialogs were asked for since the last reset (tests check that none appeared).
    static int requests();
    static void resetHook();
};

}  // namespace kvt::gui
