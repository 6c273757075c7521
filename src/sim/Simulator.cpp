#include "sim/Simulator.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <utility>

#include "core/config/Rules.h"
#include "core/config/WireFormat.h"
#include "core/discovery/DiscoveryCodec.h"
#include "core/platform/Address.h"
#include "core/platform/Socket.h"
#include "core/platform/SystemError.h"
#include "core/platform/WakeEvent.h"
#include "sim/EnipDevice.h"
#include "sim/SimDevice.h"
#include "sim/StateFile.h"

namespace kvt::sim {
namespace {

using Clock = std::chrono::steady_clock;
using kvt::platform::Endpoint;
using kvt::platform::Socket;

std::optional<Endpoint> makeEndpoint(const std::string& address, std::uint16_t port) {
    const auto parsed = kvt::platform::parseDottedQuad(address);
    if (!parsed) return std::nullopt;
    return Endpoint{*parsed, port};
}

std::string errorText(const std::string& what) {
    return what + ": " + kvt::platform::SystemError::last().text();
}

Socket bindSocket(Socket::Kind kind, const std::string& address, std::uint16_t port,
                  std::string* error) {
    const auto local = makeEndpoint(address, port);
    if (!local) {
        if (error) *error = "not an IPv4 address: " + address;
        return {};
    }
    Socket socket(kind);
    if (!socket || !socket.setNonBlocking(true)) {
        if (error) *error = errorText("socket");
        return {};
    }
    socket.setReuseAddress();
    if (!socket.bind(*local)) {
        if (error) *error = errorText("bind " + address + ":" + std::to_string(port));
        return {};
    }
    if (kind == Socket::Kind::Tcp && !socket.listen(64)) {
        if (error) *error = errorText("listen " + address + ":" + std::to_string(port));
        return {};
    }
    return socket;
}

bool isLoopbackTarget(const std::string& dotted) {
    const auto address = kvt::platform::parseDottedQuad(dotted);
    return address && (kvt::platform::hostOrder(*address) >> 24) == 127;
}

// Why device `device` cannot serve on the stored address `stored` (empty when it can), given
// where every device serves now. `target` receives the address in its canonical form.
std::string addressRefusal(std::size_t device, const std::string& stored,
                           const std::vector<std::string>& serving, std::string& target) {
    const auto address = kvt::platform::parseDottedQuad(stored);
    if (!address) return "\"" + stored + "\" is not an IPv4 address";
    target = kvt::platform::dottedText(*address);
    if ((kvt::platform::hostOrder(*address) >> 24) != 127)
        return target + " is outside 127.0.0.0/8";
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
    Socket listener;
    Socket discovery;
};

struct Segment {
    Clock::time_point due;
    kvt::Bytes bytes;
};

struct Listener {
    Socket socket;
    std::string address;
};

struct Connection {
    Socket socket;
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
    Socket udp;           // none on the shared discovery address, whose socket answers for it
    Socket tcp;
};

struct EnipConn {
    Socket socket;
    std::size_t device = 0;
    std::string peer;
    kvt::Bytes input;
    EnipConnection state;
};

// A ListIdentity reply that waits out its random share of the requester's delay.
struct DelayedReply {
    Clock::time_point due;
    std::size_t device = 0;
    Endpoint to;
    kvt::Bytes bytes;
};

// Sends from `source` (0: the system's choice) on a socket that serves every address; where the
// system will not take that source, from its choice.
long replyFrom(Socket& socket, std::span<const std::uint8_t> bytes, const Endpoint& to,
               std::uint32_t source) {
    if (source != 0) {
        const long n = socket.sendFrom(bytes, to, source);
        if (n >= 0) return n;
    }
    return socket.sendTo(bytes, to);
}

// Which devices a datagram is for: all of them, one, or none.
constexpr std::size_t kAllDevices = static_cast<std::size_t>(-1);
constexpr std::size_t kNoDevice = static_cast<std::size_t>(-2);

}  // namespace

struct Simulator::Impl {
    Options options;
    std::vector<DeviceSetup> setups;
    // Set by start(): one UDP socket per port on all addresses (see Options::UdpPorts).
    bool sharedUdp = false;
    std::uint32_t discoveryIp = 0;

    mutable std::mutex mutex;  // guards everything below up to the threads
    std::vector<SimDevice> devices;
    std::vector<std::vector<kvt::Bytes>> requests;
    std::vector<std::size_t> reports;
    std::uint64_t wantedListeners = 0;  // generation of fault changes asked for
    std::uint64_t appliedListeners = 0;
    // Own discovery sockets of moved devices, on their way to the discovery thread.
    std::vector<std::pair<std::size_t, Socket>> handovers;
    std::uint64_t wantedHandovers = 0;
    std::uint64_t appliedHandovers = 0;
    // Generations of moves and faults asked of the EtherNet/IP thread and applied by it.
    std::uint64_t wantedEnip = 0;
    std::uint64_t appliedEnip = 0;
    std::condition_variable changed;
    bool running = false;

    std::atomic<std::size_t> queries{0};
    std::atomic<bool> stopping{false};
    // Made anew by each start().
    std::optional<kvt::platform::WakeEvent> stopEvent;      // signalled by stop(); never drained
    std::optional<kvt::platform::WakeEvent> wakeEvent;      // the TCP loop: apply fault changes
    std::optional<kvt::platform::WakeEvent> discoveryWake;  // the discovery thread: handovers
    std::optional<kvt::platform::WakeEvent> enipWake;       // the EtherNet/IP thread: moves, faults
    Socket discovery;
    // Each device also answers a query sent to its own address (search by IP), with its reply
    // alone; empty where the shared discovery socket already has that address. Owned by the
    // discovery thread while it runs.
    std::vector<Socket> ownDiscovery;
    std::vector<Listener> listeners;  // owned by the TCP loop while it runs
    std::thread tcpThread;
    std::thread discoveryThread;
    std::thread reportThread;
    std::thread enipThread;
    // Owned by the EtherNet/IP thread while it runs.
    Socket enipShared;  // UDP on the discovery address: ListIdentity by broadcast, for every device
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
            out.listener = bindSocket(Socket::Kind::Tcp, address, options.devicePort, &why);
            if (!out.listener) return why;
        }
        if (!sharedUdp && address != options.discoveryAddress) {
            out.discovery = bindSocket(Socket::Kind::Udp, address, options.discoveryPort, &why);
            if (!out.discovery) return why;
        }
        return {};
    }

    // On a shared socket: which devices a datagram sent to `destination` is for, and the
    // address to answer from (`source`, 0 for the system's choice). The discovery address
    // speaks for every device, a device's address for that device; when the discovery address
    // is 0.0.0.0, any other address (a broadcast) is for every device too.
    std::size_t addressedDevices(std::uint32_t destination, std::uint32_t& source) const {
        source = destination;
        if (destination == discoveryIp && destination != 0) return kAllDevices;
        const std::string to = kvt::platform::dottedText(destination);
        {
            std::lock_guard lock(mutex);
            for (std::size_t i = 0; i < devices.size(); ++i) {
                if (devices[i].address() == to) return i;
            }
        }
        source = 0;
        return discoveryIp == 0 ? kAllDevices : kNoDevice;
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
            if (wanted[i] && !listeners[i].socket) {
                std::string error;
                listeners[i].socket =
                    bindSocket(Socket::Kind::Tcp, addresses[i], options.devicePort, &error);
                listeners[i].address = addresses[i];
                if (!listeners[i].socket) log(addresses[i] + ": " + error);
            } else if (!wanted[i] && listeners[i].socket) {
                listeners[i].socket.close();
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
        enipWake->signal();
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
        discoveryWake->signal();
        changed.notify_all();  // the report source moves too
        // The old address is silent once this returns.
        changed.wait_for(lock, std::chrono::seconds(5), [&] {
            return (appliedHandovers >= generation && appliedEnip >= enipGeneration) || stopping;
        });
    }
    log(label + ": restarted; moved to " + target);
}

void Simulator::Impl::takeHandovers() {
    std::vector<std::pair<std::size_t, Socket>> taken;
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
        Endpoint peer;
        Socket socket = listeners[device].socket.accept(&peer);
        if (!socket) return;
        // Split replies must leave as separate segments.
        socket.setNoDelay();
        Connection c;
        c.socket = std::move(socket);
        c.device = device;
        c.local = listeners[device].address;
        c.peer = peer.text();
        connections.push_back(std::move(c));
    }
}

bool Simulator::Impl::receive(Connection& c) {
    std::uint8_t buffer[2048];
    for (;;) {
        const long n = c.socket.receive(buffer);
        if (n == 0) {
            c.peerClosed = true;
            break;
        }
        if (n < 0) {
            if (kvt::platform::SystemError::last().wouldBlock()) break;
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
            const long n = c.socket.send(s.bytes);
            if (n < 0) {
                // Full: wait until the socket can take more.
                return kvt::platform::SystemError::last().wouldBlock();
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
    kvt::platform::Poller poller;
    std::vector<std::size_t> listenerOf;
    std::vector<Connection*> connectionOf;
    while (!stopping) {
        poller.clear();
        listenerOf.clear();
        connectionOf.clear();
        const std::size_t stopEntry = poller.add(*stopEvent);
        const std::size_t wakeEntry = poller.add(*wakeEvent);
        for (std::size_t i = 0; i < listeners.size(); ++i) {
            if (!listeners[i].socket) continue;
            poller.add(listeners[i].socket, true);
            listenerOf.push_back(i);
        }
        const auto now = Clock::now();
        std::optional<std::chrono::milliseconds> timeout;
        for (Connection& c : connections) {
            bool write = false;
            if (!c.output.empty()) {
                const auto due = c.output.front().due;
                if (due <= now) {
                    write = true;
                } else {
                    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now);
                    if (!timeout || wait < *timeout) timeout = wait;
                }
            }
            poller.add(c.socket, !c.peerClosed, write);
            connectionOf.push_back(&c);
        }
        if (!poller.wait(timeout)) break;
        if (poller.ready(stopEntry).any()) break;
        if (poller.ready(wakeEntry).any()) {
            wakeEvent->drain();
            applyListenerFaults();
        }
        std::size_t index = wakeEntry + 1;
        for (const std::size_t device : listenerOf) {
            if (poller.ready(index++).any() && listeners[device].socket) {
                acceptAll(device, connections);
            }
        }
        const auto after = Clock::now();
        for (Connection* c : connectionOf) {
            const auto ready = poller.ready(index++);
            bool keep = !(c->peerClosed && ready.closed);
            if (keep && (ready.readable || ready.closed)) keep = receive(*c);
            if (keep) keep = flush(*c, after);
            // A request that arrived while the previous reply was still going out.
            if (keep && c->output.empty() && !c->input.empty()) keep = process(*c);
            if (!keep) {
                connections.remove_if([c](const Connection& x) { return &x == c; });
            }
        }
    }
    connections.clear();
    for (Listener& l : listeners) l.socket.close();
}

void Simulator::Impl::discoveryLoop() {
    std::uint8_t buffer[1500];
    const auto query = kvt::discoveryQuery();
    // Entry 0 stop, 1 handovers, 2 the shared socket, 3 + i device i's own address.
    constexpr std::size_t kShared = 2;
    kvt::platform::Poller poller;
    std::vector<Socket*> sockets;  // of the entries from kShared on
    const auto watch = [&] {
        poller.clear();
        sockets.clear();
        poller.add(*stopEvent);
        poller.add(*discoveryWake);
        poller.add(discovery, true);
        sockets.push_back(&discovery);
        for (Socket& own : ownDiscovery) {
            poller.add(own, true);
            sockets.push_back(&own);
        }
    };
    watch();
    while (!stopping) {
        if (!poller.wait(std::nullopt)) return;
        if (poller.ready(0).any()) return;
        if (poller.ready(1).any()) {
            discoveryWake->drain();
            takeHandovers();
            watch();
            continue;  // what the other sockets hold is still there at the next poll
        }
        for (std::size_t k = kShared; k < kShared + sockets.size(); ++k) {
            if (!poller.ready(k).any()) continue;
            Socket& socket = *sockets[k - kShared];
            // Which devices answer: all of them on the shared socket, one on its own address;
            // on a socket of all addresses, those the datagram was sent to.
            std::size_t only = k == kShared ? kAllDevices : k - kShared - 1;
            Endpoint from;
            std::uint32_t destination = 0;
            std::uint32_t source = 0;
            const long n = socket.receiveFrom(buffer, &from, &destination);
            if (n < 0) continue;
            if (sharedUdp && (only = addressedDevices(destination, source)) == kNoDevice) continue;
            const std::string sender = from.text();
            if (n != 8 || !std::equal(query.begin(), query.end(), buffer)) {
                log("discovery: ignored " + std::to_string(n) + "-byte datagram from " + sender);
                continue;
            }
            ++queries;
            std::vector<std::array<std::uint8_t, 68>> replies;
            std::string to;
            {
                std::lock_guard lock(mutex);
                if (only != kAllDevices) to = " to " + devices[only].address();
                for (std::size_t i = 0; i < devices.size(); ++i) {
                    if (only != kAllDevices && only != i) continue;
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
                    if (replyFrom(socket, reply, from, source) >= 0) {
                        ++sent;
                        break;
                    }
                    const auto error = kvt::platform::SystemError::last();
                    if (!error.wouldBlock() && !error.noBuffers()) break;
                    kvt::platform::waitWritable(socket,
                                                Clock::now() + std::chrono::milliseconds(10));
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
        s.tcp = bindSocket(Socket::Kind::Tcp, wanted[i], options.enipPort, &why);
        // Without a socket of its own the device is answered for by the shared one.
        const bool ownUdp = !sharedUdp && wanted[i] != options.discoveryAddress;
        if (s.tcp && ownUdp) {
            s.udp = bindSocket(Socket::Kind::Udp, wanted[i], options.enipPort, &why);
        }
        if (!s.tcp || (!s.udp && ownUdp)) {
            log(wanted[i] + ": no EtherNet/IP: " + why);
            s = {};
        }
        s.address = wanted[i];
    }
}

void Simulator::Impl::enipLoop() {
    std::list<EnipConn> connections;
    std::vector<DelayedReply> delayed;
    std::minstd_rand random(std::random_device{}());
    kvt::platform::Poller poller;
    const auto viewOf = [this](std::size_t device) {
        std::lock_guard lock(mutex);
        return std::make_pair(enipView(devices[device], options.enipPort), devices[device].label());
    };
    syncEnipSockets(connections);
    std::uint8_t buffer[1500];
    // Entries: 0 stop, 1 wake, 2 the shared socket, then per device udp and tcp, then
    // connections.
    constexpr std::size_t kShared = 2;
    const auto udpEntry = [](std::size_t device) { return kShared + 1 + 2 * device; };
    while (!stopping) {
        poller.clear();
        poller.add(*stopEvent);
        poller.add(*enipWake);
        poller.add(enipShared, true);
        for (const EnipSockets& s : enipSockets) {
            poller.add(s.udp, true);
            poller.add(s.tcp, true);
        }
        for (const EnipConn& c : connections) poller.add(c.socket, true);
        const std::size_t polled = connections.size();
        std::optional<std::chrono::milliseconds> timeout;
        const auto now = Clock::now();
        for (const DelayedReply& d : delayed) {
            const auto wait = std::max(std::chrono::ceil<std::chrono::milliseconds>(d.due - now),
                                       std::chrono::milliseconds(0));
            if (!timeout || wait < *timeout) timeout = wait;
        }
        if (!poller.wait(timeout)) return;
        if (poller.ready(0).any()) return;
        if (poller.ready(1).any()) {
            enipWake->drain();
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
            EnipSockets& s = enipSockets[it->device];
            if (s.udp) {
                s.udp.sendTo(it->bytes, it->to);
            } else if (!s.address.empty()) {
                const auto source =
                    sharedUdp ? kvt::platform::parseDottedQuad(s.address) : std::nullopt;
                replyFrom(enipShared, it->bytes, it->to, source.value_or(0));
            }
            it = delayed.erase(it);
        }
        // Datagrams: on the shared socket every device answers after its random delay; on a
        // device's own address the device answers at once.
        for (std::size_t j = 0; j <= enipSockets.size(); ++j) {
            const bool shared = j == 0;
            if (!poller.ready(shared ? kShared : udpEntry(j - 1)).any()) continue;
            Socket& socket = shared ? enipShared : enipSockets[j - 1].udp;
            Endpoint from;
            std::uint32_t destination = 0;
            std::uint32_t source = 0;
            const long n = socket.receiveFrom(buffer, &from, &destination);
            if (n < 0) continue;
            const std::span<const std::uint8_t> message(buffer, static_cast<std::size_t>(n));
            const auto header = kvt::enip::parseHeader(message);
            if (!header || header->command != kvt::enip::kListIdentity) continue;
            std::size_t device = shared ? kAllDevices : j - 1;
            if (sharedUdp) {
                device = addressedDevices(destination, source);
                // A device without EtherNet/IP (fault no-enip) is silent at its address.
                if (device != kAllDevices && (device == kNoDevice || !enipSockets[device].tcp))
                    continue;
            }
            if (device == kAllDevices) {
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
                const auto [view, label] = viewOf(device);
                const auto answer = answerEnip(message, nullptr, view);
                replyFrom(socket, answer.bytes, from, source);
                log(label + " EtherNet/IP over UDP: " + answer.summary);
            }
        }
        // New connections.
        for (std::size_t i = 0; i < enipSockets.size(); ++i) {
            if (!poller.ready(udpEntry(i) + 1).any() || !enipSockets[i].tcp) continue;
            for (;;) {
                Endpoint peer;
                Socket socket = enipSockets[i].tcp.accept(&peer);
                if (!socket) break;
                EnipConn c;
                c.socket = std::move(socket);
                c.device = i;
                c.peer = peer.text();
                connections.push_back(std::move(c));
            }
        }
        // Requests on connections (those polled this round; new ones come next round).
        std::size_t index = udpEntry(enipSockets.size());
        const std::size_t end = index + polled;
        for (auto it = connections.begin(); it != connections.end() && index < end; ++index) {
            EnipConn& c = *it;
            bool keep = true;
            if (poller.ready(index).any()) {
                const long n = c.socket.receive(buffer);
                if (n == 0 || (n < 0 && !kvt::platform::SystemError::last().wouldBlock()))
                    keep = false;
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
                    c.socket.send(answer.bytes) != static_cast<long>(answer.bytes.size()))
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
        Socket source;  // bound to the device's address: reports leave from where the device is
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
                s.source.close();
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
                    s.source = bindSocket(Socket::Kind::Udp, d.address(), 0, &why);
                    if (!s.source) log(d.label() + ": no IP address reports: " + why);
                }
                const auto to = makeEndpoint(r.targetIp, static_cast<std::uint16_t>(r.port));
                const auto datagram = d.reportDatagram();
                if (s.source && to && s.source.sendTo(datagram, *to) >= 0) {
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
        d.discovery.close();
        d.ownDiscovery.clear();
        d.listeners.clear();
        d.stopEvent.reset();
        d.wakeEvent.reset();
        d.discoveryWake.reset();
        d.enipWake.reset();
        d.enipShared.close();
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

    for (auto* event : {&d.stopEvent, &d.wakeEvent, &d.discoveryWake, &d.enipWake}) {
        if (!event->emplace().valid()) return fail(errorText("wake event"));
    }
    using UdpPorts = Options::UdpPorts;
    d.sharedUdp =
        d.options.udpPorts == UdpPorts::Shared ||
        (d.options.udpPorts == UdpPorts::Auto && kvt::platform::udpLoopbackBindsAllAddresses());
    const auto discoveryIp = kvt::platform::parseDottedQuad(d.options.discoveryAddress);
    if (!discoveryIp) return fail("discovery: not an IPv4 address: " + d.options.discoveryAddress);
    d.discoveryIp = *discoveryIp;
    // The shared sockets take their ports on all addresses and answer only ours.
    const std::string udpAddress = d.sharedUdp ? "0.0.0.0" : d.options.discoveryAddress;
    d.discovery = bindSocket(Socket::Kind::Udp, udpAddress, d.options.discoveryPort, &why);
    if (!d.discovery || (d.sharedUdp && !d.discovery.setReceiveInterface())) {
        return fail("discovery: " + (why.empty() ? errorText("destination addresses") : why));
    }
    d.discovery.setBroadcast();
    // The discovery socket sends bursts; blocking sends keep them in order.
    d.discovery.setNonBlocking(false);

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
    d.enipShared = bindSocket(Socket::Kind::Udp, udpAddress, d.options.enipPort, &why);
    if (d.enipShared && d.sharedUdp && !d.enipShared.setReceiveInterface()) d.enipShared.close();
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
          ", configuration port " + std::to_string(d.options.devicePort) +
          (d.sharedUdp ? "; one UDP socket per port for all addresses" : ""));
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
    d.stopEvent->signal();
    for (std::thread* t : {&d.tcpThread, &d.discoveryThread, &d.reportThread, &d.enipThread}) {
        if (t->joinable()) t->join();
    }
    d.discovery.close();
    d.ownDiscovery.clear();
    d.listeners.clear();
    d.stopEvent.reset();
    d.wakeEvent.reset();
    d.discoveryWake.reset();
    d.enipWake.reset();
    d.enipShared.close();
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
    d.wakeEvent->signal();
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
