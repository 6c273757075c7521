#include "core/platform/Address.h"

namespace kvt::platform {

namespace {

// Host order (first octet in the top byte) to network byte order, on any byte order.
std::optional<std::uint32_t> networkOrder(std::optional<std::uint32_t> host) {
    if (!host) return std::nullopt;
    const std::array<std::uint8_t, 4> bytes{
        static_cast<std::uint8_t>(*host >> 24), static_cast<std::uint8_t>(*host >> 16),
        static_cast<std::uint8_t>(*host >> 8), static_cast<std::uint8_t>(*host)};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes.data(), bytes.size());
    return address;
}

}  // namespace

// The C library's readers differ between systems (Windows has no inet_aton, and its inet_addr
// takes other forms), so the text is read by our own parsers, which follow glibc exactly.
std::optional<std::uint32_t> parseInetAddr(const std::string& dotted) {
    return networkOrder(kvt::parseInetAddr(dotted));
}

std::optional<std::uint32_t> parseInetAton(const std::string& dotted) {
    return networkOrder(kvt::parseInetAton(dotted));
}

std::optional<std::uint32_t> parseDottedQuad(const std::string& dotted) {
    return networkOrder(kvt::parseDottedQuad(dotted));
}

std::string Endpoint::text() const {
    return dottedText(address) + ":" + std::to_string(port);
}

}  // namespace kvt::platform
