#pragma once
// Discovery query and reply (UDP port 18801).
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "core/config/Configuration.h"

namespace kvt {

inline constexpr std::size_t kDiscoveryReplySize = 68;

std::array<std::uint8_t, 8> discoveryQuery();

// Broadcast search: nullopt for datagrams of 15 bytes or fewer or without code 3. `row` is the
// 1-based position within the cycle, formatted "%2d". Fields past a short reply read as zero.
std::optional<CEquipment> parseBroadcastReply(std::span<const std::uint8_t> datagram, int row);

// Search by IP: nullopt unless bytes 0..3 are 00 00 00 03 (the length is not examined;
// missing bytes read as zero). Row number "1"; the record is marked as found by address, which
// words it and lets it be selected differently (DeviceTexts.h).
std::optional<CEquipment> parseAddressedReply(std::span<const std::uint8_t> datagram);

}  // namespace kvt
