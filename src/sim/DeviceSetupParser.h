#pragma once
// Device descriptions of the kvt275r-sim command line and its JSON configuration file.
#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Simulator.h"

namespace kvt::sim {

// "none", "no-answer", "refuse", "split[:MS]", "short", "wrong-code", "close", "slow[:MS]",
// "ignore-write", "no-enip".
// Split and slow pause 200 ms when no pause is given.
std::optional<Fault> parseFault(std::string_view text);

// One key of a device description; texts arrive as UTF-8 and are stored as GBK.
// Keys: name, ip, mac, user-password, admin-password, remote (allow|forbid), product, fw,
// fault, state, enip-sizes.
bool applyDeviceField(DeviceSetup& setup, std::string_view key, std::string_view value,
                      std::string* error);

// "name=GW-1,ip=127.0.0.2,...": `index` (0-based) picks the defaults of omitted keys.
std::optional<DeviceSetup> parseDeviceSetup(std::string_view text, std::size_t index,
                                            std::string* error);

// The defaults of device number `index`: name "GW-<index+1>", MAC 02:00:00:00:hi:lo of
// index+1, KVT-275R, firmware 1.0, no passwords, remote configuration allowed.
DeviceSetup defaultDevice(std::size_t index, const std::string& address);

// `count` devices on consecutive addresses from `base` (must stay inside 127.0.0.0/8).
std::optional<std::vector<DeviceSetup>> generateDevices(std::size_t count, const std::string& base,
                                                        std::size_t firstIndex, std::string* error);

// {"discoveryAddress", "discoveryPort", "devicePort", "devices": [{key: value, ...}]}; device
// keys as for applyDeviceField, values strings or numbers. Options present override `options`.
bool loadDeviceFile(const nlohmann::json& json, Options& options, std::vector<DeviceSetup>& devices,
                    std::string* error);

}  // namespace kvt::sim
