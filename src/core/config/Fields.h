#pragma once
// The fields of a configuration as the user and scripts meet them: the key of `show --json`,
// where the value lives, which configuration kind carries the field, whether it is a secret,
// what the editor's pages call it and how they show its values. The JSON form (ConfigJson.h),
// the comparison (Diff.h), the download warnings (Validate.h), inventories and the check after
// a download all name fields from this one table: adding a field is a row and its id.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/config/Configuration.h"
#include "core/text/UiText.h"

namespace kvt {

enum class FieldScope {
    Identity,        // about the file or the device, not part of a stored configuration
    BothKinds,       // in the user and the background image
    BackgroundOnly,  // in the background image only
};

// The fields by name, in the table's order: code names a field by its id and gets the key from
// the table, so each key is written once.
enum class FieldId : std::uint8_t {
    Kind,
    ProductCode,
    FirmwareVersion,
    FileVersion,
    NetworkName,
    IpMethod,
    IpAddress,
    SubnetMask,
    Gateway,
    Dns1,
    Dns2,
    UserPassword,
    AdminPassword,
    ReportEnabled,
    ReportTarget,
    ReportPort,
    ReportPeriod,
    IpSettingMethod,
    ReservedParameter,
    AssemblySizes,
};

// How a value is shown: as it is, or as the entry a page offers for it.
enum class FieldShape { Plain, IpMethod, OnOff, SettingMethod };

// Where a field's value lives in a configuration; the kind as the number JSON holds it.
struct FieldPlace {
    CConfiguration& config;
    std::int32_t& kind;
};
using FieldRef = std::variant<std::int32_t*, std::uint32_t*, Gbk*, std::array<Gbk, 9>*>;
using FieldAccessor = FieldRef (*)(FieldPlace&);

struct ConfigField {
    FieldId id;
    std::string_view key;  // the `show --json` key
    FieldAccessor ref;
    FieldScope scope;
    bool secret;          // a password: its value is never shown
    std::uint32_t label;  // catalogue text of the label on the page (the pages' own wording)
    FieldShape shape = FieldShape::Plain;
};

inline constexpr std::size_t kConfigFieldCount = 20;

// All fields, in the order of `show --json` (kConfigFieldCount of them).
std::span<const ConfigField> configFields();
// nullptr for a key the table does not know.
const ConfigField* findField(std::string_view key);
// Whether the image of `kind` carries the field.
bool carriedBy(const ConfigField& field, ConfigKind kind);

const ConfigField& configField(FieldId id);
inline std::string_view fieldKey(FieldId id) {
    return configField(id).key;
}
// One element of an array field: "assembly_sizes[3]".
std::string elementKey(FieldId id, std::size_t index);
// The password that a configuration of `kind` asks for.
FieldId passwordField(ConfigKind kind);

// A text that is not valid GBK keeps its exact bytes under a companion key beside its own.
std::string companionKey(std::string_view key);
// The key a companion key stands beside; nullopt for a name that is not a companion.
std::optional<std::string_view> companionOf(std::string_view name);

// The label of `key` ("IP配置方式" / "IP configuration"); "assembly_sizes[3]" names its
// assembly instance; an unknown key stands for itself.
std::string fieldLabel(std::string_view key, Lang lang);
// A value given as compact JSON text (as FieldDifference holds it) the way the page shows it:
// 1 of ip_method as "DHCP", a text without its quotes, an empty text as "（空）".
std::string fieldValueText(std::string_view key, const std::string& json, Lang lang);

}  // namespace kvt
