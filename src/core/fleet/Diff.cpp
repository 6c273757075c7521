#include "core/fleet/Diff.h"

#include <algorithm>
#include <array>

#include "core/config/ConfigJson.h"
#include "core/config/DeviceImage.h"

namespace kvt {
namespace {

constexpr std::string_view kHexSuffix = "_gbk_hex";

// Not part of what the device stores for any kind.
constexpr std::array<std::string_view, 4> kNeverCompared = {"kind", "product_code",
                                                            "firmware_version", "file_version"};
// Only the background image carries these.
constexpr std::array<std::string_view, 5> kBackgroundOnly = {
    "network_name", "admin_password", "ip_setting_method", "reserved_parameter", "assembly_sizes"};
constexpr std::array<std::string_view, 2> kSecrets = {"user_password", "admin_password"};

template <std::size_t N>
bool among(const std::array<std::string_view, N>& names, std::string_view key) {
    return std::find(names.begin(), names.end(), key) != names.end();
}

bool isCompanion(std::string_view key) {
    return key.size() > kHexSuffix.size() && key.ends_with(kHexSuffix);
}

// The value shown for `key`: its exact bytes when the plain string cannot hold them.
OrderedJson shownValue(const OrderedJson& json, const std::string& key) {
    const auto companion = json.find(key + std::string(kHexSuffix));
    if (companion != json.end()) return OrderedJson{{"gbkHex", *companion}};
    return json.at(key);
}

std::string maskedText(const OrderedJson& value) {
    const bool empty = value.is_string() && value.get_ref<const std::string&>().empty();
    return OrderedJson(empty ? "" : "********").dump();
}

}  // namespace

std::vector<std::string_view> comparedFields(ConfigKind kind) {
    // The JSON form's own key list, less what the kind's image does not carry.
    static const OrderedJson keys = configurationToJson(CConfiguration{}, kUserConfig);
    std::vector<std::string_view> fields;
    for (const auto& item : keys.items()) {
        const std::string_view key = item.key();
        if (isCompanion(key) || among(kNeverCompared, key)) continue;
        if (kind == kUserConfig && among(kBackgroundOnly, key)) continue;
        fields.push_back(key);
    }
    return fields;
}

CConfiguration asDeviceHolds(const CConfiguration& config, ConfigKind kind) {
    CConfiguration held;
    held.productCode = config.productCode;
    held.identity = config.identity;
    parseImage(buildImage(config, kind), kind, held);
    return held;
}

std::vector<FieldDifference> diffConfigurations(const CConfiguration& left,
                                                const CConfiguration& right, ConfigKind kind,
                                                Compare how) {
    const bool held = how == Compare::AsDeviceHolds;
    const OrderedJson a = configurationToJson(held ? asDeviceHolds(left, kind) : left, kind);
    const OrderedJson b = configurationToJson(held ? asDeviceHolds(right, kind) : right, kind);
    std::vector<FieldDifference> differences;
    for (const std::string_view name : comparedFields(kind)) {
        const std::string key(name);
        const OrderedJson va = shownValue(a, key);
        const OrderedJson vb = shownValue(b, key);
        if (va == vb) continue;
        const bool secret = among(kSecrets, name);
        differences.push_back({key, secret ? maskedText(va) : va.dump(),
                               secret ? maskedText(vb) : vb.dump(), secret});
    }
    return differences;
}

}  // namespace kvt
