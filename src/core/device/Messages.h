#pragma once
// TCP messages of the configuration port: requests, reply checks and the assembly of a
// configuration image from received chunks. Pure functions: no sockets here.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/config/Configuration.h"
#include "core/text/Gbk.h"

namespace kvt {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint32_t kCmdReadBackground = 0x05;
inline constexpr std::uint32_t kCmdWriteBackground = 0x06;
inline constexpr std::uint32_t kCmdAdminPassword = 0x07;
inline constexpr std::uint32_t kCmdReset = 0x0A;
inline constexpr std::uint32_t kCmdReadUser = 0x25;
inline constexpr std::uint32_t kCmdWriteUser = 0x26;
inline constexpr std::uint32_t kCmdUserPassword = 0x27;
inline constexpr std::string_view kMakerTag = "Kelvarin";
inline constexpr std::size_t kAccumulationLimit = 1216;
inline constexpr std::size_t kReplySize = 16;

// Bytes past the end of `bytes` read as zero.
std::uint32_t readBigEndian32(std::span<const std::uint8_t> bytes, std::size_t offset);

// 8-byte read request: user 0x25, background 0x05. A value outside the enumeration (only a
// cast makes one) gets an empty request, here and below.
Bytes readRequest(ConfigKind kind);
// Password check: user -> 0x27, length 20, password; background -> 0x07, length 28, maker tag,
// password. The password field is the GBK bytes zero-padded (cut on a character boundary) to
// 20.
Bytes passwordCheckRequest(ConfigKind kind, const Gbk& password);
// 16 bytes: 0x0A, length 8, maker tag.
Bytes resetRequest();

// First 8 bytes 00 00 00 27|07 00 00 00 08.
bool passwordAccepted(std::span<const std::uint8_t> reply, ConfigKind kind);
// Bytes 0..3 equal `code` (a short reply never matches).
bool replyCodeIs(std::span<const std::uint8_t> reply, std::uint32_t code);

// Assembles a configuration image from received chunks: appends each chunk (never past 1216
// bytes in all) and reports completion once total >= 8 + the 16-bit length at bytes 6..7, or
// total >= 1216 for the older products.
class ImageAccumulator {
public:
    explicit ImageAccumulator(bool legacyProduct = false) : m_legacy(legacyProduct) {}
    void append(std::span<const std::uint8_t> chunk);
    bool complete() const;
    const Bytes& bytes() const { return m_bytes; }

private:
    bool m_legacy;
    Bytes m_bytes;
};

}  // namespace kvt
