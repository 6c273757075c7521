#pragma once
// Commands that talk to gateways (search, read, write, reset, listen), and what the commands
// that build on them share.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CliContext.h"
#include "core/config/Rules.h"
#include "core/config/Validate.h"

namespace kvt::cli {

void addNetworkCommands(CLI::App& app, CliContext& context);

// The exit statuses of the network commands, for their --help.
extern const char* const kStatusHelp;

// Where the commands send their packets; the defaults are the product's, the options let
// tests and demos use loopback addresses.
struct NetworkArgs {
    std::string bindAddress = "0.0.0.0";
    std::uint16_t localPort = kSearchLocalPort;
    std::uint16_t discoveryPort = kDiscoveryPort;
    std::uint16_t devicePort = kDeviceConfigPort;
    std::uint16_t enipPort = 44818;
    int connectTimeoutMs = 3000;
    std::string password;
    bool passwordGiven = false;
    std::string passwordFile;  // its first line is the password
};

// The password sources, for the --help of the commands that take them.
extern const char* const kPasswordHelp;

void addNetworkOptions(CLI::App* command, NetworkArgs& args);
// --password and --password-file; the environment is read as well (passwordFromSources).
void addPasswordOption(CLI::App* command, NetworkArgs& args);
// The password of `kind` from the first source that has one: --password, --password-file, the
// environment; nullopt when none does.
std::optional<std::string> passwordFromSources(const NetworkArgs& args, ConfigKind kind);
// --enip-port, for the commands that speak EtherNet/IP.
void addEnipPortOption(CLI::App* command, NetworkArgs& args);
// Lists what was found in the file at `path` on stderr, and ends the command unless there is
// nothing or the user passed --force.
void refuseUnlessForced(const std::string& path, const std::vector<FieldIssue>& issues, bool force);
void applyNetworkArgs(CliContext& context, const NetworkArgs& args);
// The password dialog of a script: one attempt with the password of the kind from the sources,
// never a prompt.
CliPasswords passwordsFrom(CliContext& context, const NetworkArgs& args);

}  // namespace kvt::cli
