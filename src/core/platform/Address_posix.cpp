#include <arpa/inet.h>
#include <netinet/in.h>

#include "core/platform/Address.h"

namespace kvt::platform {

std::optional<std::uint32_t> parseInetAddr(const std::string& dotted) {
    // INADDR_NONE doubles as inet_addr's error value, which is why 255.255.255.255 is refused.
    const in_addr_t address = ::inet_addr(dotted.c_str());
    if (address == INADDR_NONE) return std::nullopt;
    return static_cast<std::uint32_t>(address);
}

std::optional<std::uint32_t> parseInetAton(const std::string& dotted) {
    in_addr address{};
    if (::inet_aton(dotted.c_str(), &address) == 0) return std::nullopt;
    return static_cast<std::uint32_t>(address.s_addr);
}

std::optional<std::uint32_t> parseDottedQuad(const std::string& dotted) {
    in_addr address{};
    if (::inet_pton(AF_INET, dotted.c_str(), &address) != 1) return std::nullopt;
    return static_cast<std::uint32_t>(address.s_addr);
}

std::string Endpoint::text() const {
    return dottedText(address) + ":" + std::to_string(port);
}

}  // namespace kvt::platform
