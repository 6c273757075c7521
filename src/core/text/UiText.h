#pragma once
// The numbered UI text table, part of the text catalogue (with core/text/ExtraText.h): each
// text in Chinese and English. The Qt translation files are made from it at build time.
// Texts are GBK where the model, the files or the wire take them; the table's source is UTF-8.
#include <cstdint>
#include <string>

#include "core/text/Gbk.h"

namespace kvt {

inline constexpr std::uint32_t kUiTextCount = 615;

enum class Lang { Zh, En };

namespace detail {
struct UiTextEntry {
    std::uint32_t id;
    const char* utf8;  // the Chinese text, which files and the wire carry
    const char* en;
};
extern const UiTextEntry kUiTextEntries[kUiTextCount];
}  // namespace detail

// Text of the first entry with this id, as GBK; empty for an id without an entry.
Gbk uiText(std::uint32_t id);

// Same text as UTF-8, for the Qt and terminal edges; or its English.
std::string uiTextUtf8(std::uint32_t id, Lang lang = Lang::Zh);

// String resources by id: 92 help file, 93/161 password keys with their tab (writer),
// 111/162 the same keys without it (reader), 101 the about menu item. Empty when unknown.
Gbk stringResource(int id, Lang lang);

}  // namespace kvt
