#pragma once
#include <cstdint>
#include <string>

#include "core/config/Rules.h"

namespace kvt {

// Where discovery and the configuration exchanges go. The defaults are the product's; tests and
// demos point them at loopback addresses.
struct NetworkOptions {
    static constexpr const char* kLimitedBroadcast = "255.255.255.255";

    // Where the single query of a broadcast search goes when a target is chosen (below).
    std::string discoveryTarget = kLimitedBroadcast;
    // The user named the target (--broadcast): the search is the one query to it, even when it
    // is 255.255.255.255. A target other than that address counts as chosen by itself, so
    // whoever only sets discoveryTarget keeps the single query.
    bool discoveryTargetChosen = false;
    std::uint16_t discoveryPort = kDiscoveryPort;
    std::string localAddress = "0.0.0.0";  // bind address of the discovery socket
    std::uint16_t localPort = kSearchLocalPort;
    std::uint16_t devicePort = kDeviceConfigPort;
    std::uint16_t enipPort = 44818;  // EtherNet/IP, TCP and UDP
    int connectTimeoutMs = 3000;
    // Which interfaces a broadcast search leaves by when no target is chosen: "all", or one
    // interface's name.
    std::string searchInterface = "all";
    // Receive buffer of the broadcast search's socket in bytes: room for the replies of a large
    // segment that all answer at once. 0 keeps the system's default (benchmarks compare).
    int searchReceiveBuffer = 4 * 1024 * 1024;

    // Whether a broadcast search is the single query to discoveryTarget rather than one query
    // out of each network interface.
    bool singleDiscoveryTarget() const {
        return discoveryTargetChosen || discoveryTarget != kLimitedBroadcast;
    }
};

}  // namespace kvt
