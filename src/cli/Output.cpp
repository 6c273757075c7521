#include "Output.h"

#include <iomanip>
#include <ostream>

#include "core/text/ExtraText.h"
#include "core/text/Gbk.h"
#include "core/text/UiText.h"

namespace kvt::cli {

nlohmann::ordered_json configurationJson(const CConfiguration& config, int kind) {
    nlohmann::ordered_json sizes = nlohmann::ordered_json::array();
    for (const Gbk& size : config.parameter.assemblySizes) sizes.push_back(gbkToUtf8(size));
    return {
        {"kind", kind},
        {"product_code", config.productCode},
        {"firmware_version", gbkToUtf8(config.identity.firmwareVersion)},
        {"file_version", gbkToUtf8(config.identity.fileVersion)},
        {"network_name", gbkToUtf8(config.ethernet.networkName)},
        {"ip_method", config.ethernet.ipMethod},
        {"ip_address", gbkToUtf8(config.ethernet.ipAddress)},
        {"subnet_mask", gbkToUtf8(config.ethernet.subnetMask)},
        {"gateway", gbkToUtf8(config.ethernet.gateway)},
        {"dns1", gbkToUtf8(config.ethernet.dns1)},
        {"dns2", gbkToUtf8(config.ethernet.dns2)},
        {"user_password", gbkToUtf8(config.advance.userPassword)},
        {"admin_password", gbkToUtf8(config.advance.adminPassword)},
        {"report_enabled", config.report.enabled},
        {"report_target", gbkToUtf8(config.report.targetIp)},
        {"report_port", config.report.port},
        {"report_period", config.report.period},
        {"ip_setting_method", config.parameter.ipSettingMethod},
        {"reserved_parameter", config.parameter.reservedParameter},
        {"assembly_sizes", sizes},
    };
}

void printConfiguration(std::ostream& out, const CConfiguration& config, int kind, bool json) {
    const nlohmann::ordered_json object = configurationJson(config, kind);
    if (json) {
        out << object.dump(2) << '\n';
        return;
    }
    // The same fields in the same order as the JSON keys, so both outputs read alike.
    static const char* const kOrder[] = {
        "kind",
        "product_code",
        "firmware_version",
        "file_version",
        "network_name",
        "ip_method",
        "ip_address",
        "subnet_mask",
        "gateway",
        "dns1",
        "dns2",
        "user_password",
        "admin_password",
        "report_enabled",
        "report_target",
        "report_port",
        "report_period",
        "ip_setting_method",
        "reserved_parameter",
        "assembly_sizes",
    };
    for (const char* key : kOrder) {
        const nlohmann::ordered_json& value = object.at(key);
        out << std::left << std::setw(20) << key;
        if (value.is_string()) {
            out << value.get<std::string>();
        } else if (value.is_array()) {
            const char* separator = "";
            for (const auto& item : value) {
                out << separator << item.get<std::string>();
                separator = " ";
            }
        } else {
            out << value.dump();
        }
        if (std::string(key) == "kind") {
            out << " (" << uiTextUtf8(kind == kBackgroundConfig ? 171 : 170) << ')';
        }
        out << '\n';
    }
}

std::string messageUtf8(std::uint32_t id) {
    return messageTextUtf8(id);
}

}  // namespace kvt::cli
