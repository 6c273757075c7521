#pragma once
// A batch: every row of an inventory applied to its gateway, up to N rows at a time. Rows are
// independent: each has its own document and connections, one failing row never stops the others,
// and the results come back in the inventory's order.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/fleet/Apply.h"
#include "core/fleet/Inventory.h"
#include "core/net/NetworkOptions.h"

namespace kvt {

struct BatchOptions {
    ConfigKind kind = kUserConfig;
    // The template the rows' values go onto; nullopt: each device's current configuration. A
    // template's IP address is never used: a device keeps its own unless its row sets one.
    std::optional<CConfiguration> base;
    unsigned jobs = 4;
    // verify, reset, force, dryRun for every row; passwords are tried before the row's own
    // current_password and the password the row (or template) sets.
    ApplyOptions apply;
};

struct BatchRowResult {
    std::size_t row = 0;  // the inventory row
    std::string oldIp;    // where the device was found
    ApplyResult result;
};

// Finds the devices first (one broadcast search when any row gives a MAC, then a search by IP
// for each row found by address that the broadcast did not list, one at a time), then applies
// the rows on `jobs` worker threads. `done` (may be empty) is called from the worker threads
// after each row, not at the same time.
std::vector<BatchRowResult> runBatch(const NetworkOptions& network, const Inventory& inventory,
                                     const BatchOptions& options,
                                     const std::function<void(const BatchRowResult&)>& done = {});

}  // namespace kvt
