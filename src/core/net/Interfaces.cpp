#include "core/net/Interfaces.h"

#include "core/platform/Interfaces.h"

namespace kvt {

std::vector<NetInterface> broadcastInterfaces() {
    std::vector<NetInterface> result;
    for (platform::Ipv4Interface& found : platform::ipv4Interfaces()) {
        if (!found.up || !found.canBroadcast || found.loopback) continue;
        result.push_back({std::move(found.name), std::move(found.address), found.prefixLength,
                          std::move(found.broadcastAddress), found.index});
    }
    return result;
}

std::string describeInterface(const NetInterface& interface) {
    return interface.name + " " + interface.address + "/" + std::to_string(interface.prefixLength);
}

}  // namespace kvt
