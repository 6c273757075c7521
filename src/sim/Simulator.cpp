#include "sim/Simulator.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <list>
#include <mutex>
#include <random>
#include <thread>
#include <utility>

#include "core/config/Rules.h"
#include "core/config/WireFormat.h"
#include "core/discovery/DiscoveryCodec.h"
#include "core/net/Socket.h"
#include "sim/EnipDevice.h"
#include "sim/SimDevice.h"
#include "sim/StateFile.h"

namespace kvt::sim {
namespace {

using Clock = std::chrono::steady_clock;
using kvt::Fd;

bool makeAddress(const std::string& address, std::uint16_t port, sockaddr_in& out) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    return inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1;
}

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

Fd bindSocket(int type, const std::string& address, std::uint16_t port, std::string* error) {
    sockaddr_in addr{};
    if (!makeAddress(address, port, addr)) {
        if (error) *error = "not an IPv4 address: " + address;
        return {};
    }
    Fd fd(::socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) {
        if (error) *error = errnoText("socket");
        return {};
    }
    const int one = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (error) *error = errnoText("bind " + address + ":" + std::to_string(port));
        return {};
    }
    if (type == SOCK_STREAM && ::listen(fd.get(), 64) != 0) {
        if (error) *error = errnoText("listen " + address + ":" + std::to_string(port));
        return {};
    }
    return fd;
}

bool isLoopbackTarget(const std::string& dotted) {
    in_addr addr{};
    if (inet_pton(AF_INET, dotted.c_str(), &addr) != 1) return false;
    return (ntohl(addr.s_addr) >> 24) == 127;
}

// Why device `device` cannot serve on the stored address `stored` (empty when it can), given
// where every device serves now. `target` receives the address in its canonical form.
std::string addressRefusal(std::size_t device, const std::string& stored,
                           const std::vector<std::string>& serving, std::string& target) {
    in_addr addr{};
    if (inet_pton(AF_INET, stored.c_str(), &addr) != 1) {
        return "\"" + stored + "\" is not an IPv4 address";
    }
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &addr, text, sizeof text);
    target = text;
    if ((ntohl(addr.s_addr) >> 24) != 127) return target + " is outside 127.0.0.0/8";
    for (std::size_t other = 0; other < serving.size(); ++other) {
        if (other != device && serving[other] == target) {
            return target + " is taken by device " + std::to_string(other + 1);
        }
    }
    return {};
}

// What a device binds on its address: its configuration port (none while it refuses
// connections) and its own discovery responder (none on the shared discovery address).
struct DeviceSockets {
    Fd listener;
    Fd discovery;
};

struct Segment {
    Clock::time_point due;
    kvt::Bytes bytes;
};

struct Listener {
    Fd fd;
    std::string address;
};

struct Connection {
    Fd fd;
    std::size_t device = 0;
    std::string local;  // the device address the connection came in on
    std::string peer;
    kvt::Bytes input;
    ConnectionAuth auth;
    std::deque<Segment> output;
    bool closeWhenSent = false;
    bool mute = false;        // NoAnswer / Short: further requests are read but never answered
    bool peerClosed = false;  // the client shut down its side; answer what is left, then close
};

// A device's EtherNet/IP sockets on its address (none with fault no-enip).
struct EnipSockets {
    std::string address;  // where they are bound; empty when closed
    Fd udp;               // none on the shared discovery address, whose socket answers for it
    Fd tcp;
};

struct EnipConn {
    Fd fd;
    std::size_t device = 0;
    std::string peer;
    kvt::Bytes input;
    EnipConnection state;
};

// A ListIdentity reply that waits out its random share of the requester's delay.
struct DelayedReply {
    Clock::time_point due;
    std::size_t device = 0;
    sockaddr_in to{};
    kvt::Bytes bytes;
};

}  // namespace

struct Simulator::Impl {
    Options options;
    std::vector<DeviceSetup> setups;

    mutable std::mutex mutex;  // guards everything below up to the threads
    std::vector<SimDevice> devices;
    std::vector<std::vector<kvt::Bytes>> requests;
    std::vector<std::size_t> reports;
    std::uint64_t wantedListeners = 0;  // generation of fault changes asked for
    std::uint64_t appliedListeners = 0;
    // Own discovery sockets of moved devices, on their way to the discovery thread.
    std::vector<std::pair<std::size_t, Fd>> handovers;
    std::uint64_t wantedHandovers = 0;
    std::uint64_t appliedHandovers = 0;
    // Generations of moves and faults asked of the EtherNet/IP thread and applied by it.
    std::uint64_t wantedEnip = 0;
    std::uint64_t appliedEnip = 0;
    std::condition_variable changed;
    bool running = false;

    std::atomic<std::size_t> queries{0};
    std::atomic<bool> stopping{false};
    Fd stopEvent;      // readable once stop() has been called; never drained
    Fd wakeEvent;      // wakes the TCP loop to apply fault changes
    Fd discoveryWake;  // wakes the discovery thread to take handovers
    Fd enipWake;       // wakes the EtherNet/IP thread to follow moves and faults
    Fd discovery;
    // Each device also answers a query sent to its own address (search by IP), with its reply
    // alone; empty where the shared discovery socket already has that address. Owned by the
    // discovery thread while it runs.
    std::vector<Fd> ownDiscovery;
    std::vector<Listener> listeners;  // owned by the TCP loop while it runs
    std::thread tcpThread;
    std::thread discoveryThread;
    std::thread reportThread;
    std::thread enipThread;
    // Owned by the EtherNet/IP thread while it runs.
    Fd enipShared;  // UDP on the discovery address: ListIdentity by broadcast, for every device
    std::vector<EnipSockets> enipSockets;
    std::mutex logMutex;

    void log(const std::string& line) {
        if (!options.log) return;
        std::lock_guard lock(logMutex);
        std::fprintf(stderr, "kvt275r-sim: %s\n", line.c_str());
    }

    std::string bindDevice(const std::string& address, bool refuse, DeviceSockets& out) {
        std::string why;
        if (!refuse) {
            out.listener = bindSocket(SOCK_STREAM, address, options.devicePort, &why);
            if (!out.listener) return why;
        }
        if (address != options.discoveryAddress) {
            out.discovery = bindSocket(SOCK_DGRAM, address, options.discoveryPort, &why);
            if (!out.discovery) return why;
        }
        return {};
    }

    std::vector<std::string> servingAddresses() const {
        std::vector<std::string> out;
        for (const SimDevice& d : devices) out.push_back(d.address());
        return out;
    }

    // Opens or closes listeners to match the faults (loop thread, or start before it runs).
    void applyListenerFaults() {
        std::unique_lock lock(mutex);
        const std::uint64_t generation = wantedListeners;
        std::vector<bool> wanted(devices.size());
        for (std::size_t i = 0; i < devices.size(); ++i) {
            wanted[i] = devices[i].fault().kind != Fault::Kind::Refuse;
        }
        const std::vector<std::string> addresses = servingAddresses();
        lock.unlock();
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (wanted[i] && !listeners[i].fd) {
                std::string error;
                listeners[i].fd = bindSocket(SOCK_STREAM, addresses[i], options.devicePort, &error);
                listeners[i].address = addresses[i];
                if (!listeners[i].fd) log(addresses[i] + ": " + error);
            } else if (!wanted[i] && listeners[i].fd) {
                listeners[i].fd.reset();
            }
        }
        lock.lock();
        appliedListeners = std::max(appliedListeners, generation);
        changed.notify_all();
    }

    void restart(std::size_t device);
    void takeHandovers();
    void tcpLoop();
    void acceptAll(std::size_t device, std::list<Connection>& connections);
    // Each returns false when the connection is to be closed.
    bool receive(Connection& c);
    bool process(Connection& c);
    void answer(Connection& c, std::span<const std::uint8_t> request);
    bool flush(Connection& c, Clock::time_point now);
    void discoveryLoop();
    void reportLoop();
    // With `mutex` held: asks the EtherNet/IP thread to follow moves and faults; returns the
    // generation to wait for (appliedEnip).
    std::uint64_t wakeEnip() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(enipWake.get(), &one, sizeof one);
        return ++wantedEnip;
    }
    void syncEnipSockets(std::list<EnipConn>& connections);
    void enipLoop();
};

// A reset applies the stored IP address, as a gateway applies its settings when it restarts.
// Runs on the TCP loop, the only thread that moves devices, so the check and the move agree.
void Simulator::Impl::restart(std::size_t device) {
    std::string stored;
    std::string label;
    std::vector<std::string> serving;
    bool refuse = false;
    {
        std::lock_guard lock(mutex);
        const SimDevice& d = devices[device];
        stored = kvt::gbkToUtf8(d.configuration().ethernet.ipAddress);
        label = d.label();
        serving = servingAddresses();
        refuse = d.fault().kind == Fault::Kind::Refuse;
    }
    const std::string& current = serving[device];
    std::string target;
    std::string why = addressRefusal(device, stored, serving, target);
    if (why.empty() && target == current) return;
    DeviceSockets sockets;
    if (why.empty()) why = bindDevice(target, refuse, sockets);
    if (!why.empty()) {
        log(label + ": restarted; stays at " + current + ": " + why);
        return;
    }
    listeners[device] = {std::move(sockets.listener), target};
    {
        std::unique_lock lock(mutex);
        devices[device].setAddress(target);
        const std::uint64_t enipGeneration = wakeEnip();
        handovers.emplace_back(device, std::move(sockets.discovery));
        const std::uint64_t generation = ++wantedHandovers;
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(discoveryWake.get(), &one, sizeof one);
        changed.notify_all();  // the report source moves too
        // The old address is silent once this returns.
        changed.wait_for(lock, std::chrono::seconds(5), [&] {
            return (appliedHandovers >= generation && appliedEnip >= enipGeneration) || stopping;
        });
    }
    log(label + ": restarted; moved to " + target);
}

void Simulator::Impl::takeHandovers() {
    std::vector<std::pair<std::size_t, Fd>> taken;
    std::unique_lock lock(mutex);
    taken.swap(handovers);
    const std::uint64_t generation = wantedHandovers;
    lock.unlock();
    for (auto& [device, socket] : taken) ownDiscovery[device] = std::move(socket);
    lock.lock();
    appliedHandovers = generation;
    changed.notify_all();
}

void Simulator::Impl::acceptAll(std::size_t device, std::list<Connection>& connections) {
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        Fd fd(::accept4(listeners[device].fd.get(), reinterpret_cast<sockaddr*>(&peer), &length,
                        SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd) return;
        const int one = 1;
        // Split replies must leave as separate segments.
        ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        Connection c;
        c.fd = std::move(fd);
        c.device = device;
        c.local = listeners[device].address;
        c.peer = std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
        connections.push_back(std::move(c));
    }
}

bool Simulator::Impl::receive(Connection& c) {
    std::uint8_t buffer[2048];
    for (;;) {
        const ssize_t n = ::recv(c.fd.get(), buffer, sizeof buffer, 0);
        if (n == 0) {
            c.peerClosed = true;
            break;
        }
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            if (errno == EINTR) continue;
            return false;
        }
        c.input.insert(c.input.end(), buffer, buffer + n);
    }
    return process(c);
}

bool Simulator::Impl::process(Connection& c) {
    // Requests are answered one at a time: the next waits until the reply has left.
    while (c.output.empty() && !c.closeWhenSent && c.input.size() >= 8) {
        const std::uint32_t length = kvt::wire::readU32(c.input, 4);
        if (length > kMaxPayload) {
            log(c.local + " from " + c.peer + ": request announces " + std::to_string(length) +
                " bytes -> connection closed");
            return false;
        }
        if (c.input.size() < 8 + length) break;
        const kvt::Bytes request(c.input.begin(), c.input.begin() + 8 + length);
        c.input.erase(c.input.begin(), c.input.begin() + 8 + length);
        answer(c, request);
    }
    if (c.output.empty() && (c.closeWhenSent || c.peerClosed)) return false;
    return true;
}

void Simulator::Impl::answer(Connection& c, std::span<const std::uint8_t> request) {
    Reply reply;
    Fault fault;
    std::string label;
    std::string stateFile;
    std::optional<kvt::CConfiguration> toSave;
    {
        std::lock_guard lock(mutex);
        requests[c.device].emplace_back(request.begin(), request.end());
        SimDevice& device = devices[c.device];
        // The device acts on every request; a fault changes only what goes back on the wire.
        reply = device.handle(request, c.auth);
        fault = device.fault();
        label = device.label();
        stateFile = device.setup().stateFile;
        if (reply.stored && !stateFile.empty()) toSave = device.configuration();
        if (reply.stored) changed.notify_all();  // the report schedule may have changed
    }
    // Only this thread writes state files, so saving outside the lock keeps their order.
    if (std::string error; toSave && !saveStateFile(stateFile, *toSave, &error)) {
        reply.summary += " (state file not saved: " + error + ")";
    }
    std::string line = label + " from " + c.peer + ": " + reply.summary;
    if (c.mute) {
        log(line + " [unanswered]");
        if (reply.restart) restart(c.device);
        return;
    }
    const auto now = Clock::now();
    const auto pause = std::chrono::milliseconds(std::max(0, fault.pauseMs));
    c.closeWhenSent = reply.closeAfter;
    switch (fault.kind) {
        case Fault::Kind::None:
        case Fault::Kind::Refuse:
        case Fault::Kind::IgnoreWrite:
        case Fault::Kind::NoEnip:
            c.output.push_back({now, reply.bytes});
            break;
        case Fault::Kind::NoAnswer:
            c.mute = true;
            c.closeWhenSent = false;
            break;
        case Fault::Kind::CloseWithoutReply:
            c.closeWhenSent = true;
            break;
        case Fault::Kind::Slow:
            c.output.push_back({now + pause, reply.bytes});
            break;
        case Fault::Kind::WrongCode:
            applyWrongCode(reply.bytes);
            c.output.push_back({now, reply.bytes});
            break;
        case Fault::Kind::Split: {
            const std::size_t n = reply.bytes.size();
            const std::size_t cuts[] = {0, n / 3, 2 * n / 3, n};
            for (int part = 0; part < 3; ++part) {
                c.output.push_back(
                    {now + pause * part, kvt::Bytes(reply.bytes.begin() + cuts[part],
                                                    reply.bytes.begin() + cuts[part + 1])});
            }
            break;
        }
        case Fault::Kind::Short:
            reply.bytes.resize(reply.bytes.size() / 2);
            c.output.push_back({now, reply.bytes});
            c.mute = true;
            c.closeWhenSent = false;  // held open until the client gives up
            break;
    }
    if (fault.kind != Fault::Kind::None) line += " [fault " + faultText(fault) + "]";
    log(line);
    // The reply is queued on the connection, which outlives the listener it came from.
    if (reply.restart) restart(c.device);
}

bool Simulator::Impl::flush(Connection& c, Clock::time_point now) {
    while (!c.output.empty() && c.output.front().due <= now) {
        Segment& s = c.output.front();
        if (!s.bytes.empty()) {
            const ssize_t n = ::send(c.fd.get(), s.bytes.data(), s.bytes.size(), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) return true;  // wait for POLLOUT
                return false;
            }
            s.bytes.erase(s.bytes.begin(), s.bytes.begin() + n);
            if (!s.bytes.empty()) return true;
        }
        c.output.pop_front();
    }
    return !(c.output.empty() && (c.closeWhenSent || c.peerClosed));
}

void Simulator::Impl::tcpLoop() {
    std::list<Connection> connections;
    std::vector<pollfd> fds;
    std::vector<std::size_t> listenerOf;
    std::vector<Connection*> connectionOf;
    while (!stopping) {
        fds.clear();
        listenerOf.clear();
        connectionOf.clear();
        fds.push_back({stopEvent.get(), POLLIN, 0});
        fds.push_back({wakeEvent.get(), POLLIN, 0});
        for (std::size_t i = 0; i < listeners.size(); ++i) {
            if (!listeners[i].fd) continue;
            fds.push_back({listeners[i].fd.get(), POLLIN, 0});
            listenerOf.push_back(i);
        }
        const auto now = Clock::now();
        int timeout = -1;
        for (Connection& c : connections) {
            short events = c.peerClosed ? 0 : POLLIN;
            if (!c.output.empty()) {
                const auto due = c.output.front().due;
                if (due <= now) {
                    events |= POLLOUT;
                } else {
                    const auto wait =
                        std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
                    if (timeout < 0 || wait < timeout) timeout = static_cast<int>(wait);
                }
            }
            fds.push_back({c.fd.get(), events, 0});
            connectionOf.push_back(&c);
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
        if (fds[0].revents != 0) break;
        if (fds[1].revents != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto n = ::read(wakeEvent.get(), &count, sizeof count);
            applyListenerFaults();
        }
        std::size_t index = 2;
        for (const std::size_t device : listenerOf) {
            if (fds[index++].revents != 0 && listeners[device].fd) {
                acceptAll(device, connections);
            }
        }
        const auto after = Clock::now();
        for (Connection* c : connectionOf) {
            const short revents = fds[index++].revents;
            bool keep = !(c->peerClosed && (revents & (POLLHUP | POLLERR)));
            if (keep && revents & (POLLIN | POLLHUP | POLLERR)) keep = receive(*c);
            if (keep) keep = flush(*c, after);
            // A request that arrived while the previous reply was still going out.
            if (keep && c->output.empty() && !c->input.empty()) keep = process(*c);
            if (!keep) {
                connections.remove_if([c](const Connection& x) { return &x == c; });
            }
        }
    }
    connections.clear();
    for (Listener& l : listeners) l.fd.reset();
}

void Simulator::Impl::discoveryLoop() {
    std::uint8_t buffer[1500];
    const auto query = kvt::discoveryQuery();
    // fds[0] stop, fds[1] handovers, fds[2] the shared socket, fds[3 + i] device i's own address.
    constexpr std::size_t kShared = 2;
    std::vector<pollfd> fds;
    const auto watch = [&] {
        fds.clear();
        fds.push_back({stopEvent.get(), POLLIN, 0});
        fds.push_back({discoveryWake.get(), POLLIN, 0});
        fds.push_back({discovery.get(), POLLIN, 0});
        for (const Fd& own : ownDiscovery) fds.push_back({own ? own.get() : -1, POLLIN, 0});
    };
    watch();
    while (!stopping) {
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
        if (fds[0].revents != 0) return;
        if (fds[1].revents != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto n = ::read(discoveryWake.get(), &count, sizeof count);
            takeHandovers();
            watch();
            continue;  // what the other sockets hold is still there at the next poll
        }
        for (std::size_t k = kShared; k < fds.size(); ++k) {
            if (fds[k].revents == 0) continue;
            const int socketFd = fds[k].fd;
            // Which devices answer: all of them on the shared socket, one on its own address.
            constexpr std::size_t kAll = static_cast<std::size_t>(-1);
            const std::size_t only = k == kShared ? kAll : k - kShared - 1;
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(socketFd, buffer, sizeof buffer, 0,
                                         reinterpret_cast<sockaddr*>(&from), &length);
            if (n < 0) continue;
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
            const std::string sender =
                std::string(text) + ":" + std::to_string(ntohs(from.sin_port));
            if (n != 8 || !std::equal(query.begin(), query.end(), buffer)) {
                log("discovery: ignored " + std::to_string(n) + "-byte datagram from " + sender);
                continue;
            }
            ++queries;
            std::vector<std::array<std::uint8_t, 68>> replies;
            std::string to;
            {
                std::lock_guard lock(mutex);
                if (only != kAll) to = " to " + devices[only].address();
                for (std::size_t i = 0; i < devices.size(); ++i) {
                    if (only != kAll && only != i) continue;
                    if (devices[i].fault().kind != Fault::Kind::NoAnswer) {
                        replies.push_back(devices[i].discoveryReply());
                    }
                }
            }
            std::size_t sent = 0;
            for (const auto& reply : replies) {
                // A full socket buffer is worth a few retries: a burst of 250 must not lose
                // replies on our side.
                for (int attempt = 0; attempt < 50; ++attempt) {
                    if (::sendto(socketFd, reply.data(), reply.size(), 0,
                                 reinterpret_cast<const sockaddr*>(&from), length) >= 0) {
                        ++sent;
                        break;
                    }
                    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOBUFS) break;
                    pollfd out{socketFd, POLLOUT, 0};
                    ::poll(&out, 1, 10);
                }
            }
            log("discovery query from " + sender + to + " -> " + std::to_string(sent) + " of " +
                std::to_string(replies.size()) + " replies sent");
        }
    }
}

// Binds, moves or closes every device's EtherNet/IP sockets to match where it serves and its
// fault; connections to an address the device left are closed, as a restart drops them.
void Simulator::Impl::syncEnipSockets(std::list<EnipConn>& connections) {
    std::vector<std::string> wanted(devices.size());
    {
        std::lock_guard lock(mutex);
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].fault().kind != Fault::Kind::NoEnip) wanted[i] = devices[i].address();
        }
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        EnipSockets& s = enipSockets[i];
        if (s.address == wanted[i]) continue;
        s = {};
        connections.remove_if([i](const EnipConn& c) { return c.device == i; });
        if (wanted[i].empty()) continue;
        std::string why;
        s.tcp = bindSocket(SOCK_STREAM, wanted[i], options.enipPort, &why);
        if (s.tcp && wanted[i] != options.discoveryAddress) {
            s.udp = bindSocket(SOCK_DGRAM, wanted[i], options.enipPort, &why);
        }
        if (!s.tcp || (!s.udp && wanted[i] != options.discoveryAddress)) {
            log(wanted[i] + ": no EtherNet/IP: " + why);
            s = {};
        }
        s.address = wanted[i];
    }
}

void Simulator::Impl::enipLoop() {
    std::list<EnipConn> connections;
    std::vector<DelayedReply> delayed;
    std::minstd_rand random(static_cast<unsigned>(::getpid()));
    std::vector<pollfd> fds;
    const auto viewOf = [this](std::size_t device) {
        std::lock_guard lock(mutex);
        return std::make_pair(enipView(devices[device], options.enipPort), devices[device].label());
    };
    syncEnipSockets(connections);
    std::uint8_t buffer[1500];
    while (!stopping) {
        // fds: stop, wake, shared, then per device udp and tcp, then connections.
        fds.clear();
        fds.push_back({stopEvent.get(), POLLIN, 0});
        fds.push_back({enipWake.get(), POLLIN, 0});
        fds.push_back({enipShared ? enipShared.get() : -1, POLLIN, 0});
        for (const EnipSockets& s : enipSockets) {
            fds.push_back({s.udp ? s.udp.get() : -1, POLLIN, 0});
            fds.push_back({s.tcp ? s.tcp.get() : -1, POLLIN, 0});
        }
        for (const EnipConn& c : connections) fds.push_back({c.fd.get(), POLLIN, 0});
        int timeout = -1;
        const auto now = Clock::now();
        for (const DelayedReply& d : delayed) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(d.due - now).count();
            timeout = timeout < 0
                          ? static_cast<int>(std::max<long long>(wait, 0))
                          : std::min(timeout, static_cast<int>(std::max<long long>(wait, 0)));
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) return;
        if (fds[0].revents != 0) return;
        if (fds[1].revents != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto n = ::read(enipWake.get(), &count, sizeof count);
            std::uint64_t generation = 0;
            {
                std::lock_guard lock(mutex);
                generation = wantedEnip;
            }
            syncEnipSockets(connections);
            std::lock_guard lock(mutex);
            appliedEnip = std::max(appliedEnip, generation);
            changed.notify_all();
            continue;
        }
        // Replies whose delay has passed leave from the device's own address.
        const auto after = Clock::now();
        for (auto it = delayed.begin(); it != delayed.end();) {
            if (it->due > after) {
                ++it;
                continue;
            }
            const EnipSockets& s = enipSockets[it->device];
            const int from = s.udp ? s.udp.get() : enipShared.get();
            if (!s.address.empty()) {
                ::sendto(from, it->bytes.data(), it->bytes.size(), 0,
                         reinterpret_cast<const sockaddr*>(&it->to), sizeof it->to);
            }
            it = delayed.erase(it);
        }
        // Datagrams: on the shared socket every device answers after its random delay; on a
        // device's own address the device answers at once.
        for (std::size_t k = 2; k < 3 + 2 * enipSockets.size(); ++k) {
            if (fds[k].revents == 0 || (k > 2 && (k - 3) % 2 == 1)) continue;
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fds[k].fd, buffer, sizeof buffer, 0,
                                         reinterpret_cast<sockaddr*>(&from), &length);
            if (n < 0) continue;
            const std::span<const std::uint8_t> message(buffer, static_cast<std::size_t>(n));
            const auto header = kvt::enip::parseHeader(message);
            if (!header || header->command != kvt::enip::kListIdentity) continue;
            if (k == 2) {
                const auto delay = kvt::enip::requesterDelayMs(*header);
                std::size_t queued = 0;
                for (std::size_t i = 0; i < enipSockets.size(); ++i) {
                    if (enipSockets[i].address.empty() || !enipSockets[i].tcp) continue;
                    const auto [view, label] = viewOf(i);
                    const auto share = std::chrono::milliseconds(random() % (delay + 1u));
                    delayed.push_back(
                        {after + share, i, from, answerEnip(message, nullptr, view).bytes});
                    ++queued;
                }
                log("EtherNet/IP ListIdentity by broadcast -> " + std::to_string(queued) +
                    " replies within " + std::to_string(delay) + " ms");
            } else {
                const std::size_t device = (k - 3) / 2;
                const auto [view, label] = viewOf(device);
                const auto answer = answerEnip(message, nullptr, view);
                ::sendto(fds[k].fd, answer.bytes.data(), answer.bytes.size(), 0,
                         reinterpret_cast<const sockaddr*>(&from), length);
                log(label + " EtherNet/IP over UDP: " + answer.summary);
            }
        }
        // New connections.
        for (std::size_t i = 0; i < enipSockets.size(); ++i) {
            if (fds[4 + 2 * i].revents == 0 || !enipSockets[i].tcp) continue;
            for (;;) {
                sockaddr_in peer{};
                socklen_t length = sizeof peer;
                Fd fd(::accept4(enipSockets[i].tcp.get(), reinterpret_cast<sockaddr*>(&peer),
                                &length, SOCK_CLOEXEC | SOCK_NONBLOCK));
                if (!fd) break;
                char text[INET_ADDRSTRLEN] = {};
                inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
                EnipConn c;
                c.fd = std::move(fd);
                c.device = i;
                c.peer = std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
                connections.push_back(std::move(c));
            }
        }
        // Requests on connections (those polled this round; new ones come next round).
        std::size_t index = 3 + 2 * enipSockets.size();
        for (auto it = connections.begin(); it != connections.end() && index < fds.size();
             ++index) {
            EnipConn& c = *it;
            bool keep = true;
            if (fds[index].revents != 0) {
                const ssize_t n = ::recv(c.fd.get(), buffer, sizeof buffer, 0);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) keep = false;
                if (n > 0) c.input.insert(c.input.end(), buffer, buffer + n);
            }
            while (keep) {
                const std::size_t whole = kvt::enip::messageSize(c.input);
                if (whole == 0 || c.input.size() < whole) break;
                const auto [view, label] = viewOf(c.device);
                const auto answer = answerEnip(std::span(c.input.data(), whole), &c.state, view);
                c.input.erase(c.input.begin(), c.input.begin() + static_cast<long>(whole));
                log(label + " EtherNet/IP from " + c.peer + ": " + answer.summary);
                if (!answer.bytes.empty() &&
                    ::send(c.fd.get(), answer.bytes.data(), answer.bytes.size(), MSG_NOSIGNAL) !=
                        static_cast<ssize_t>(answer.bytes.size()))
                    keep = false;
                if (answer.close) keep = false;
            }
            it = keep ? std::next(it) : connections.erase(it);
        }
    }
}

void Simulator::Impl::reportLoop() {
    struct Schedule {
        std::string key;  // source, target, port, period: a change restarts the schedule
        Clock::time_point next;
        Fd source;  // bound to the device's address: reports leave from where the device is
        bool sourceTried = false;
    };
    std::vector<Schedule> schedules(setups.size());
    std::unique_lock lock(mutex);
    while (!stopping) {
        const auto now = Clock::now();
        auto wakeAt = now + std::chrono::hours(1);
        for (std::size_t i = 0; i < devices.size(); ++i) {
            const SimDevice& d = devices[i];
            const kvt::IPReport& r = d.configuration().report;
            const bool on = r.enabled == 1 && r.period > 0 && kvt::kPortRange.contains(r.port);
            const std::string key = on ? d.address() + " > " + kvt::gbkToUtf8(r.targetIp) + ":" +
                                             std::to_string(r.port) + "/" + std::to_string(r.period)
                                       : std::string();
            Schedule& s = schedules[i];
            if (key != s.key) {
                s.key = key;
                s.next = now;
                s.source.reset();
                s.sourceTried = false;
                if (on && !isLoopbackTarget(r.targetIp)) {
                    log(d.label() + ": IP address report to " + kvt::gbkToUtf8(r.targetIp) +
                        " refused: the simulator sends reports to 127.0.0.0/8 only");
                }
            }
            if (!on || !isLoopbackTarget(r.targetIp)) continue;
            if (s.next <= now) {
                if (!s.sourceTried) {
                    s.sourceTried = true;
                    std::string why;
                    s.source = bindSocket(SOCK_DGRAM, d.address(), 0, &why);
                    if (!s.source) log(d.label() + ": no IP address reports: " + why);
                }
                sockaddr_in to{};
                makeAddress(r.targetIp, static_cast<std::uint16_t>(r.port), to);
                const auto datagram = d.reportDatagram();
                if (s.source && ::sendto(s.source.get(), datagram.data(), datagram.size(), 0,
                                         reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0) {
                    ++reports[i];
                }
                s.next = now + std::chrono::seconds(r.period);
            }
            wakeAt = std::min(wakeAt, s.next);
        }
        // Woken early by stop(), by writes that change a report setting and by moves.
        changed.wait_until(lock, wakeAt);
    }
}

Simulator::Simulator(Options options, std::vector<DeviceSetup> devices)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->options = std::move(options);
    m_impl->setups = std::move(devices);
}

Simulator::~Simulator() {
    stop();
}

bool Simulator::start(std::string* error) {
    Impl& d = *m_impl;
    if (d.running) return true;
    std::string why;
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        d.discovery.reset();
        d.ownDiscovery.clear();
        d.listeners.clear();
        d.stopEvent.reset();
        d.wakeEvent.reset();
        d.discoveryWake.reset();
        d.enipWake.reset();
        d.enipShared.reset();
        return false;
    };

    const std::size_t count = d.setups.size();
    std::vector<SimDevice> devices;
    devices.reserve(count);
    std::vector<bool> fromState(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        const DeviceSetup& setup = d.setups[i];
        SimDevice device(setup);
        if (!setup.stateFile.empty()) {
            if (auto saved = loadStateFile(setup.stateFile, device.configuration(), &why)) {
                saved->productCode = setup.productCode;
                device.setConfiguration(std::move(*saved));
                fromState[i] = true;
            } else if (!why.empty()) {
                return fail(why);
            }
        }
        devices.push_back(std::move(device));
    }

    d.stopEvent = Fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    d.wakeEvent = Fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    d.discoveryWake = Fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    d.enipWake = Fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!d.stopEvent || !d.wakeEvent || !d.discoveryWake || !d.enipWake)
        return fail(errnoText("eventfd"));
    d.discovery = bindSocket(SOCK_DGRAM, d.options.discoveryAddress, d.options.discoveryPort, &why);
    if (!d.discovery) return fail("discovery: " + why);
    const int one = 1;
    ::setsockopt(d.discovery.get(), SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    // The discovery socket sends bursts; blocking sends keep them in order.
    ::fcntl(d.discovery.get(), F_SETFL, ::fcntl(d.discovery.get(), F_GETFL) & ~O_NONBLOCK);

    // A device started from its state file comes up where that stores, as a gateway does
    // after a power cycle; where it cannot, it serves on ip= and says why.
    std::vector<std::string> serving;
    for (const DeviceSetup& setup : d.setups) serving.push_back(setup.address);
    std::vector<DeviceSockets> sockets(count);
    std::vector<bool> bound(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        if (!fromState[i]) continue;
        const std::string stored = kvt::gbkToUtf8(devices[i].configuration().ethernet.ipAddress);
        std::string target;
        std::string refusal = addressRefusal(i, stored, serving, target);
        if (refusal.empty() && target == serving[i]) continue;
        const bool refuse = d.setups[i].fault.kind == Fault::Kind::Refuse;
        if (refusal.empty()) refusal = d.bindDevice(target, refuse, sockets[i]);
        if (refusal.empty()) {
            serving[i] = target;
            bound[i] = true;
        } else {
            sockets[i] = {};
            d.log("device " + std::to_string(i + 1) + " starts at " + serving[i] +
                  ", not at the address its state file stores: " + refusal);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (bound[i]) continue;
        const bool refuse = d.setups[i].fault.kind == Fault::Kind::Refuse;
        why = d.bindDevice(serving[i], refuse, sockets[i]);
        if (!why.empty()) return fail("device " + serving[i] + ": " + why);
    }
    d.ownDiscovery.clear();
    d.listeners.clear();
    for (std::size_t i = 0; i < count; ++i) {
        d.ownDiscovery.push_back(std::move(sockets[i].discovery));
        d.listeners.push_back({std::move(sockets[i].listener), serving[i]});
        devices[i].setAddress(serving[i]);
    }

    {
        std::lock_guard lock(d.mutex);
        d.devices = std::move(devices);
        d.requests.assign(count, {});
        d.reports.assign(count, 0);
        d.handovers.clear();
        d.running = true;
    }
    // ListIdentity by broadcast reaches every device here; a device's own sockets follow it.
    d.enipShared = bindSocket(SOCK_DGRAM, d.options.discoveryAddress, d.options.enipPort, &why);
    if (!d.enipShared) d.log("no EtherNet/IP browse on the discovery address: " + why);
    d.enipSockets.clear();
    d.enipSockets.resize(count);
    {
        // Bound before start() returns, as the other ports are.
        std::list<EnipConn> none;
        d.syncEnipSockets(none);
    }
    d.stopping = false;
    d.enipThread = std::thread([&d] { d.enipLoop(); });
    d.tcpThread = std::thread([&d] { d.tcpLoop(); });
    d.discoveryThread = std::thread([&d] { d.discoveryLoop(); });
    d.reportThread = std::thread([&d] { d.reportLoop(); });
    d.log("serving " + std::to_string(count) + " device(s); discovery on " +
          d.options.discoveryAddress + ":" + std::to_string(d.options.discoveryPort) +
          ", configuration port " + std::to_string(d.options.devicePort));
    return true;
}

void Simulator::stop() {
    Impl& d = *m_impl;
    {
        std::lock_guard lock(d.mutex);
        if (!d.running) return;
        d.stopping = true;
        d.changed.notify_all();
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(d.stopEvent.get(), &one, sizeof one);
    for (std::thread* t : {&d.tcpThread, &d.discoveryThread, &d.reportThread, &d.enipThread}) {
        if (t->joinable()) t->join();
    }
    d.discovery.reset();
    d.ownDiscovery.clear();
    d.listeners.clear();
    d.stopEvent.reset();
    d.wakeEvent.reset();
    d.discoveryWake.reset();
    d.enipWake.reset();
    d.enipShared.reset();
    d.enipSockets.clear();
    std::lock_guard lock(d.mutex);
    d.handovers.clear();
    d.running = false;
    d.log("stopped");
}

std::size_t Simulator::deviceCount() const {
    return m_impl->setups.size();
}

std::string Simulator::address(std::size_t device) const {
    std::lock_guard lock(m_impl->mutex);
    if (device < m_impl->devices.size()) return m_impl->devices[device].address();
    return device < m_impl->setups.size() ? m_impl->setups[device].address : std::string();
}

void Simulator::setFault(std::size_t device, Fault fault) {
    Impl& d = *m_impl;
    std::unique_lock lock(d.mutex);
    if (device >= d.setups.size()) return;
    d.setups[device].fault = fault;
    if (!d.running) return;  // start() opens listeners from the setups
    d.devices[device].setFault(fault);
    const std::uint64_t enipGeneration = d.wakeEnip();
    const std::uint64_t generation = ++d.wantedListeners;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(d.wakeEvent.get(), &one, sizeof one);
    d.changed.wait_for(lock, std::chrono::seconds(5), [&] {
        return (d.appliedListeners >= generation && d.appliedEnip >= enipGeneration) || d.stopping;
    });
}

std::vector<kvt::Bytes> Simulator::requests(std::size_t device) const {
    std::lock_guard lock(m_impl->mutex);
    return device < m_impl->requests.size() ? m_impl->requests[device] : std::vector<kvt::Bytes>{};
}

kvt::CConfiguration Simulator::configuration(std::size_t device) const {
    std::lock_guard lock(m_impl->mutex);
    if (device < m_impl->devices.size()) return m_impl->devices[device].configuration();
    if (device < m_impl->setups.size()) return SimDevice(m_impl->setups[device]).configuration();
    return {};
}

std::size_t Simulator::resets(std::size_t device) const {
    std::lock_guard lock(m_impl->mutex);
    return device < m_impl->devices.size() ? m_impl->devices[device].resets() : 0;
}

std::size_t Simulator::reportsSent(std::size_t device) const {
    std::lock_guard lock(m_impl->mutex);
    return device < m_impl->reports.size() ? m_impl->reports[device] : 0;
}

std::size_t Simulator::discoveryQueries() const {
    return m_impl->queries;
}

}  // namespace kvt::sim
