#include "core/text/DottedAddress.h"

#include <array>
#include <cstddef>

namespace kvt {
namespace {

// The value of one hex, octal or decimal digit, or 16 for anything else.
unsigned digitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return 16;
}

// What may follow the address: the end of a C string or a blank, after which the C library
// reads no further.
bool endsAddress(char c) {
    return c == '\0' || c == ' ' || (c >= '\t' && c <= '\r');
}

// One part as strtoul(..., 0) reads it once the part is known to start with a digit: "0x"
// counts as hex only when a hex digit follows (else the 0 is the number and the x is left over),
// a leading 0 makes it octal (so "08" reads 0 and leaves the 8). Values past 32 bits saturate.
struct Part {
    std::uint64_t value = 0;
    std::size_t end = 0;
};

Part readPart(std::string_view text, std::size_t pos) {
    unsigned base = 10;
    if (text[pos] == '0') {
        base = 8;
        if (pos + 2 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
            digitValue(text[pos + 2]) < 16) {
            base = 16;
            pos += 2;
        }
    }
    Part part;
    for (; pos < text.size(); ++pos) {
        const unsigned digit = digitValue(text[pos]);
        if (digit >= base) break;
        if (part.value <= UINT32_MAX) part.value = part.value * base + digit;
    }
    part.end = pos;
    return part;
}

// inet_aton's reading, which is inet_addr's with 255.255.255.255 still an address.
std::optional<std::uint32_t> readInet(std::string_view text) {
    // The largest value of the last part, by how many parts came before it.
    constexpr std::array<std::uint64_t, 4> lastPartMax{0xffffffff, 0xffffff, 0xffff, 0xff};
    std::uint32_t leading = 0;  // the parts before the last, in their bytes
    std::size_t before = 0;     // how many parts came before the current one
    std::size_t pos = 0;
    for (;;) {
        if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return std::nullopt;
        const Part part = readPart(text, pos);
        pos = part.end;
        if (pos < text.size() && text[pos] == '.') {
            if (before == 3 || part.value > 0xff) return std::nullopt;
            leading |= static_cast<std::uint32_t>(part.value) << (24 - 8 * before);
            ++before;
            ++pos;
            continue;
        }
        if (pos < text.size() && !endsAddress(text[pos])) return std::nullopt;
        if (part.value > lastPartMax[before]) return std::nullopt;
        return leading | static_cast<std::uint32_t>(part.value);
    }
}

}  // namespace

std::optional<std::uint32_t> parseInetAddr(std::string_view text) {
    const auto address = readInet(text);
    if (address == 0xffffffffu) return std::nullopt;
    return address;
}

std::optional<std::uint32_t> parseInetAton(std::string_view text) {
    return readInet(text);
}

std::optional<std::uint32_t> parseDottedQuad(std::string_view text) {
    std::uint32_t address = 0;
    unsigned part = 0;
    int parts = 0;
    bool inPart = false;
    for (const char c : text) {
        if (c == '\0') break;
        if (c >= '0' && c <= '9') {
            if (inPart && part == 0) return std::nullopt;  // a leading zero
            part = part * 10 + static_cast<unsigned>(c - '0');
            if (part > 255) return std::nullopt;
            if (!inPart && ++parts > 4) return std::nullopt;
            inPart = true;
        } else if (c == '.' && inPart && parts < 4) {
            address = address << 8 | part;
            part = 0;
            inPart = false;
        } else {
            return std::nullopt;
        }
    }
    if (parts < 4 || !inPart) return std::nullopt;
    return address << 8 | part;
}

std::string dottedHostOrder(std::uint32_t address) {
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xFF) + '.' +
           std::to_string((address >> 8) & 0xFF) + '.' + std::to_string(address & 0xFF);
}

}  // namespace kvt
