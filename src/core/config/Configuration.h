#pragma once
// The configuration of one device, as the editor, the device images and the files see it.
// User-typed values (addresses, most numbers) are kept as GBK texts and converted only when
// an image is built or parsed.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/config/Rules.h"
#include "core/text/Gbk.h"

namespace kvt {

inline constexpr std::uint32_t kProductKvt275r = 134103;  // discovery product bytes 02 0B D7
inline constexpr std::uint32_t kProductLegacyA = 30103;   // older multi-port gateways
inline constexpr std::uint32_t kProductLegacyB = 30203;
inline constexpr const char* kModelKvt275r = "KVT-275R";

inline bool isLegacyProduct(std::uint32_t code) {
    return code == kProductLegacyA || code == kProductLegacyB;
}

// Which of a device's two configurations: the user configuration (network settings, user
// password, IP address report) or the background configuration (all of it). Files, images and
// JSON carry it as the number 0 or 1.
enum class ConfigKind : std::int32_t { User = 0, Background = 1 };
inline constexpr ConfigKind kUserConfig = ConfigKind::User;
inline constexpr ConfigKind kBackgroundConfig = ConfigKind::Background;

inline constexpr std::int32_t kindNumber(ConfigKind kind) {
    return static_cast<std::int32_t>(kind);
}
// The kind a stored 0 or 1 stands for; nullopt for any other number.
inline constexpr std::optional<ConfigKind> kindFromNumber(long long number) {
    if (number == 0) return kUserConfig;
    if (number == 1) return kBackgroundConfig;
    return std::nullopt;
}

inline constexpr std::int32_t kIpMethodStatic = 0;
inline constexpr std::int32_t kIpMethodDhcp = 1;
inline constexpr std::int32_t kIpMethodBootp = 2;

struct CEthernet {
    Gbk networkName;
    std::int32_t ipMethod = 0;  // 0 static, 1 DHCP, 2 BOOTP
    Gbk ipAddress;
    Gbk subnetMask;
    Gbk gateway;
    Gbk dns1;
    Gbk dns2;
    bool operator==(const CEthernet&) const = default;
};

struct CAdvance {
    Gbk userPassword;
    Gbk adminPassword;
    bool operator==(const CAdvance&) const = default;
};

struct IPReport {
    std::int32_t enabled = 0;
    Gbk targetIp;
    std::int32_t port = kDefaultReportPort;
    std::int32_t period = kDefaultReportPeriod;
    bool operator==(const IPReport&) const = default;
};

struct CParameter {
    std::int32_t ipSettingMethod = 0;  // 0 PC software, 1 host over the UART
    std::uint32_t reservedParameter = 0;
    // In the order of kAssemblyInstances.
    std::array<Gbk, 9> assemblySizes = defaultAssemblySizes();
    bool operator==(const CParameter&) const = default;
};

// Whether a device lets the tool read and write its configuration over the network (its local
// switch decides).
enum class RemoteConfig { Allowed, Forbidden };

// Which search listed a device: the two word another product differently, and only the
// broadcast search's wording keeps such a row from being selected.
enum class FoundBy { BroadcastSearch, AddressSearch };

// A device table record (discovery) or the identity of a configuration. The facts are typed;
// the texts the device list shows for them come from DeviceTexts.h.
struct CEquipment {
    Gbk rowNumber;  // the list's row text: " 1" in a broadcast search, "1" by address
    Gbk name;       // as the device sent it; another product sends none
    std::uint32_t productCode = kProductKvt275r;  // 24-bit code of the discovery reply
    Gbk ipAddress;
    Gbk macAddress;
    Gbk firmwareVersion;
    Gbk fileVersion = "1.0";
    bool userPasswordSet = false;
    bool adminPasswordSet = false;
    RemoteConfig remoteConfig = RemoteConfig::Allowed;
    FoundBy foundBy = FoundBy::BroadcastSearch;
    // The interface (kernel name) whose search heard the device; empty when the search went to
    // one chosen target.
    std::string interfaceName;

    bool isKvt275r() const { return productCode == kProductKvt275r; }
    bool remoteForbidden() const { return remoteConfig == RemoteConfig::Forbidden; }
    bool passwordSet(ConfigKind kind) const {
        return kind == ConfigKind::User ? userPasswordSet : adminPasswordSet;
    }
    // A click may select the row: every product but the one the broadcast search calls
    // "其它设备".
    bool selectable() const { return isKvt275r() || foundBy == FoundBy::AddressSearch; }
    // A gateway that has no address yet reports 0.0.0.0 (or nothing at all).
    bool hasAddress() const { return !ipAddress.empty() && ipAddress != Gbk("0.0.0.0"); }
    bool operator==(const CEquipment&) const = default;
};

struct CConfiguration {
    CEthernet ethernet;
    CAdvance advance;
    IPReport report;
    std::uint32_t productCode = 0;
    CParameter parameter;
    CEquipment identity;
    bool operator==(const CConfiguration&) const = default;
};

// The password `config` sets for `kind`: the user password, or the administrator's.
inline const Gbk& passwordOf(const CConfiguration& config, ConfigKind kind) {
    return kind == kUserConfig ? config.advance.userPassword : config.advance.adminPassword;
}

// The New fill of `kind`: what a fresh configuration holds.
CConfiguration newConfiguration(ConfigKind kind);

}  // namespace kvt
