#pragma once
// Dotted IPv4 text as the C library's inet_addr reads it, without the C library: the
// configuration rules accept exactly what inet_addr accepts on every platform we build for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvt {

// The address in host order (a.b.c.d gives a << 24 | b << 16 | c << 8 | d), or nullopt where
// inet_addr(std::string(text).c_str()) fails. Accepted: one to four parts, each decimal, octal
// (a leading 0) or hex (0x, 0X) digits; every part but the last fits in 8 bits and the last
// fills the bytes left ("10.1" is 10.0.0.1, "167772161" is 10.0.0.1). Like glibc, the address
// may be followed by a blank (space, \t \n \v \f \r) and then anything, which is ignored, and
// a NUL ends the text as it ends a C string; a caller that wants the whole text to be the
// address checks that itself. Refused: everything else, leading blanks included, and
// 255.255.255.255 in any spelling, because inet_addr returns that address as its error value.
std::optional<std::uint32_t> parseInetAddr(std::string_view text);
// The same set with 255.255.255.255 accepted, as inet_aton reads it: datagram targets, which
// include the limited broadcast address.
std::optional<std::uint32_t> parseInetAton(std::string_view text);
// Exactly four decimal parts of 0 to 255 without leading zeros and nothing after them, as
// inet_pton reads IPv4 text (a NUL ends the text here too).
std::optional<std::uint32_t> parseDottedQuad(std::string_view text);

// "a.b.c.d" of an address in host order, each part in decimal without leading zeros.
std::string dottedHostOrder(std::uint32_t address);

}  // namespace kvt
