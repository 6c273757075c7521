#include "core/discovery/DiscoveryCodec.h"

#include <algorithm>

#include "core/config/WireFormat.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

using namespace kvt::wire;

constexpr std::uint32_t kDiscoveryCode = 3;
constexpr std::size_t kMinimumBroadcastReply = 16;

// Texts that differ between the broadcast search and the search by IP.
struct ReplyTexts {
    std::uint32_t otherModel;
    std::uint32_t allowed;
    std::uint32_t forbidden;
};

bool isKvt275r(std::span<const std::uint8_t> reply) {
    return byteAt(reply, 9) == 0x02 && byteAt(reply, 10) == 0x0B && byteAt(reply, 11) == 0xD7;
}

CEquipment parseReply(std::span<const std::uint8_t> datagram, Gbk rowNumber,
                      const ReplyTexts& texts) {
    // The receive buffer holds one reply; anything past it is not part of the reply.
    const auto reply = datagram.first(std::min(datagram.size(), kDiscoveryReplySize));
    const bool known = isKvt275r(reply);
    const std::uint8_t flags = byteAt(reply, 43);

    CEquipment record;
    record.rowNumber = std::move(rowNumber);
    record.name = known ? textField(reply, 44, 20) : uiText(8001);
    record.model = known ? Gbk(kModelKvt275r) : uiText(texts.otherModel);
    record.ipAddress = dottedAddress(reply, 36);
    record.macAddress = macAddress(reply, 28);
    record.firmwareVersion =
        decimalText(readU16(reply, 24)) + "." + decimalText(readU16(reply, 26));
    record.fileVersion.clear();
    record.userPasswordSet = uiText((flags & 0x01) ? 8002 : 8003);
    record.adminPasswordSet = uiText((flags & 0x02) ? 8002 : 8003);
    record.remoteConfig = uiText(readU32(reply, 64) == 1 ? texts.allowed : texts.forbidden);
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
    return parseReply(datagram, paddedDecimalText(row), {8000, 8004, 8005});
}

std::optional<CEquipment> parseAddressedReply(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < 4 || readU32(datagram, 0) != kDiscoveryCode) return std::nullopt;
    return parseReply(datagram, "1", {4024, 4012, 4013});
}

}  // namespace kvt
