#pragma once
// In-process simulator of KVT-275R gateways on loopback: the discovery responder, the TCP
// configuration port of every device and the periodic IP address report. Used by the
// kvt275r-sim program, by end-to-end tests and by demos without hardware.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/device/Messages.h"
#include "core/text/Gbk.h"

namespace kvt::sim {

// A misbehaviour a device shows on its configuration port (and, for NoAnswer, on discovery).
// Faults apply to every TCP reply of the device, password checks included.
struct Fault {
    enum class Kind {
        None,
        NoAnswer,           // accepts connections and reads requests, never replies; silent on
                            // discovery too
        Refuse,             // no listener: connections are refused
        Split,              // reply sent in three segments, pauseMs between them
        Short,              // reply cut short of its length field; connection held open until
                            // the client closes it
        WrongCode,          // reply command code + 1
        CloseWithoutReply,  // request read, then the connection is closed
        Slow,               // pauseMs delay before the reply
        IgnoreWrite,        // a write is acknowledged as usual but not stored
        NoEnip,             // no EtherNet/IP at all: its UDP port is silent, its TCP port refuses
    };
    Kind kind = Kind::None;
    int pauseMs = 0;
    bool operator==(const Fault&) const = default;
};

struct DeviceSetup {
    std::string address;  // loopback address the device starts serving on, e.g. 127.0.0.2
    kvt::Gbk name;        // network name (also the name in discovery replies and reports)
    std::array<std::uint8_t, 6> mac{0x02, 0, 0, 0, 0, 1};
    std::uint16_t firmwareMajor = 1;
    std::uint16_t firmwareMinor = 0;
    kvt::Gbk userPassword;
    kvt::Gbk adminPassword;
    bool remoteAllowed = true;
    std::uint32_t productCode = kvt::kProductKvt275r;  // 24 bits shown in discovery replies
    // Keeps the configuration across restarts (JSON). When the file exists it wins over the
    // fields above and over `configuration`, and the device comes up at the IP address it
    // stores (where it can; see Simulator::address); it is written after every stored write.
    std::string stateFile;
    // Starting configuration; when absent the device starts from the background New fill with
    // IP address = `address`, network name = `name` and the two passwords above.
    std::optional<kvt::CConfiguration> configuration;
    // EtherNet/IP: the assembly sizes in bytes (102, 101, 103, 112, ...) the device reports
    // and accepts instead of those its stored configuration implies: a device that lies.
    std::optional<std::array<std::uint16_t, 9>> enipSizes;
    Fault fault;
};

struct Options {
    std::string discoveryAddress = "127.0.0.1";  // "0.0.0.0" also receives broadcasts
    std::uint16_t discoveryPort = kvt::kDiscoveryPort;
    std::uint16_t devicePort = kvt::kDeviceConfigPort;
    std::uint16_t enipPort = 44818;  // EtherNet/IP, TCP and UDP, on every device's address
    // How the devices' addresses get their UDP ports (discovery, EtherNet/IP): a socket on
    // each address, or one socket per port on all addresses that sorts datagrams by the
    // address they were sent to and answers from it. Auto shares where the system cannot bind
    // several loopback addresses to one UDP port (Wine).
    enum class UdpPorts { Auto, PerAddress, Shared };
    UdpPorts udpPorts = UdpPorts::Auto;
    bool log = true;                 // one line per exchange on stderr; passwords are masked
};

class Simulator {
public:
    Simulator(Options options, std::vector<DeviceSetup> devices);
    ~Simulator();  // stops and joins everything
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Loads state files, binds the discovery socket and every listener, starts the threads.
    // On failure nothing is left open and `error` (if given) says why.
    bool start(std::string* error = nullptr);
    // Closes every socket and joins every thread; safe to call twice.
    void stop();

    std::size_t deviceCount() const;
    // The address device `device` serves on now. A reset moves a device to the IP address of
    // its stored configuration when that is a free 127.0.0.0/8 address it can bind; starting
    // from a state file does the same. Device indexes never change.
    std::string address(std::size_t device) const;
    // Takes effect before it returns (a Refuse listener is closed, or reopened after Refuse;
    // EtherNet/IP likewise around NoEnip).
    void setFault(std::size_t device, Fault fault);
    // Every complete TCP request the device received, in order (password bytes included).
    std::vector<kvt::Bytes> requests(std::size_t device) const;
    // What the device now holds.
    kvt::CConfiguration configuration(std::size_t device) const;
    std::size_t resets(std::size_t device) const;
    std::size_t reportsSent(std::size_t device) const;
    std::size_t discoveryQueries() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace kvt::sim
