#pragma once
// Text helpers at the Qt edge: the model and the tables hold GBK, widgets take QString.
#include <QString>
#include <cstdint>
#include <initializer_list>

#include "core/text/Gbk.h"
#include "core/text/UiText.h"

namespace kvt {
struct CEquipment;
}

namespace kvt::gui {

// Text `id` of the UI text table, or one of our message ids (90000 up), in the interface
// language: the Chinese text as the table holds it, or its translation (Qt Linguist context
// "UiText", the id as disambiguation). Only for showing: files and the wire take the table's
// own texts from the core.
QString uiString(std::uint32_t id);

// A GBK text of the model (device names, addresses, ...).
inline QString fromGbk(const Gbk& text) {
    return QString::fromStdString(gbkToUtf8(text));
}

// A model value that may be a table text (the list shows "有", "其它设备", ...; the editor's
// caption may be "新建"): shown in the interface language when it is the text of one of
// `ids`, as it is otherwise (a device's own name, a file name).
QString shownValue(const Gbk& value, std::initializer_list<std::uint32_t> ids);

// Text `id` of the UI text table in the interface language, or `own` (a device's own text)
// where the id is 0.
inline QString shownText(std::uint32_t id, const Gbk& own) {
    return id != 0 ? uiString(id) : fromGbk(own);
}

// A window that acts on one device names it after its own caption:
// "用户参数配置 - Line-1 (127.0.0.12)". Without a device the caption stays as it is.
QString captionWithDevice(const QString& caption, const CEquipment* device);
// "Line-1 (127.0.0.12)", or the address alone for a device without a name.
QString deviceTitle(const CEquipment& device);

// A string resource of the chosen language.
inline QString resourceString(int id, Lang lang) {
    return fromGbk(stringResource(id, lang));
}

}  // namespace kvt::gui
