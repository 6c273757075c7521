#include "NetworkCommands.h"

namespace kvt::cli {

// Registered with CliContext::addCommand like the offline commands.
void addNetworkCommands(CLI::App& /*app*/, CliContext& /*context*/) {}

}  // namespace kvt::cli
