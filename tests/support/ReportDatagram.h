#pragma once
// An IP address report datagram as a gateway sends it: MAC 00-1a-2b-3c-4d-<macLast> at 36,
// IPv4 address at 44, name at 56, 76 bytes in all.
#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace kvt::test {

inline std::vector<std::uint8_t> reportDatagram(std::uint8_t macLast,
                                                std::array<std::uint8_t, 4> ip,
                                                const std::string& name) {
    std::vector<std::uint8_t> datagram(76, 0);
    const std::uint8_t mac[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, macLast};
    std::copy(std::begin(mac), std::end(mac), datagram.begin() + 36);
    std::copy(ip.begin(), ip.end(), datagram.begin() + 44);
    std::copy(name.begin(), name.end(), datagram.begin() + 56);
    return datagram;
}

}  // namespace kvt::test
