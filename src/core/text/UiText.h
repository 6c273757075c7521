#pragma once
// The numbered UI text table and the language-dependent string resources.
// Both hand out GBK bytes; the table's source holds UTF-8.
#include <cstdint>
#include <string>

#include "core/text/Gbk.h"

namespace kvt {

inline constexpr std::uint32_t kUiTextCount = 615;

namespace detail {
struct UiTextEntry {
    std::uint32_t id;
    const char* utf8;  // null would mean "no text"; every entry of ours has one
};
extern const UiTextEntry kUiTextEntries[kUiTextCount];
}  // namespace detail

// Text of the first entry with this id, as GBK; empty for an id without an entry.
Gbk uiText(std::uint32_t id);

// Same text as UTF-8, for the Qt and terminal edges.
std::string uiTextUtf8(std::uint32_t id);

// Language of the string resources (help file name, password keys of configuration files,
// the about menu item). The UI text table itself is Chinese in both.
enum class Lang { Zh, En };

// String resources by id: 92 help file, 93/161 password keys with their tab (writer),
// 111/162 the same keys without it (reader), 101 the about menu item. Empty when unknown.
Gbk stringResource(int id, Lang lang);

}  // namespace kvt
