#pragma once
// Text helpers at the Qt edge: the model and the tables hold GBK, widgets take QString.
#include <QString>
#include <cstdint>

#include "core/text/Gbk.h"
#include "core/text/UiText.h"

namespace kvt::gui {

// Text `id` of the UI text table.
inline QString uiString(std::uint32_t id) {
    return QString::fromStdString(uiTextUtf8(id));
}

// A GBK text of the model (device names, addresses, ...).
inline QString fromGbk(const Gbk& text) {
    return QString::fromStdString(gbkToUtf8(text));
}

// A string resource of the chosen language.
inline QString resourceString(int id, Lang lang) {
    return fromGbk(stringResource(id, lang));
}

// A fixed text of a window (the texts that the UI text table does not provide), in the chosen
// language. Both arguments are UTF-8 literals.
inline QString langText(Lang lang, const char* zh, const char* en) {
    return QString::fromUtf8(lang == Lang::En ? en : zh);
}

}  // namespace kvt::gui
