#pragma once
// Commands for commissioning many gateways: diff, apply (with verification), batch, and the
// EtherNet/IP check (enip).
#include <CLI/CLI.hpp>

#include "CliContext.h"

namespace kvt::cli {

inline constexpr int kExitDifferent = 10;           // diff, apply --dry-run: the two differ
inline constexpr int kExitVerificationFailed = 11;  // acknowledged, but the device holds other
inline constexpr int kExitSomeRowsFailed = 12;      // batch: at least one row did not succeed
inline constexpr int kExitEnipMismatch = 13;  // enip, apply --check-enip: assembly sizes differ

void addFleetCommands(CLI::App& app, CliContext& context);

}  // namespace kvt::cli
