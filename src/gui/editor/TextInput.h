#pragma once
// Conversions at the edge between Qt's text and the model's GBK bytes, and the number parsing
// that the editor's checks use.
#include <QString>
#include <optional>

#include "core/text/Gbk.h"
#include "gui/app/Texts.h"

namespace kvt::gui {

// nullopt when the text holds a character GBK cannot hold.
inline std::optional<Gbk> toGbk(const QString& text) {
    return utf8ToGbk(text.toStdString());
}

inline QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

// The value of the text's leading decimal number, C atoi style (blanks, an optional sign,
// digits; nothing else counts). No digits gives 0. Clamped far outside every range we check,
// so that a long row of digits cannot overflow into a valid value.
long long leadingInteger(const QString& text);

}  // namespace kvt::gui

class QLineEdit;

namespace kvt::gui {

// Keeps `edit` at no more than maxBytes GBK bytes (a Chinese character counts two): typing or
// pasting past the limit is undone, as an edit with a text limit refuses the extra byte.
// Characters that GBK cannot hold are left for the owner's check to report.
void limitGbkBytes(QLineEdit* edit, std::size_t maxBytes);

}  // namespace kvt::gui
