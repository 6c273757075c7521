#include "core/net/Interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <bit>
#include <memory>

namespace kvt {

namespace {

std::string dotted(const sockaddr* address) {
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    if (!::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) return {};
    return text;
}

}  // namespace

std::vector<NetInterface> broadcastInterfaces() {
    std::vector<NetInterface> result;
    ifaddrs* raw = nullptr;
    if (::getifaddrs(&raw) != 0) return result;
    const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> list(raw, &::freeifaddrs);
    for (const ifaddrs* entry = raw; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        const unsigned flags = entry->ifa_flags;
        if (!(flags & IFF_UP) || !(flags & IFF_BROADCAST) || (flags & IFF_LOOPBACK)) continue;
        NetInterface interface;
        interface.name = entry->ifa_name ? entry->ifa_name : "";
        interface.address = dotted(entry->ifa_addr);
        if (entry->ifa_netmask) {
            const auto* mask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask);
            interface.prefixLength = std::popcount(ntohl(mask->sin_addr.s_addr));
        }
        if (entry->ifa_broadaddr) interface.broadcastAddress = dotted(entry->ifa_broadaddr);
        result.push_back(std::move(interface));
    }
    return result;
}

std::string describeInterface(const NetInterface& interface) {
    return interface.name + " " + interface.address + "/" + std::to_string(interface.prefixLength);
}

}  // namespace kvt
