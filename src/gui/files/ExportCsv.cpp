#include "gui/files/ExportCsv.h"

#include <QFile>

#include "core/files/ConfigFile.h"
#include "core/text/ExtraText.h"
#include "gui/base/MessageBox.h"
#include "gui/files/FileDialog.h"

namespace kvt::gui {

bool exportCsv(QWidget* parent, const QString& suggested, const std::string& bytes) {
    const QString path = FileDialog::saveCsvFileName(parent, suggested);
    if (path.isEmpty()) return false;
    if (writeFileAtomically(QFile::encodeName(path).toStdString(), bytes, nullptr)) return true;
    MessageBox::show(parent, kMsgSaveFailed, MessageBox::Buttons::Ok, MessageBox::Icon::Warning);
    return false;
}

}  // namespace kvt::gui
