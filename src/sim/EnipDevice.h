#pragma once
// The EtherNet/IP side of one simulated gateway, without sockets: its identity and assembly
// sizes from its stored configuration, and the answer to one encapsulation message.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "core/enip/Assemblies.h"
#include "core/enip/Codec.h"
#include "sim/SimDevice.h"

namespace kvt::sim {

// Not a registered vendor: the gateway's own id is not known to us. Replace it once it is.
inline constexpr std::uint16_t kPlaceholderVendorId = 0xFFFE;

// What the device shows on EtherNet/IP, taken under the simulator's lock.
struct EnipView {
    kvt::enip::Identity identity;
    std::array<kvt::enip::AssemblySize, 9> sizes{};
};

// Identity: placeholder vendor, communications adapter, the low 16 bits of the product code,
// revision = firmware (each part cut to 255), serial = the MAC's last four bytes, name = the
// stored network name; address = where it serves. Sizes: the stored configuration's, or
// the setup's enip-sizes.
EnipView enipView(const SimDevice& device, std::uint16_t port);

struct EnipConnection {
    std::uint32_t session = 0;  // 0 until RegisterSession
    std::uint32_t nextConnectionId = 0x10000;
};

struct EnipAnswer {
    kvt::enip::Bytes bytes;  // empty: no reply
    bool close = false;
    std::string summary;
};

// One whole encapsulation message received on TCP (or, with `connection` null, on UDP, where
// only ListIdentity is answered).
EnipAnswer answerEnip(std::span<const std::uint8_t> message, EnipConnection* connection,
                      const EnipView& view);

// The answer to one message-router request (Get_Attribute(s), Unconnected Send, Forward_Open,
// Forward_Close).
kvt::enip::Bytes answerCip(std::span<const std::uint8_t> request, EnipConnection& connection,
                           const EnipView& view, std::string& summary);

}  // namespace kvt::sim
