#pragma once
// The two byte images a device exchanges: 60-byte user image, 164-byte background image.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/config/Configuration.h"

namespace kvt {

inline constexpr std::size_t kUserImageSize = 60;
inline constexpr std::size_t kBackgroundImageSize = 164;

// Image of the given kind (header 0x26/0x34 or 0x06/0x9C included); empty for a value outside
// the enumeration.
// Never writes outside a field: texts are cut at 20 bytes on a character boundary, address
// parts past the fourth are ignored.
std::vector<std::uint8_t> buildImage(const CConfiguration& config, ConfigKind kind);

// Fills `config` (freshly constructed by the caller) from a received image of `kind`.
// Bytes past the end of a short image read as zero. Returns false for a value outside the
// enumeration, leaving `config` untouched.
bool parseImage(std::span<const std::uint8_t> image, ConfigKind kind, CConfiguration& config);

// The platform address parser's verdict: four dotted decimal parts 0..255 (inet_addr rules),
// with 255.255.255.255 rejected as inet_addr does.
bool addressAccepted(const Gbk& text);

}  // namespace kvt
