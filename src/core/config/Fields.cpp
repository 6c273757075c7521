#include "core/config/Fields.h"

#include <array>

#include "core/config/ConfigJson.h"
#include "core/text/Decimal.h"

namespace kvt {
namespace {

using enum FieldScope;
using enum FieldShape;

constexpr std::array kFields = {
    ConfigField{FieldId::Kind, "kind", [](FieldPlace& f) -> FieldRef { return &f.kind; }, Identity,
                false, "配置类型", "Configuration kind"},
    ConfigField{FieldId::ProductCode, "product_code",
                [](FieldPlace& f) -> FieldRef { return &f.config.productCode; }, Identity, false,
                "产品代码", "Product code"},
    ConfigField{FieldId::FirmwareVersion, "firmware_version",
                [](FieldPlace& f) -> FieldRef { return &f.config.identity.firmwareVersion; },
                Identity, false, "固件版本", "Firmware version"},
    ConfigField{FieldId::FileVersion, "file_version",
                [](FieldPlace& f) -> FieldRef { return &f.config.identity.fileVersion; }, Identity,
                false, "文件版本", "File version"},
    ConfigField{FieldId::NetworkName, "network_name",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.networkName; },
                BackgroundOnly, false, "网络名称", "Network name"},
    ConfigField{FieldId::IpMethod, "ip_method",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.ipMethod; }, BothKinds,
                false, "IP配置方式", "IP configuration", IpMethod},
    ConfigField{FieldId::IpAddress, "ip_address",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.ipAddress; }, BothKinds,
                false, "IP地址", "IP address"},
    ConfigField{FieldId::SubnetMask, "subnet_mask",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.subnetMask; }, BothKinds,
                false, "子网掩码", "Subnet mask"},
    ConfigField{FieldId::Gateway, "gateway",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.gateway; }, BothKinds,
                false, "默认网关", "Default gateway"},
    ConfigField{FieldId::Dns1, "dns1",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.dns1; }, BothKinds, false,
                "DNS1", "DNS1"},
    ConfigField{FieldId::Dns2, "dns2",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.dns2; }, BothKinds, false,
                "DNS2", "DNS2"},
    ConfigField{FieldId::UserPassword, "user_password",
                [](FieldPlace& f) -> FieldRef { return &f.config.advance.userPassword; }, BothKinds,
                true, "用户密码", "User password"},
    ConfigField{FieldId::AdminPassword, "admin_password",
                [](FieldPlace& f) -> FieldRef { return &f.config.advance.adminPassword; },
                BackgroundOnly, true, "管理员密码", "Admin password"},
    ConfigField{FieldId::ReportEnabled, "report_enabled",
                [](FieldPlace& f) -> FieldRef { return &f.config.report.enabled; }, BothKinds,
                false, "IP地址报告", "IP address report", OnOff},
    ConfigField{FieldId::ReportTarget, "report_target",
                [](FieldPlace& f) -> FieldRef { return &f.config.report.targetIp; }, BothKinds,
                false, "自动报告目标", "Report target"},
    ConfigField{FieldId::ReportPort, "report_port",
                [](FieldPlace& f) -> FieldRef { return &f.config.report.port; }, BothKinds, false,
                "自动报告端口", "Report port"},
    ConfigField{FieldId::ReportPeriod, "report_period",
                [](FieldPlace& f) -> FieldRef { return &f.config.report.period; }, BothKinds, false,
                "自动报告周期", "Report period"},
    ConfigField{FieldId::IpSettingMethod, "ip_setting_method",
                [](FieldPlace& f) -> FieldRef { return &f.config.parameter.ipSettingMethod; },
                BackgroundOnly, false, "获得IP地址方式", "How the IP address is obtained",
                SettingMethod},
    ConfigField{FieldId::ReservedParameter, "reserved_parameter",
                [](FieldPlace& f) -> FieldRef { return &f.config.parameter.reservedParameter; },
                BackgroundOnly, false, "保留参数", "Reserved parameter"},
    ConfigField{FieldId::AssemblySizes, "assembly_sizes",
                [](FieldPlace& f) -> FieldRef { return &f.config.parameter.assemblySizes; },
                BackgroundOnly, false, "Ethernet/IP连接参数", "Ethernet/IP Connection Parameters"},
};

static_assert(kFields.size() == kConfigFieldCount);
constexpr bool idsInOrder() {
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (static_cast<std::size_t>(kFields[i].id) != i) return false;
    return true;
}
static_assert(idsInOrder(), "each row sits at the index of its id");

constexpr std::string_view kCompanionSuffix = "_gbk_hex";

struct Choice {
    std::int64_t value;
    const char* zh;
    const char* en;
};
// The entries the pages offer; the texts are theirs.
constexpr Choice kIpMethods[] = {
    {0, "静态配置", "Static"}, {1, "DHCP", "DHCP"}, {2, "BOOTP", "BOOTP"}};
constexpr Choice kOnOff[] = {{0, "禁用", "Disabled"}, {1, "启用", "Enabled"}};
constexpr Choice kSettingMethods[] = {
    {0, "使用PC配置软件设置", "Set by the PC configuration tool"},
    {1, "使用串口（UART）设置", "Set by the host over the serial port (UART)"}};

template <std::size_t N>
std::string choiceText(const Choice (&choices)[N], const OrderedJson& value, Lang lang) {
    if (value.is_number_integer()) {
        for (const Choice& choice : choices)
            if (choice.value == value.get<std::int64_t>())
                return lang == Lang::En ? choice.en : choice.zh;
    }
    return value.dump();
}

std::string plainText(const OrderedJson& value, Lang lang) {
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (!text.empty()) return text;
        return lang == Lang::En ? "(empty)" : "（空）";
    }
    if (value.is_array()) {
        std::string joined;
        for (const OrderedJson& item : value) {
            if (!joined.empty()) joined += ", ";
            joined += plainText(item, lang);
        }
        return joined;
    }
    return value.dump();
}

}  // namespace

std::span<const ConfigField> configFields() {
    return kFields;
}

const ConfigField* findField(std::string_view key) {
    for (const ConfigField& field : kFields)
        if (field.key == key) return &field;
    return nullptr;
}

bool carriedBy(const ConfigField& field, ConfigKind kind) {
    switch (field.scope) {
        case Identity:
            return false;
        case BothKinds:
            return true;
        case BackgroundOnly:
            return kind == kBackgroundConfig;
    }
    return false;
}

const ConfigField& configField(FieldId id) {
    return kFields[static_cast<std::size_t>(id)];
}

std::string elementKey(FieldId id, std::size_t index) {
    return std::string(fieldKey(id)) + '[' + std::to_string(index) + ']';
}

FieldId passwordField(ConfigKind kind) {
    return kind == kUserConfig ? FieldId::UserPassword : FieldId::AdminPassword;
}

std::string companionKey(std::string_view key) {
    return std::string(key) + std::string(kCompanionSuffix);
}

std::optional<std::string_view> companionOf(std::string_view name) {
    if (name.size() <= kCompanionSuffix.size() || !name.ends_with(kCompanionSuffix))
        return std::nullopt;
    return name.substr(0, name.size() - kCompanionSuffix.size());
}

std::string fieldLabel(std::string_view key, Lang lang) {
    if (const ConfigField* field = findField(key)) return lang == Lang::En ? field->en : field->zh;
    // assembly_sizes[i]: named by its instance, as the advanced page does.
    const std::string prefix = std::string(fieldKey(FieldId::AssemblySizes)) + '[';
    if (key.starts_with(prefix) && key.ends_with(']')) {
        const std::optional<std::uint32_t> index =
            digitsOnlyValue(key.substr(prefix.size(), key.size() - prefix.size() - 1));
        if (index && *index < kAssemblyInstances.size())
            return "Assembly Instance " + std::to_string(kAssemblyInstances[*index]);
    }
    return std::string(key);
}

std::string fieldValueText(std::string_view key, const std::string& json, Lang lang) {
    const OrderedJson value = OrderedJson::parse(json, nullptr, false);
    if (value.is_discarded()) return json;
    const ConfigField* field = findField(key);
    switch (field ? field->shape : Plain) {
        case IpMethod:
            return choiceText(kIpMethods, value, lang);
        case OnOff:
            return choiceText(kOnOff, value, lang);
        case SettingMethod:
            return choiceText(kSettingMethods, value, lang);
        case Plain:
            break;
    }
    return plainText(value, lang);
}

}  // namespace kvt
