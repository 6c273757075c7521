#include "gui/files/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <deque>

#include "gui/base/Settings.h"

namespace kvt::gui {

namespace {

struct Hook {
    std::deque<QString> names;
    int requests = 0;
};

// Dialogs run on the user-interface thread only.
Hook& hook() {
    static Hook h;
    return h;
}

struct Request {
    QFileDialog::AcceptMode mode;
    QStringList filters;
    QString suffix;
    QString suggested;  // file name offered by a save dialog
};

QString ask(QWidget* parent, const Request& request) {
    ++hook().requests;
    if (!hook().names.empty()) {
        QString name = hook().names.front();
        hook().names.pop_front();
        return name;
    }
    QFileDialog dialog(parent);
    dialog.setAcceptMode(request.mode);
    dialog.setFileMode(request.mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                               : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.suffix);
    // A folder that has gone since is left to the dialog's own choice.
    const QString folder = Settings::lastFolder();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) dialog.setDirectory(folder);
    if (!request.suggested.isEmpty()) dialog.selectFile(request.suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString run(QWidget* parent, const Request& request) {
    const QString name = ask(parent, request);
    if (!name.isEmpty()) Settings::setLastFolder(QFileInfo(name).absolutePath());
    return name;
}

}  // namespace

QString FileDialog::saveFileName(QWidget* parent) {
    return run(parent, {QFileDialog::AcceptSave,
                        {QStringLiteral("Config File (*.inf)")},
                        QStringLiteral("inf"),
                        {}});
}

QString FileDialog::openFileName(QWidget* parent) {
    // "*" rather than "*.*": on Linux many files have no dot in their names.
    return run(parent, {QFileDialog::AcceptOpen,
                        {QStringLiteral("Config File (*.inf)"), QStringLiteral("All File (*)")},
                        QStringLiteral("inf"),
                        {}});
}

QString FileDialog::saveCsvFileName(QWidget* parent, const QString& suggested) {
    return run(parent, {QFileDialog::AcceptSave,
                        {QStringLiteral("CSV (*.csv)")},
                        QStringLiteral("csv"),
                        suggested});
}

void FileDialog::setNextFileName(const QString& name) {
    hook().names.push_back(name);
}

int FileDialog::requests() {
    return hook().requests;
}

void FileDialog::resetHook() {
    hook() = Hook{};
}

}  // namespace kvt::gui
