#pragma once
// The export entries of the device list and the report list: a .csv file chosen with the file
// dialog, written whole or not at all.
#include <QString>
#include <string>

class QWidget;

namespace kvt::gui {

// Asks for a file (offering `suggested` as its name) and writes `bytes` to it atomically; a
// failed write is told to the user. True when the file was written.
bool exportCsv(QWidget* parent, const QString& suggested, const std::string& bytes);

}  // namespace kvt::gui
