// kvt275r-sim: KVT-275R gateways on loopback, for tests, demos and work without hardware.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "KvtVersion.h"
#include "core/config/Rules.h"
#include "core/platform/Console.h"
#include "core/platform/Interrupt.h"
#include "sim/DeviceSetupParser.h"
#include "sim/Simulator.h"

namespace {

constexpr const char* kDeviceHelp =
    "A device as comma-separated key=value pairs (repeatable). Keys: ip=ADDRESS (required, "
    "127.0.0.0/8), name=TEXT (default GW-N), mac=02:00:00:00:00:01, user-password=TEXT, "
    "admin-password=TEXT, remote=allow|forbid, product=NUMBER (24-bit product code, KVT-275R = "
    "134103), fw=MAJOR.MINOR, fault=none|no-answer|refuse|split[:MS]|short|wrong-code|close|"
    "slow[:MS]|ignore-write (a write is acknowledged but not stored)|no-enip (no EtherNet/IP), "
    "enip-sizes=N;N;...;N (nine assembly sizes in bytes, 102;101;103;112;111;113;122;121;123, "
    "that EtherNet/IP reports and accepts instead of those the stored configuration implies), "
    "state=FILE (JSON that keeps the configuration across restarts, created readable by its "
    "owner only). Example: "
    "--device \"name=GW-1,ip=127.0.0.2,user-password=1234,fault=split:200\"";

constexpr const char* kFooter =
    "Discovery: every 8-byte query 00 00 00 03 00 00 00 00 gets one 68-byte reply per device "
    "(devices with fault no-answer stay silent).\n"
    "Configuration port: one request per connection; a password check (0x27 user, 0x07 "
    "administrator) keeps the connection open for the read or write that follows. A protected "
    "configuration read or written without a passed check on the same connection, and any "
    "read, write or reset of a device with remote=forbid, get the 16-byte refusal 00 00 00 FF, "
    "00 00 00 08, request code, reason (1 password check needed, 2 remote configuration "
    "forbidden, 3 malformed, 4 unknown command).\n"
    "Discovery replies carry the stored network name and password flags at once after a "
    "write, and the address the device serves on.\n"
    "A reset (0x0A) applies the stored IP address, as a gateway does on restart: the device "
    "closes its configuration port, discovery responder and report source and opens them on "
    "the new address; until then it keeps its old one. It stays where it is, and logs why, "
    "when the stored address is not an IPv4 address in 127.0.0.0/8, is served by another "
    "simulated device or cannot be bound; its configuration keeps the written address. The "
    "IP method (static, DHCP, BOOTP) does not matter. A device started from a state file "
    "comes up at the address the file stores, by the same rules.\n"
    "IP address reports are sent from the device's address while the stored configuration "
    "enables them, to 127.0.0.0/8 targets only.\n"
    "EtherNet/IP (port 44818, TCP and UDP, on each device's address; it follows the device to "
    "its new address after a reset): ListIdentity (vendor id 65534, a placeholder; device type "
    "12, communications adapter; product code = the low 16 bits of product=; revision = fw=; "
    "serial = the MAC's last four bytes; product name = the stored network name), "
    "ListServices, RegisterSession, and in SendRRData (directly or in an Unconnected Send): "
    "Get_Attributes_All and Get_Attribute_Single on the Identity object (class 1, instance 1), "
    "Get_Attribute_Single on the Assembly object (class 4, instances 101 to 123, attribute 3 "
    "data as zeros, attribute 4 size: an input instance holds the configured bytes plus a "
    "4-byte header), and Forward_Open (class 1 connections: O->T size = output + 6, T->O size "
    "= input assembly + 2), answered 0x01 with extended status 0x0127 or 0x0128 and the right "
    "size when a size differs; an accepted connection gets no I/O data. A ListIdentity sent to "
    "the discovery address counts as a broadcast: every device answers from its own address "
    "after a random share of the requester's delay.\n"
    "Runs until SIGINT or SIGTERM.";

}  // namespace

int main(int argc, char** argv) {
    kvt::platform::prepareConsole();
    CLI::App app{"KVT-275R gateway simulator on loopback addresses", "kvt275r-sim"};
    app.footer(kFooter);
    app.set_version_flag("--version", std::string("kvt275r-sim ") + kvt::kVersion);
    std::vector<std::string> deviceTexts;
    std::string configFile;
    std::size_t generated = 0;
    std::string baseAddress = "127.0.0.2";
    kvt::sim::Options options;
    bool quiet = false;
    app.add_option("--device", deviceTexts, kDeviceHelp);
    app.add_option("--config", configFile,
                   "JSON file: {\"discoveryAddress\": ..., \"discoveryPort\": ..., "
                   "\"devicePort\": ..., \"devices\": [{\"ip\": \"127.0.0.2\", \"name\": "
                   "\"GW-1\", ...}]} with the keys of --device")
        ->check(CLI::ExistingFile);
    app.add_option("--devices", generated,
                   "Generate N devices with default settings on consecutive addresses");
    app.add_option("--base-address", baseAddress, "First address for --devices")
        ->capture_default_str();
    app.add_option("--discovery-address", options.discoveryAddress,
                   "Address the discovery responder binds (0.0.0.0 also receives broadcasts)")
        ->capture_default_str();
    app.add_option("--discovery-port", options.discoveryPort, "UDP port of the discovery responder")
        ->capture_default_str()
        ->check(CLI::Range(kvt::kPortRange.min, kvt::kPortRange.max));
    app.add_option("--device-port", options.devicePort, "TCP configuration port of every device")
        ->capture_default_str()
        ->check(CLI::Range(kvt::kPortRange.min, kvt::kPortRange.max));
    app.add_option("--enip-port", options.enipPort,
                   "EtherNet/IP port of every device (TCP and UDP)")
        ->capture_default_str()
        ->check(CLI::Range(kvt::kPortRange.min, kvt::kPortRange.max));
    app.add_flag("--quiet", quiet, "Do not log exchanges on stderr");
    CLI11_PARSE(app, argc, argv);
    options.log = !quiet;

    std::vector<kvt::sim::DeviceSetup> devices;
    std::string error;
    if (!configFile.empty()) {
        std::ifstream in(configFile);
        const auto json = nlohmann::json::parse(in, nullptr, false);
        if (json.is_discarded()) {
            std::fprintf(stderr, "kvt275r-sim: %s: not valid JSON\n", configFile.c_str());
            return 2;
        }
        // Options given on the command line win over the file.
        kvt::sim::Options fromFile = options;
        if (!kvt::sim::loadDeviceFile(json, fromFile, devices, &error)) {
            std::fprintf(stderr, "kvt275r-sim: %s: %s\n", configFile.c_str(), error.c_str());
            return 2;
        }
        if (app.count("--discovery-address") == 0) {
            options.discoveryAddress = fromFile.discoveryAddress;
        }
        if (app.count("--discovery-port") == 0) options.discoveryPort = fromFile.discoveryPort;
        if (app.count("--device-port") == 0) options.devicePort = fromFile.devicePort;
    }
    for (const std::string& text : deviceTexts) {
        auto setup = kvt::sim::parseDeviceSetup(text, devices.size(), &error);
        if (!setup) {
            std::fprintf(stderr, "kvt275r-sim: --device \"%s\": %s\n", text.c_str(), error.c_str());
            return 2;
        }
        devices.push_back(std::move(*setup));
    }
    if (generated > 0) {
        auto more = kvt::sim::generateDevices(generated, baseAddress, devices.size(), &error);
        if (!more) {
            std::fprintf(stderr, "kvt275r-sim: %s\n", error.c_str());
            return 2;
        }
        devices.insert(devices.end(), more->begin(), more->end());
    }
    if (devices.empty()) {
        std::fprintf(stderr, "kvt275r-sim: no devices; use --device, --devices or --config\n");
        return 2;
    }

    // Interrupts are taken below, where main waits; made before the simulator's threads.
    kvt::platform::InterruptWait interrupts;

    kvt::sim::Simulator simulator(options, std::move(devices));
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "kvt275r-sim: %s\n", error.c_str());
        return 1;
    }
    interrupts.wait();
    simulator.stop();
    return 0;
}
