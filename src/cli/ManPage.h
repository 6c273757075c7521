#pragma once
// The COMMANDS section of the man page, made from the same command and option definitions as
// --help, so that the page lists every option a command takes.
#include <CLI/CLI.hpp>
#include <string>

#include "CliContext.h"

namespace kvt::cli {

// help2man include text: "[COMMANDS]" and one entry per command (nested ones by their path),
// each with its usage line, its description and every option with its description.
std::string manCommands(const CLI::App& app, const CliContext& context);

}  // namespace kvt::cli
