#pragma once
// The network options of both programs, kvt640 and kvt640-cli: names (CLI11's comma-separated
// form: the first is the one --help shows, the others older spellings kept as aliases), limits
// and help texts. Each program turns them into options of its own command-line parser.
#include "core/config/Rules.h"

namespace kvt {

struct OptionDefinition {
    const char* names;
    const char* help;
};

inline constexpr OptionDefinition kLocalAddressOption{
    "--local-address,--bind",
    "local address the search socket (and a report listener) binds to (default 0.0.0.0)"};

static_assert(kSearchLocalPort == 10002 && kDiscoveryPort == 18801 && kDeviceConfigPort == 18801,
              "the help texts below name the default ports");
inline constexpr OptionDefinition kLocalPortOption{
    "--local-port", "local UDP port of the search socket (default 10002)"};
inline constexpr OptionDefinition kDiscoveryPortOption{
    "--discovery-port", "UDP port of the devices' discovery responders (default 18801)"};
inline constexpr OptionDefinition kDevicePortOption{
    "--device-port", "TCP configuration port of the devices (default 18801)"};

// Up to ten minutes, for a link as slow as a satellite hop or a gateway behind a dial-up router.
inline constexpr int kMinConnectTimeoutMs = 1;
inline constexpr int kMaxConnectTimeoutMs = 600000;
inline constexpr OptionDefinition kConnectTimeoutOption{
    "--connect-timeout", "time limit of a TCP connect in milliseconds, 1 to 600000 (default 3000)"};

}  // namespace kvt
