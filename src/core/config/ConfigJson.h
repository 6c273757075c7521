#pragma once
// The JSON form of a configuration: what `kvt640-cli show --json` and `read --json` print and
// what the simulator keeps its devices' state in. One key list, in the order both print it.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "core/config/Configuration.h"

namespace kvt {

using OrderedJson = nlohmann::ordered_json;

// A text value as JSON holds it: a string, or (as files of the simulator's first JSON form
// hold a text that is not GBK) {"gbkHex": "<two hex digits per byte>"}. nullopt for anything
// else (a string GBK cannot hold, bad hex, another type).
std::optional<Gbk> gbkTextFromJson(const OrderedJson& value);

// Keys: kind (0 user, 1 background), product_code, firmware_version, file_version,
// network_name, ip_method, ip_address, subnet_mask, gateway, dns1, dns2, user_password,
// admin_password, report_enabled, report_target, report_port, report_period, ip_setting_method,
// reserved_parameter, assembly_sizes (an array of the nine texts, instances 102, 101, 103, 112,
// 111, 113, 122, 121, 123).
// Texts are UTF-8 strings, as scripts read them; a text that is not valid GBK shows its bad
// bytes as U+FFFD there and keeps its exact bytes in a companion key right after it
// (companionKey of Fields.h; for assembly_sizes an array of nine hex strings).
OrderedJson configurationToJson(const CConfiguration& config, ConfigKind kind);

struct JsonConfiguration {
    CConfiguration config;
    ConfigKind kind = kUserConfig;
};

// Keys that are missing keep the values of `base` and `baseKind`; a companion key wins over
// its text. An unknown key, a value of the wrong type, a number out of its field's range or a
// kind other than 0 and 1 fails, and `error` names the key.
std::optional<JsonConfiguration> configurationFromJson(const OrderedJson& json,
                                                       const CConfiguration& base,
                                                       ConfigKind baseKind, std::string* error);

}  // namespace kvt
