#include "core/discovery/DiscoveryCodec.h"

#include <algorithm>

#include "core/config/WireFormat.h"

namespace kvt {
namespace {

using namespace kvt::wire;

constexpr std::uint32_t kDiscoveryCode = 3;
constexpr std::size_t kMinimumBroadcastReply = 16;

// The 24-bit product code at bytes 9..11: 02 0B D7 (134103) is a KVT-275R.
std::uint32_t productCode(std::span<const std::uint8_t> reply) {
    return std::uint32_t{byteAt(reply, 9)} << 16 | std::uint32_t{byteAt(reply, 10)} << 8 |
           byteAt(reply, 11);
}

CEquipment parseReply(std::span<const std::uint8_t> datagram, Gbk rowNumber, FoundBy foundBy) {
    // The receive buffer holds one reply; anything past it is not part of the reply.
    const auto reply = datagram.first(std::min(datagram.size(), kDiscoveryReplySize));
    const std::uint8_t flags = byteAt(reply, 43);

    CEquipment record;
    record.rowNumber = std::move(rowNumber);
    record.productCode = productCode(reply);
    // Another product's name field is not read.
    if (record.isKvt275r()) record.name = textField(reply, 44, 20);
    record.ipAddress = dottedAddress(reply, 36);
    record.macAddress = macAddress(reply, 28);
    record.firmwareVersion =
        decimalText(readU16(reply, 24)) + "." + decimalText(readU16(reply, 26));
    record.fileVersion.clear();
    record.userPasswordSet = (flags & 0x01) != 0;
    record.adminPasswordSet = (flags & 0x02) != 0;
    record.remoteConfig = readU32(reply, 64) == 1 ? RemoteConfig::Allowed : RemoteConfig::Forbidden;
    record.foundBy = foundBy;
    return record;
}

}  // namespace

std::array<std::uint8_t, 8> discoveryQuery() {
    return {0, 0, 0, kDiscoveryCode, 0, 0, 0, 0};
}

std::optional<CEquipment> parseBroadcastReply(std::span<const std::uint8_t> datagram, int row) {
    if (datagram.size() < kMinimumBroadcastReply || readU32(datagram, 0) != kDiscoveryCode) {
        return std::nullopt;
    }
    return parseReply(datagram, paddedDecimalText(row), FoundBy::BroadcastSearch);
}

std::optional<CEquipment> parseAddressedReply(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < 4 || readU32(datagram, 0) != kDiscoveryCode) return std::nullopt;
    return parseReply(datagram, "1", FoundBy::AddressSearch);
}

}  // namespace kvt
