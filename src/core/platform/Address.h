#pragma once
// IPv4 addresses as dotted text and as the 32-bit values sockets take (network byte order).
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "core/text/DottedAddress.h"

namespace kvt::platform {

// inet_addr's accept set: fewer than four parts, octal and hex parts. 255.255.255.255 is
// refused, because inet_addr returns it as its error value; the device rules rely on that.
std::optional<std::uint32_t> parseInetAddr(const std::string& dotted);
// The same set with 255.255.255.255 accepted (inet_aton): targets of datagrams, which include
// the limited broadcast address.
std::optional<std::uint32_t> parseInetAton(const std::string& dotted);
// Exactly four decimal parts (inet_pton), as a setup file or a stored address must be written.
std::optional<std::uint32_t> parseDottedQuad(const std::string& dotted);

// The four bytes of an address in network byte order, first octet first.
inline std::array<std::uint8_t, 4> addressBytes(std::uint32_t address) {
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &address, bytes.size());
    return bytes;
}

// The address as a number whose top byte is the first octet (for ranges and arithmetic).
inline std::uint32_t hostOrder(std::uint32_t address) {
    const auto b = addressBytes(address);
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

// "a.b.c.d" of an address in network byte order.
inline std::string dottedText(std::uint32_t address) {
    return dottedHostOrder(hostOrder(address));
}

struct Endpoint {
    std::uint32_t address = 0;  // network byte order
    std::uint16_t port = 0;     // host byte order
    // "a.b.c.d:port", as logs name a peer.
    std::string text() const;
};

}  // namespace kvt::platform
