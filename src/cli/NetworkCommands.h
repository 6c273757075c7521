#pragma once
// Commands that talk to gateways (search, read, write, reset, listen).
#include <CLI/CLI.hpp>

#include "CliContext.h"

namespace kvt::cli {

void addNetworkCommands(CLI::App& app, CliContext& context);

}  // namespace kvt::cli
