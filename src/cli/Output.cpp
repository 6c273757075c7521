#include "Output.h"

#include <iomanip>
#include <ostream>
#include <string_view>

#include "core/config/ConfigJson.h"
#include "core/config/Fields.h"
#include "core/text/ExtraText.h"
#include "core/text/Gbk.h"
#include "core/text/UiText.h"

namespace kvt::cli {
namespace {

// A text value of the JSON form as people read it: the string, whose bytes that are not GBK
// already show as U+FFFD.
std::string displayText(const OrderedJson& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

bool isCompanion(std::string_view key) {
    return companionOf(key).has_value();
}

}  // namespace

void printConfiguration(std::ostream& out, const CConfiguration& config, ConfigKind kind,
                        bool json) {
    const OrderedJson object = configurationToJson(config, kind);
    if (json) {
        out << object.dump(2) << '\n';
        return;
    }
    // The same fields in the same order as the JSON keys, so both outputs read alike.
    for (const auto& [key, value] : object.items()) {
        if (isCompanion(key)) continue;
        out << std::left << std::setw(20) << key;
        if (value.is_number()) {
            out << value.dump();
        } else if (value.is_array()) {
            const char* separator = "";
            for (const auto& item : value) {
                out << separator << displayText(item);
                separator = " ";
            }
        } else {
            out << displayText(value);
        }
        if (key == fieldKey(FieldId::Kind)) {
            out << " (" << uiTextUtf8(kind == kBackgroundConfig ? 171 : 170) << ')';
        }
        out << '\n';
    }
}

std::string messageUtf8(std::uint32_t id) {
    return messageTextUtf8(id);
}

}  // namespace kvt::cli
