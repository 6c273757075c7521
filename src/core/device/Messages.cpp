#include "core/device/Messages.h"

#include <algorithm>

#include "core/config/Rules.h"
#include "core/config/WireFormat.h"

namespace kvt {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kPasswordWidth = kTextFieldBytes;  // as in the images

Bytes header(std::uint32_t code, std::uint32_t length) {
    Bytes message(kHeaderSize + length, 0);
    wire::writeU32(message, 0, code);
    wire::writeU32(message, 4, length);
    return message;
}

void putMakerTag(Bytes& message, std::size_t offset) {
    std::copy(kMakerTag.begin(), kMakerTag.end(), message.begin() + static_cast<long>(offset));
}

}  // namespace

std::uint32_t readBigEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return wire::readU32(bytes, offset);
}

Bytes readRequest(ConfigKind kind) {
    if (kind == kUserConfig) return header(kCmdReadUser, 0);
    if (kind == kBackgroundConfig) return header(kCmdReadBackground, 0);
    return {};
}

Bytes passwordCheckRequest(ConfigKind kind, const Gbk& password) {
    if (kind == kUserConfig) {
        Bytes message = header(kCmdUserPassword, kPasswordWidth);
        wire::writeTextField(message, kHeaderSize, kPasswordWidth, password);
        return message;
    }
    if (kind == kBackgroundConfig) {
        Bytes message = header(kCmdAdminPassword, kMakerTag.size() + kPasswordWidth);
        putMakerTag(message, kHeaderSize);
        wire::writeTextField(message, kHeaderSize + kMakerTag.size(), kPasswordWidth, password);
        return message;
    }
    return {};
}

Bytes resetRequest() {
    Bytes message = header(kCmdReset, kMakerTag.size());
    putMakerTag(message, kHeaderSize);
    return message;
}

bool passwordAccepted(std::span<const std::uint8_t> reply, ConfigKind kind) {
    if (kind != kUserConfig && kind != kBackgroundConfig) return false;
    const std::uint32_t code = kind == kUserConfig ? kCmdUserPassword : kCmdAdminPassword;
    return reply.size() >= kHeaderSize && readBigEndian32(reply, 0) == code &&
           readBigEndian32(reply, 4) == 8;
}

bool replyCodeIs(std::span<const std::uint8_t> reply, std::uint32_t code) {
    return reply.size() >= 4 && readBigEndian32(reply, 0) == code;
}

void ImageAccumulator::append(std::span<const std::uint8_t> chunk) {
    // The image never grows past the accumulation limit, whatever the device sends.
    const std::size_t room = kAccumulationLimit - m_bytes.size();
    const std::size_t n = std::min(chunk.size(), room);
    m_bytes.insert(m_bytes.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
}

bool ImageAccumulator::complete() const {
    const std::size_t total = m_bytes.size();
    if (m_legacy) return total >= kAccumulationLimit;
    if (total < kHeaderSize) return false;
    return total >= kHeaderSize + std::size_t{wire::readU16(m_bytes, 6)};
}

}  // namespace kvt
