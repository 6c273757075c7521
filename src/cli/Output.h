#pragma once
// Printing configurations and texts: JSON for scripts, aligned text for people, always UTF-8.
#include <cstdint>
#include <iosfwd>
#include <string>

#include "core/config/Configuration.h"

namespace kvt::cli {

// `show`'s output: the core's JSON form of the configuration, or one "key  value" line per
// field in the same order (without the companions that keep exact bytes: people read the text).
void printConfiguration(std::ostream& out, const CConfiguration& config, ConfigKind kind,
                        bool json);

// A message of the table or of ours, as UTF-8, for stderr.
std::string messageUtf8(std::uint32_t id);

}  // namespace kvt::cli
