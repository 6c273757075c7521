#pragma once
// A simulated device's configuration as JSON, so that it survives a restart of the simulator.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "core/config/Configuration.h"

namespace kvt::sim {

// Texts are stored as UTF-8 when they convert both ways without loss, else as {"gbkHex": ...},
// so that any bytes a client wrote come back unchanged.
nlohmann::json configurationToJson(const kvt::CConfiguration& config);
// Fields that are missing keep the values of `base`; wrong types fail with `error`.
std::optional<kvt::CConfiguration> configurationFromJson(const nlohmann::json& json,
                                                         const kvt::CConfiguration& base,
                                                         std::string* error);

// nullopt with an empty error when the file does not exist; with an error when it is unreadable.
std::optional<kvt::CConfiguration> loadStateFile(const std::string& path,
                                                 const kvt::CConfiguration& base,
                                                 std::string* error);
// Writes a temporary file beside `path` and renames it over, so a crash never leaves half a file.
bool saveStateFile(const std::string& path, const kvt::CConfiguration& config, std::string* error);

}  // namespace kvt::sim
