#include "core/config/ConfigJson.h"

#include <cstdint>
#include <iterator>
#include <limits>
#include <map>
#include <string_view>
#include <variant>
#include <vector>

#include "core/config/Fields.h"

namespace kvt {
namespace {

using Sizes = std::array<Gbk, 9>;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string hexOf(const Gbk& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(text.size() * 2);
    for (const unsigned char c : text) {
        hex.push_back(kDigits[c >> 4]);
        hex.push_back(kDigits[c & 0xF]);
    }
    return hex;
}

std::optional<Gbk> fromHex(const OrderedJson& value) {
    if (!value.is_string()) return std::nullopt;
    const auto& hex = value.get_ref<const std::string&>();
    if (hex.size() % 2 != 0) return std::nullopt;
    Gbk bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<char>(high << 4 | low));
    }
    return bytes;
}

// Whether the UTF-8 string of `text` converts back to the same bytes.
bool exactAsString(const Gbk& text) {
    const auto back = utf8ToGbk(gbkToUtf8(text));
    return back && *back == text;
}

template <typename T>
bool readInteger(const OrderedJson& value, T& out) {
    std::int64_t wide = 0;
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
        wide = static_cast<std::int64_t>(u);
    } else if (value.is_number_integer()) {
        wide = value.get<std::int64_t>();
    } else {
        return false;
    }
    if (wide < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
        wide > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
        return false;
    }
    out = static_cast<T>(wide);
    return true;
}

struct ToJson {
    OrderedJson operator()(const std::int32_t* v) const { return *v; }
    OrderedJson operator()(const std::uint32_t* v) const { return *v; }
    OrderedJson operator()(const Gbk* v) const { return gbkToUtf8(*v); }
    OrderedJson operator()(const Sizes* v) const {
        OrderedJson out = OrderedJson::array();
        for (const Gbk& text : *v) out.push_back(gbkToUtf8(text));
        return out;
    }
};

// The companion value that keeps a text's exact bytes; null when the string says it all.
struct CompanionToJson {
    OrderedJson operator()(const std::int32_t*) const { return nullptr; }
    OrderedJson operator()(const std::uint32_t*) const { return nullptr; }
    OrderedJson operator()(const Gbk* v) const {
        return exactAsString(*v) ? OrderedJson() : OrderedJson(hexOf(*v));
    }
    OrderedJson operator()(const Sizes* v) const {
        bool exact = true;
        for (const Gbk& text : *v) exact = exact && exactAsString(text);
        if (exact) return nullptr;
        OrderedJson out = OrderedJson::array();
        for (const Gbk& text : *v) out.push_back(hexOf(text));
        return out;
    }
};

// Reads one field: numbers in their field's range, texts with `readText`, which takes the
// plain value or a companion's hex. Numbers have no companion.
struct FromJson {
    const OrderedJson& value;
    std::optional<Gbk> (*readText)(const OrderedJson&);
    bool numbers;
    bool operator()(std::int32_t* v) const { return numbers && readInteger(value, *v); }
    bool operator()(std::uint32_t* v) const { return numbers && readInteger(value, *v); }
    bool operator()(Gbk* v) const {
        auto text = readText(value);
        if (text) *v = std::move(*text);
        return text.has_value();
    }
    bool operator()(Sizes* v) const {
        if (!value.is_array() || value.size() != v->size()) return false;
        Sizes read;
        for (std::size_t i = 0; i < read.size(); ++i) {
            auto text = readText(value[i]);
            if (!text) return false;
            read[i] = std::move(*text);
        }
        *v = std::move(read);
        return true;
    }
};

}  // namespace

std::optional<Gbk> gbkTextFromJson(const OrderedJson& value) {
    if (value.is_string()) return utf8ToGbk(value.get_ref<const std::string&>());
    if (!value.is_object() || value.size() != 1 || !value.contains("gbkHex")) return std::nullopt;
    return fromHex(value["gbkHex"]);
}

OrderedJson configurationToJson(const CConfiguration& config, ConfigKind kind) {
    // The table hands out pointers for reading and writing alike; a copy keeps `config` const.
    CConfiguration copy = config;
    std::int32_t number = kindNumber(kind);
    FieldPlace fields{copy, number};
    OrderedJson out = OrderedJson::object();
    for (const ConfigField& field : configFields()) {
        const FieldRef ref = field.ref(fields);
        out[std::string(field.key)] = std::visit(ToJson{}, ref);
        if (OrderedJson exact = std::visit(CompanionToJson{}, ref); !exact.is_null())
            out[companionKey(field.key)] = std::move(exact);
    }
    return out;
}

std::optional<JsonConfiguration> configurationFromJson(const OrderedJson& json,
                                                       const CConfiguration& base,
                                                       ConfigKind baseKind, std::string* error) {
    auto fail = [&](std::string message) -> std::optional<JsonConfiguration> {
        if (error) *error = std::move(message);
        return std::nullopt;
    };
    if (!json.is_object()) return fail("not a JSON object");
    CConfiguration config = base;
    std::int32_t number = kindNumber(baseKind);
    FieldPlace fields{config, number};
    // Companions first: a text with one is taken from it, whatever its string says.
    std::map<std::string_view, const OrderedJson*> companions;
    for (const auto& [key, value] : json.items()) {
        const std::optional<std::string_view> of = companionOf(key);
        const ConfigField* field = of ? findField(*of) : nullptr;
        if (!field) continue;  // not a companion: an unknown key, refused below
        if (!std::visit(FromJson{value, fromHex, false}, field->ref(fields)))
            return fail("bad value for \"" + key + "\"");
        companions[field->key] = &value;
    }
    for (const auto& [key, value] : json.items()) {
        const ConfigField* field = findField(key);
        if (!field) {
            const std::optional<std::string_view> of = companionOf(key);
            if (of && findField(*of)) continue;
            return fail("unknown key \"" + key + "\"");
        }
        if (companions.contains(field->key)) continue;
        if (!std::visit(FromJson{value, gbkTextFromJson, true}, field->ref(fields))) {
            return fail("bad value for \"" + key + "\"");
        }
    }
    const std::optional<ConfigKind> kind = kindFromNumber(number);
    if (!kind) return fail("bad value for \"" + std::string(fieldKey(FieldId::Kind)) + "\"");
    return JsonConfiguration{std::move(config), *kind};
}

}  // namespace kvt
