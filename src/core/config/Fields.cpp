#include "core/config/Fields.h"

#include <array>

#include "core/config/ConfigJson.h"
#include "core/text/Decimal.h"
#include "core/text/ExtraText.h"

namespace kvt {
namespace {

using enum FieldScope;
using enum FieldShape;

constexpr std::array kFields = {
    ConfigField{FieldId::Kind, "kind", [](FieldPlace& f) -> FieldRef { return &f.kind; }, Identity,
                false, kTxtFieldKind},
    ConfigField{FieldId::ProductCode, "product_code",
                [](FieldPlace& f) -> FieldRef { return &f.config.productCode; }, Identity, false,
                kTxtFieldProductCode},
    ConfigField{FieldId::FirmwareVersion, "firmware_version",
                [](FieldPlace& f) -> FieldRef { return &f.config.identity.firmwareVersion; },
                Identity, false, kTxtFieldFirmware},
    ConfigField{FieldId::FileVersion, "file_version",
                [](FieldPlace& f) -> FieldRef { return &f.config.identity.fileVersion; }, Identity,
                false, kTxtFieldFileVersion},
    ConfigField{FieldId::NetworkName, "network_name",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.networkName; },
                BackgroundOnly, false, 9002},
    ConfigField{FieldId::IpMethod, "ip_method",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.ipMethod; }, BothKinds,
                false, 9003, IpMethod},
    ConfigField{FieldId::IpAddress, "ip_address",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.ipAddress; }, BothKinds,
                false, 9004},
    ConfigField{FieldId::SubnetMask, "subnet_mask",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.subnetMask; }, BothKinds,
                false, 9005},
    ConfigField{FieldId::Gateway, "gateway",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.gateway; }, BothKinds,
                false, 9006},
    ConfigField{FieldId::Dns1, "dns1",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.dns1; }, BothKinds, false,
                9007},
    ConfigField{FieldId::Dns2, "dns2",
                [](FieldPlace& f) -> FieldRef { return &f.config.ethernet.dns2; }, BothKinds, false,
                9008},
    ConfigField{FieldId::UserPassword, "user_password",
                [](FieldPlace& f) -> FieldRef { return &f.config.advance.userPassword; }, BothKinds,
                true, 14002},
    ConfigField{FieldId::AdminPassword, "admin_password",
                [](FieldPlace& f) -> FieldRef { return &f.config.advance.adminPassword; },
                BackgroundOnly, true, 14004},
    ConfigField{FieldId::ReportEnabled, "report_enabled",
                [](FieldPlace& f) -> FieldRef { return &f.config.report.enabled; }, BothKinds,
                false, kTxtFieldReport, OnOff},
    ConfigField{FieldId::ReportTarget, "report_target",
                [](FieldPlace& f) -> FieldRef { return &f.config.report.targetIp; }, BothKinds,
                false, kTxtFieldReportTarget},
    ConfigField{FieldId::ReportPort, "report_port",
                [](FieldPlace& f) -> FieldRef { return &f.config.report.port; }, BothKinds, false,
                kTxtFieldReportPort},
    ConfigField{FieldId::ReportPeriod, "report_period",
                [](FieldPlace& f) -> FieldRef { return &f.config.report.period; }, BothKinds, false,
                kTxtFieldReportPeriod},
    ConfigField{FieldId::IpSettingMethod, "ip_setting_method",
                [](FieldPlace& f) -> FieldRef { return &f.config.parameter.ipSettingMethod; },
                BackgroundOnly, false, 176, SettingMethod},
    ConfigField{FieldId::ReservedParameter, "reserved_parameter",
                [](FieldPlace& f) -> FieldRef { return &f.config.parameter.reservedParameter; },
                BackgroundOnly, false, kTxtFieldReserved},
    ConfigField{FieldId::AssemblySizes, "assembly_sizes",
                [](FieldPlace& f) -> FieldRef { return &f.config.parameter.assemblySizes; },
                BackgroundOnly, false, kTxtFieldAssemblies},
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
    std::uint32_t text;
};
// The entries the pages offer; the texts are theirs.
constexpr Choice kIpMethods[] = {{0, 5012}, {1, 4123}, {2, 4124}};
constexpr Choice kOnOff[] = {{0, kTxtDisabled}, {1, kTxtEnabled}};
constexpr Choice kSettingMethods[] = {{0, 174}, {1, 175}};

template <std::size_t N>
std::string choiceText(const Choice (&choices)[N], const OrderedJson& value, Lang lang) {
    if (value.is_number_integer()) {
        for (const Choice& choice : choices)
            if (choice.value == value.get<std::int64_t>()) return textUtf8(choice.text, lang);
    }
    return value.dump();
}

std::string plainText(const OrderedJson& value, Lang lang) {
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (!text.empty()) return text;
        return textUtf8(kTxtEmptyValue, lang);
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
    if (const ConfigField* field = findField(key)) return textUtf8(field->label, lang);
    // assembly_sizes[i]: named by its instance, as the advanced page does.
    const std::string prefix = std::string(fieldKey(FieldId::AssemblySizes)) + '[';
    if (key.starts_with(prefix) && key.ends_with(']')) {
        const std::optional<std::uint32_t> index =
            digitsOnlyValue(key.substr(prefix.size(), key.size() - prefix.size() - 1));
        if (index && *index < kAssemblyInstances.size())
            return render(
                text(kTxtAssemblyInstance, {literal(std::to_string(kAssemblyInstances[*index]))}),
                lang);
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
