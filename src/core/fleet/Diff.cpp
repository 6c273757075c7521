#include "core/fleet/Diff.h"

#include "core/config/ConfigJson.h"
#include "core/config/DeviceImage.h"
#include "core/config/Fields.h"

namespace kvt {
namespace {

// The value shown for `key`: its exact bytes when the plain string cannot hold them.
OrderedJson shownValue(const OrderedJson& json, const std::string& key) {
    const auto companion = json.find(companionKey(key));
    if (companion != json.end()) return OrderedJson{{"gbkHex", *companion}};
    return json.at(key);
}

std::string maskedText(const OrderedJson& value) {
    const bool empty = value.is_string() && value.get_ref<const std::string&>().empty();
    return OrderedJson(empty ? "" : "********").dump();
}

}  // namespace

std::vector<std::string_view> comparedFields(ConfigKind kind) {
    // The field table, less what the kind's image does not carry.
    std::vector<std::string_view> fields;
    for (const ConfigField& field : configFields())
        if (carriedBy(field, kind)) fields.push_back(field.key);
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
        const ConfigField* field = findField(name);
        const bool secret = field && field->secret;
        differences.push_back({key, secret ? maskedText(va) : va.dump(),
                               secret ? maskedText(vb) : vb.dump(), secret});
    }
    return differences;
}

}  // namespace kvt
