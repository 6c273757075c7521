#pragma once
// The configuration of one device, as the editor, the device images and the files see it.
// User-typed values (addresses, most numbers) are kept as GBK texts and converted only when
// an image is built or parsed.
#include <array>
#include <cstdint>
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

enum ConfigKind : int { kUserConfig = 0, kBackgroundConfig = 1 };

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

// Ten texts: a device table record (discovery) or the identity of a configuration.
struct CEquipment {
    Gbk rowNumber;
    Gbk name;
    Gbk model;
    Gbk ipAddress;
    Gbk macAddress;
    Gbk firmwareVersion;
    Gbk fileVersion;
    Gbk userPasswordSet;   // "有" / "无"
    Gbk adminPasswordSet;  // "有" / "无"
    Gbk remoteConfig;      // "允许远程配置" / "禁止远程配置"
    // Not one of the ten texts: the interface (kernel name) whose search heard the device;
    // empty when the search went to one chosen target.
    std::string interfaceName;

    CEquipment();  // the password-set fields start as text 2001 "无", file version "1.0"
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

// The New fill for kind 0 (user) or 1 (background): what a fresh configuration holds.
CConfiguration newConfiguration(int kind);

}  // namespace kvt
