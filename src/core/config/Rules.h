#pragma once
// One home for what the tool's rules are made of: field widths, ranges, defaults and ports,
// and the checks of one typed value. The editor's pages, the image builder, the file reader,
// the command-line tool and the simulator all take them from here.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/text/Gbk.h"

namespace kvt {

// Network name and passwords travel in 20-byte text fields (a Chinese character takes two).
inline constexpr std::size_t kTextFieldBytes = 20;

struct NumberRange {
    std::int64_t min;
    std::int64_t max;
    constexpr bool contains(std::int64_t value) const { return value >= min && value <= max; }
};

inline constexpr NumberRange kPortRange{1, 65535};
inline constexpr NumberRange kReportPeriodRange{1, 7200};  // seconds
inline constexpr NumberRange kAssemblySizeRange{0, 256};   // bytes, input and output instances

inline constexpr std::int32_t kDefaultReportPort = 16800;  // also where the listener listens
inline constexpr std::int32_t kDefaultReportPeriod = 10;

inline constexpr std::uint16_t kDeviceConfigPort = 18801;  // TCP, on the device
inline constexpr std::uint16_t kDiscoveryPort = 18801;     // UDP, where search queries go
inline constexpr std::uint16_t kSearchLocalPort = 10002;   // UDP, where search queries leave

inline constexpr const char* kDefaultNetworkName = "Ethernet/IP";

// The five network addresses of a new configuration; an address that is missing from a file
// or that a device sends unusable becomes the same.
struct NetworkAddresses {
    const char* ipAddress;
    const char* subnetMask;
    const char* gateway;
    const char* dns1;
    const char* dns2;
};
inline constexpr NetworkAddresses kDefaultAddresses{"192.168.0.15", "255.255.255.0", "192.168.0.1",
                                                    "0.0.0.0", "0.0.0.0"};

// Assembly instances in their fixed order, and the sizes of a new configuration. The
// configuration instances (103, 113, 123) are carried but never edited.
inline constexpr std::array<int, 9> kAssemblyInstances = {102, 101, 103, 112, 111,
                                                          113, 122, 121, 123};
inline constexpr std::array<const char*, 9> kDefaultAssemblySizes = {
    "64", "64", "0", "128", "128", "0", "256", "256", "0"};
constexpr bool isConfigurationInstance(std::size_t index) {
    return index % 3 == 2;
}
inline std::array<Gbk, 9> defaultAssemblySizes() {
    std::array<Gbk, 9> sizes;
    for (std::size_t i = 0; i < sizes.size(); ++i) sizes[i] = kDefaultAssemblySizes[i];
    return sizes;
}

// ---------------------------------------------------------------- one typed value

// What the pages say when a rule refuses a typed value (UI text ids).
enum RuleText : std::uint32_t {
    kTextPasswordTooLong = 198,  // "密码不可超过20个字符！"
    kTextOutOfRange = 199,       // "输入数值超出范围！"
    kTextNameTooLong = 5051,     // "名字长度不能超过20个字符!"
    kTextNameSpace = 5052,       // "名字不能有空格!"
};

// A port, period or size as typed: digits and nothing else, inside `range`. Anything else
// (letters, blanks, a sign, an empty text) is no number at all.
std::optional<std::int32_t> typedNumber(std::string_view text, NumberRange range);

// Network name: at most kTextFieldBytes bytes, no space (the device takes it as one word).
enum class NameProblem { None, TooLong, Space };
NameProblem checkNetworkName(std::string_view name);

inline bool passwordFits(std::string_view password) {
    return password.size() <= kTextFieldBytes;
}

// A dotted-decimal IPv4 address as the address controls write it: four parts of one to three
// digits, each at most 255. Returns the address with its first part in the high byte.
std::optional<std::uint32_t> dottedQuad(std::string_view text);

}  // namespace kvt
