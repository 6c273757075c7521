// The dotted-address readers must take exactly what inet_addr (inet_aton, inet_pton) takes: the
// spelled cases run on every platform, and on POSIX a large generated sample is compared with the C
// library itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "core/text/DottedAddress.h"

#ifndef _WIN32
#include <arpa/inet.h>
#endif

namespace kvt {
namespace {

struct Case {
    const char* text;
    std::optional<std::uint32_t> address;
};

TEST(DottedAddressTest, ReadsTheFormsInetAddrKnows) {
    const Case cases[] = {
        {"192.168.0.1", 0xc0a80001},
        {"0.0.0.0", 0},
        {"255.255.255.254", 0xfffffffe},
        // Fewer parts: the last one fills the bytes left.
        {"10.1", 0x0a000001},
        {"10.1.258", 0x0a010102},
        {"10.16777215", 0x0affffff},
        {"167772161", 0x0a000001},
        {"4294967294", 0xfffffffe},
        // Octal and hex parts, also mixed and with long runs of leading zeros.
        {"010.0x10.0X1f.0377", 0x08101fff},
        {"0000000000000000000012.1", 0x0a000001},
        {"0x000000000000000000ff.1", 0xff000001},
        {"0xA.0", 0x0a000000},
        // Refused: the error value in any spelling.
        {"255.255.255.255", std::nullopt},
        {"0xffffffff", std::nullopt},
        {"255.0xffffff", std::nullopt},
        {"0377.0377.0177777", std::nullopt},
        // Refused: parts out of range for their place.
        {"256.0.0.1", std::nullopt},
        {"1.2.65536", std::nullopt},
        {"1.16777216", std::nullopt},
        {"4294967296", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        // Refused: digits outside the part's base, "0x" without a hex digit.
        {"08.1.1.1", std::nullopt},
        {"1.2.3.09", std::nullopt},
        {"0x", std::nullopt},
        {"0x.1", std::nullopt},
        {"0xg", std::nullopt},
        // Refused: empty parts, too many parts, signs, blanks anywhere.
        {"", std::nullopt},
        {".1.2.3", std::nullopt},
        {"1..2", std::nullopt},
        {"1.2.3.", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"+1.2.3.4", std::nullopt},
        {"1.-2.3.4", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2. 3.4", std::nullopt},
        {"1.2.3.4x", std::nullopt},
        // After a blank the C library reads no further, whatever follows.
        {"1.2.3.4 ", 0x01020304},
        {"1.2.3.4\tjunk", 0x01020304},
        {"1 .2.3.4", 0x00000001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseInetAddr(c.text), c.address);
    }
    // A NUL ends the text, as it ends the C function's string.
    EXPECT_EQ(parseInetAddr(std::string_view("1.2.3.4\0x", 9)), 0x01020304u);
    EXPECT_EQ(parseInetAddr(std::string_view("1.2.3\0.4", 9)), 0x01020003u);
}

#ifndef _WIN32
std::optional<std::uint32_t> libraryAnswer(const std::string& text) {
    const in_addr_t address = ::inet_addr(text.c_str());
    if (address == INADDR_NONE) return std::nullopt;
    return ntohl(address);
}

// inet_aton's and inet_pton's answers, for the datagram targets' and setup files' readers.
std::optional<std::uint32_t> atonAnswer(const std::string& text) {
    in_addr address{};
    if (::inet_aton(text.c_str(), &address) == 0) return std::nullopt;
    return ntohl(address.s_addr);
}

std::optional<std::uint32_t> ptonAnswer(const std::string& text) {
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
    return ntohl(address.s_addr);
}

// A part spelled in a random base with a value near the limits that matter for its place.
std::string randomPart(std::mt19937& random) {
    static const std::uint64_t edges[] = {
        0,     1,        7,         8,          255,        256,         65535,
        65536, 0xffffff, 0x1000000, 0xfffffffe, 0xffffffff, 0x100000000, 0xfffffffffffff};
    std::uint64_t value = edges[random() % std::size(edges)];
    if (random() % 2) value = random() % (std::uint64_t{1} << (random() % 34));
    std::string zeros(random() % 4 == 0 ? random() % 25 : 0, '0');
    char buffer[32];
    switch (random() % 4) {
        case 0:
            std::snprintf(buffer, sizeof buffer, "0%s%llo", zeros.c_str(),
                          static_cast<unsigned long long>(value));
            break;
        case 1:
            std::snprintf(buffer, sizeof buffer, random() % 2 ? "0x%s%llx" : "0X%s%llX",
                          zeros.c_str(), static_cast<unsigned long long>(value));
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(value));
    }
    return buffer;
}

TEST(DottedAddressTest, AgreesWithInetAddrOnAGeneratedSample) {
    std::mt19937 random(0x1f1a5c);
    using namespace std::string_literals;
    const std::string alphabet = "0123456789..xXaAfFg +-\t\n\0"s;
    int accepted = 0;
    int refused = 0;
    int quads = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        if (i % 2) {
            // Noise over the characters the reader cares about.
            for (std::size_t n = random() % 18; n > 0; --n)
                text += alphabet[random() % alphabet.size()];
        } else {
            // Well-formed parts, sometimes with one character changed, added or dropped.
            // Half of them plain decimal quads, near the limits of inet_pton's form.
            const bool quadLike = random() % 2;
            for (std::size_t parts = quadLike ? 4 : 1 + random() % 5; parts > 0; --parts) {
                text += quadLike ? std::to_string(random() % 300) : randomPart(random);
                if (parts > 1) text += '.';
            }
            if (random() % 4 == 0 && !text.empty()) {
                const std::size_t at = random() % text.size();
                const char c = alphabet[random() % alphabet.size()];
                switch (random() % 3) {
                    case 0:
                        text[at] = c;
                        break;
                    case 1:
                        text.insert(at, 1, c);
                        break;
                    default:
                        text.erase(at, 1);
                }
            }
        }
        const std::optional<std::uint32_t> expected = libraryAnswer(text);
        ASSERT_EQ(parseInetAddr(text), expected) << '"' << text << '"';
        ASSERT_EQ(parseInetAton(text), atonAnswer(text)) << '"' << text << '"';
        const std::optional<std::uint32_t> quad = ptonAnswer(text);
        ASSERT_EQ(parseDottedQuad(text), quad) << '"' << text << '"';
        ++(expected ? accepted : refused);
        quads += quad.has_value();
    }
    EXPECT_GT(quads, 1000);
    // A sample that only ever hits one side would prove nothing.
    EXPECT_GT(accepted, 20000);
    EXPECT_GT(refused, 20000);
}
#endif

}  // namespace
}  // namespace kvt
