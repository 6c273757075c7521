#pragma once
// Field-by-field comparison of two configurations under the keys of `show --json`, for the
// diff command, the apply flow's checks and the desktop tool's check after a download.
#include <string>
#include <string_view>
#include <vector>

#include "core/config/Configuration.h"

namespace kvt {

struct FieldDifference {
    std::string field;  // the `show --json` key, as the field table (Fields.h) spells it
    // The two values as compact JSON texts ("\"127.0.0.2\"", "1", an array for the sizes). A
    // text that is not valid GBK shows as {"gbkHex": "..."} with its exact bytes (arrays of hex
    // for the sizes). A password shows as "********" (or "" when empty), never as itself.
    std::string left;
    std::string right;
    bool secret = false;  // a password: its values are masked
};

enum class Compare {
    // What the device would hold after taking each side: both go through the device image of
    // the kind (a disabled report keeps no target, a port is cut to 16 bits, a number is read
    // as the device reads it). Use it whenever one side is, or will be, a device's.
    AsDeviceHolds,
    // The values as they are, for two files.
    AsWritten,
};

// The keys compared for `kind`: the fields its image carries. User: ip_method, ip_address,
// subnet_mask, gateway, dns1, dns2, user_password, report_enabled, report_target, report_port,
// report_period. Background: those and network_name, admin_password, ip_setting_method,
// reserved_parameter, assembly_sizes. Never compared: kind, product_code, firmware_version and
// file_version (the device does not store them in its configuration).
std::vector<std::string_view> comparedFields(ConfigKind kind);

// The compared fields whose values differ, in the order of `show --json`. Empty when the two
// are equal for `kind`.
std::vector<FieldDifference> diffConfigurations(const CConfiguration& left,
                                                const CConfiguration& right, ConfigKind kind,
                                                Compare how = Compare::AsDeviceHolds);

// `config` as a device of `kind` would hand it back after storing it.
CConfiguration asDeviceHolds(const CConfiguration& config, ConfigKind kind);

}  // namespace kvt
