#pragma once
// A simulated device's configuration on disk, so that it survives a restart of the simulator:
// the core's JSON form of the background configuration (a text that is not valid GBK keeps its
// exact bytes in its companion key). Files of the earlier camelCase form are still
// read.
#include <optional>
#include <string>

#include "core/config/ConfigJson.h"
#include "core/config/Configuration.h"

namespace kvt::sim {

// The earlier form: networkName, ipMethod, ipAddress, subnetMask, gateway, dns1, dns2,
// userPassword, adminPassword, report {enabled, targetIp, port, period}, ipSettingMethod,
// reservedParameter, assemblySizes. Fields that are missing keep the values of `base`.
std::optional<kvt::CConfiguration> configurationFromEarlierJson(const kvt::OrderedJson& json,
                                                                const kvt::CConfiguration& base,
                                                                std::string* error);

// nullopt with an empty error when the file does not exist; with an error when it is unreadable
// or not a configuration. Either form is accepted.
std::optional<kvt::CConfiguration> loadStateFile(const std::string& path,
                                                 const kvt::CConfiguration& base,
                                                 std::string* error);
// Atomic and durable; a new file is readable by its owner only (it holds passwords), a file
// saved over keeps its mode.
bool saveStateFile(const std::string& path, const kvt::CConfiguration& config, std::string* error);

}  // namespace kvt::sim
