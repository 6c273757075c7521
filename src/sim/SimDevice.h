#pragma once
// The device side of one simulated gateway, without sockets: answers one complete TCP request,
// builds the discovery reply and the IP address report datagram. The owner serialises access.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "sim/Simulator.h"

namespace kvt::sim {

inline constexpr std::size_t kReportSize = 76;
// Largest request payload the configuration port accepts (the client's accumulation limit).
inline constexpr std::uint32_t kMaxPayload = kvt::kAccumulationLimit - 8;

// Code of the 16-byte refusal reply: 00 00 00 FF, 00 00 00 08, request code, reason.
inline constexpr std::uint32_t kRefusalCode = 0xFF;
enum class Refusal : std::uint32_t {
    PasswordNeeded = 1,  // protected configuration without a passed check on this connection
    RemoteForbidden = 2,
    Malformed = 3,  // wrong payload length or maker tag
    UnknownCommand = 4,
};

// What a connection has proven so far: a passed password check unlocks the configuration
// of its kind for the rest of the connection.
struct ConnectionAuth {
    bool user = false;
    bool admin = false;
};

struct Reply {
    kvt::Bytes bytes;
    bool closeAfter = true;  // false after a password check: the next request follows
    bool stored = false;     // the stored configuration changed (state file to be written)
    bool restart = false;    // an accepted reset: the device applies its stored settings
    std::string summary;     // human-readable exchange, passwords masked
};

class SimDevice {
public:
    explicit SimDevice(DeviceSetup setup);

    const DeviceSetup& setup() const { return m_setup; }
    // The address the device serves on: `setup().address` until a restart applies another.
    const std::string& address() const { return m_address; }
    void setAddress(std::string address) { m_address = std::move(address); }
    const kvt::CConfiguration& configuration() const { return m_config; }
    void setConfiguration(kvt::CConfiguration config) { m_config = std::move(config); }
    Fault fault() const { return m_setup.fault; }
    void setFault(Fault fault) { m_setup.fault = fault; }
    std::size_t resets() const { return m_resets; }

    // `request` is one whole message: 8-byte header plus the payload its length announces.
    Reply handle(std::span<const std::uint8_t> request, ConnectionAuth& auth);

    // Name = network name, IP = the serving address, password flags = whether the stored
    // passwords are non-empty; MAC, firmware, product and permission come from the setup.
    std::array<std::uint8_t, 68> discoveryReply() const;
    std::array<std::uint8_t, kReportSize> reportDatagram() const;
    // Display name for logs (UTF-8).
    std::string label() const;

private:
    Reply readConfig(kvt::ConfigKind kind, const ConnectionAuth& auth, std::uint32_t code);
    Reply writeConfig(kvt::ConfigKind kind, std::span<const std::uint8_t> request,
                      const ConnectionAuth& auth, std::uint32_t code);
    Reply passwordCheck(kvt::ConfigKind kind, std::span<const std::uint8_t> request,
                        ConnectionAuth& auth, std::uint32_t code);
    Reply reset(std::span<const std::uint8_t> request, std::uint32_t code);

    DeviceSetup m_setup;
    std::string m_address;
    kvt::CConfiguration m_config;
    std::size_t m_resets = 0;
};

// Reply code 00 00 00 FF with the request code and the reason.
kvt::Bytes refusalReply(std::uint32_t requestCode, Refusal reason);
// Applies a reply fault that rewrites bytes (WrongCode); other kinds leave the bytes alone.
void applyWrongCode(kvt::Bytes& reply);
// Text of a fault for logs and the command line, e.g. "split:200".
std::string faultText(const Fault& fault);
// The serving address as four bytes, first octet first (zeros if it does not parse).
std::array<std::uint8_t, 4> addressBytes(const std::string& dotted);

}  // namespace kvt::sim
