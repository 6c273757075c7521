#pragma once
// The PC's IPv4 network interfaces, as the system lists them.
#include <string>
#include <vector>

namespace kvt::platform {

struct Ipv4Interface {
    std::string name;              // "eth0"; on Windows the friendly name, "Ethernet"; UTF-8
    unsigned index = 0;            // what sends by interface and arrival interfaces name it by
                                   // (on Windows the IPv4 interface index)
    std::string address;           // dotted IPv4 address of the interface
    int prefixLength = 0;          // from the netmask, e.g. 24
    std::string broadcastAddress;  // the subnet's directed broadcast address
    bool up = false;
    bool canBroadcast = false;
    bool loopback = false;
};

// One record per IPv4 address, in the system's order; an interface with several addresses
// is listed once for each.
std::vector<Ipv4Interface> ipv4Interfaces();

}  // namespace kvt::platform
