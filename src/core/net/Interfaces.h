#pragma once
// The PC's IPv4 network interfaces that a broadcast search can leave by.
#include <string>
#include <vector>

namespace kvt {

struct NetInterface {
    std::string name;              // kernel name, e.g. "eth0"
    std::string address;           // dotted IPv4 address of the interface
    int prefixLength = 0;          // from the netmask, e.g. 24
    std::string broadcastAddress;  // the subnet's directed broadcast address
    unsigned index = 0;            // the system's, which sends by interface name it by
    bool operator==(const NetInterface&) const = default;
};

// Every interface that is up, has an IPv4 address and can broadcast, in the kernel's order.
// Loopback is never listed: it is reached only by choosing a loopback discovery target.
std::vector<NetInterface> broadcastInterfaces();

// "eth0 192.168.1.10/24": how lists and menus name an interface.
std::string describeInterface(const NetInterface& interface);

}  // namespace kvt
