#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netpacket/packet.h>

#include <bit>
#include <map>
#include <memory>

#include "core/platform/Address.h"
#include "core/platform/Interfaces.h"

namespace kvt::platform {

namespace {

std::string dotted(const sockaddr* address) {
    return dottedText(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

}  // namespace

std::vector<Ipv4Interface> ipv4Interfaces() {
    std::vector<Ipv4Interface> result;
    ifaddrs* raw = nullptr;
    if (::getifaddrs(&raw) != 0) return result;
    const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> list(raw, &::freeifaddrs);
    // The link-layer entries of the same list carry each interface's index, which saves a
    // system call per address.
    std::map<std::string, unsigned> indexes;
    for (const ifaddrs* entry = raw; entry; entry = entry->ifa_next) {
        if (entry->ifa_name && entry->ifa_addr && entry->ifa_addr->sa_family == AF_PACKET) {
            const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
            indexes[entry->ifa_name] = static_cast<unsigned>(link->sll_ifindex);
        }
    }
    for (const ifaddrs* entry = raw; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        const unsigned flags = entry->ifa_flags;
        Ipv4Interface interface;
        interface.name = entry->ifa_name ? entry->ifa_name : "";
        const auto known = indexes.find(interface.name);
        // 0 for an interface that went away since the list was made.
        interface.index =
            known != indexes.end() ? known->second : ::if_nametoindex(interface.name.c_str());
        interface.address = dotted(entry->ifa_addr);
        if (entry->ifa_netmask) {
            const auto* mask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask);
            interface.prefixLength = std::popcount(ntohl(mask->sin_addr.s_addr));
        }
        interface.up = (flags & IFF_UP) != 0;
        interface.canBroadcast = (flags & IFF_BROADCAST) != 0;
        interface.loopback = (flags & IFF_LOOPBACK) != 0;
        if (interface.canBroadcast && entry->ifa_broadaddr)
            interface.broadcastAddress = dotted(entry->ifa_broadaddr);
        result.push_back(std::move(interface));
    }
    return result;
}

}  // namespace kvt::platform
