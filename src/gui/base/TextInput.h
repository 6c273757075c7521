#pragma once
// Conversions at the edge between Qt's text and the model's GBK bytes. The checks of typed
// values themselves are the core's (core/config/Rules.h).
#include <QString>
#include <optional>

#include "core/text/Gbk.h"
#include "gui/base/Texts.h"

namespace kvt::gui {

// nullopt when the text holds a character GBK cannot hold.
inline std::optional<Gbk> toGbk(const QString& text) {
    return utf8ToGbk(text.toStdString());
}

inline QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace kvt::gui

class QLineEdit;

namespace kvt::gui {

// Keeps `edit` at no more than maxBytes GBK bytes (a Chinese character counts two): typing or
// pasting past the limit is undone, as an edit with a text limit refuses the extra byte.
// Characters that GBK cannot hold are left for the owner's check to report.
void limitGbkBytes(QLineEdit* edit, std::size_t maxBytes);

}  // namespace kvt::gui
