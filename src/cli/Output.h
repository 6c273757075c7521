#pragma once
// Printing configurations and texts: JSON for scripts, aligned text for people, always UTF-8.
#include <cstdint>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "core/config/Configuration.h"

namespace kvt::cli {

// The configuration as the JSON object of `show --json`, keys in their documented order.
nlohmann::ordered_json configurationJson(const CConfiguration& config, int kind);

// `show`'s output: the JSON object, or one "key  value" line per field.
void printConfiguration(std::ostream& out, const CConfiguration& config, int kind, bool json);

// A message of the table or of ours, as UTF-8, for stderr.
std::string messageUtf8(std::uint32_t id);

}  // namespace kvt::cli
