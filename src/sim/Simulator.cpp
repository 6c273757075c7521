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
#include <thread>
#include <utility>

#include "sim/SimDevice.h"
#include "sim/StateFile.h"

namespace kvt::sim {
namespace {

using Clock = std::chrono::steady_clock;

// Owns one descriptor; the simulator's sockets are plain POSIX so that the poll loop can
// drive them non-blocking.
class Handle {
public:
    Handle() = default;
    explicit Handle(int fd) : m_fd(fd) {}
    ~Handle() { reset(); }
    Handle(Handle&& o) noexcept : m_fd(std::exchange(o.m_fd, -1)) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) {
            reset();
            m_fd = std::exchange(o.m_fd, -1);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    void reset() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

bool makeAddress(const std::string& address, std::uint16_t port, sockaddr_in& out) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    return inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1;
}

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

Handle bindSocket(int type, const std::string& address, std::uint16_t port, std::string* error) {
    sockaddr_in addr{};
    if (!makeAddress(address, port, addr)) {
        if (error) *error = "not an IPv4 address: " + address;
        return {};
    }
    Handle fd(::socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
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

struct Segment {
    Clock::time_point due;
    kvt::Bytes bytes;
};

struct Connection {
    Handle fd;
    std::size_t device = 0;
    std::string peer;
    kvt::Bytes input;
    ConnectionAuth auth;
    std::deque<Segment> output;
    bool closeWhenSent = false;
    bool mute = false;        // NoAnswer / Short: further requests are read but never answered
    bool peerClosed = false;  // the client shut down its side; answer what is left, then close
};

std::uint32_t be32(const kvt::Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) << 24 |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 8 | bytes[offset + 3];
}

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
    std::condition_variable changed;
    bool running = false;

    std::atomic<std::size_t> queries{0};
    std::atomic<bool> stopping{false};
    Handle stopEvent;  // readable once stop() has been called; never drained
    Handle wakeEvent;  // wakes the TCP loop to apply fault changes
    Handle discovery;
    // Each device also answers a query sent to its own address (search by IP), with its reply
    // alone; empty where the shared discovery socket already has that address.
    std::vector<Handle> ownDiscovery;
    std::vector<Handle> listeners;  // owned by the TCP loop while it runs
    std::thread tcpThread;
    std::thread discoveryThread;
    std::thread reportThread;
    std::mutex logMutex;

    void log(const std::string& line) {
        if (!options.log) return;
        std::lock_guard lock(logMutex);
        std::fprintf(stderr, "kvt275r-sim: %s\n", line.c_str());
    }

    bool openListener(std::size_t i, std::string* error) {
        listeners[i] = bindSocket(SOCK_STREAM, setups[i].address, options.devicePort, error);
        return static_cast<bool>(listeners[i]);
    }

    // Opens or closes listeners to match the faults (loop thread, or start before it runs).
    void applyListenerFaults() {
        std::unique_lock lock(mutex);
        const std::uint64_t generation = wantedListeners;
        std::vector<bool> wanted(devices.size());
        for (std::size_t i = 0; i < devices.size(); ++i) {
            wanted[i] = devices[i].fault().kind != Fault::Kind::Refuse;
        }
        lock.unlock();
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (wanted[i] && !listeners[i]) {
                std::string error;
                if (!openListener(i, &error)) log(setups[i].address + ": " + error);
            } else if (!wanted[i] && listeners[i]) {
                listeners[i].reset();
            }
        }
        lock.lock();
        appliedListeners = std::max(appliedListeners, generation);
        changed.notify_all();
    }

    void tcpLoop();
    void acceptAll(std::size_t device, std::list<Connection>& connections);
    // Each returns false when the connection is to be closed.
    bool receive(Connection& c);
    bool process(Connection& c);
    void answer(Connection& c, std::span<const std::uint8_t> request);
    bool flush(Connection& c, Clock::time_point now);
    void discoveryLoop();
    void reportLoop();
};

void Simulator::Impl::acceptAll(std::size_t device, std::list<Connection>& connections) {
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        Handle fd(::accept4(listeners[device].get(), reinterpret_cast<sockaddr*>(&peer), &length,
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
        const std::uint32_t length = be32(c.input, 4);
        if (length > kMaxPayload) {
            log(setups[c.device].address + " from " + c.peer + ": request announces " +
                std::to_string(length) + " bytes -> connection closed");
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
    {
        std::lock_guard lock(mutex);
        requests[c.device].emplace_back(request.begin(), request.end());
        SimDevice& device = devices[c.device];
        // The device acts on every request; a fault changes only what goes back on the wire.
        reply = device.handle(request, c.auth);
        fault = device.fault();
        label = device.label();
        if (reply.stored && !device.setup().stateFile.empty()) {
            std::string error;
            if (!saveStateFile(device.setup().stateFile, device.configuration(), &error)) {
                reply.summary += " (state file not saved: " + error + ")";
            }
        }
        if (reply.stored) changed.notify_all();  // the report schedule may have changed
    }
    std::string line = label + " from " + c.peer + ": " + reply.summary;
    if (c.mute) {
        log(line + " [unanswered]");
        return;
    }
    const auto now = Clock::now();
    const auto pause = std::chrono::milliseconds(std::max(0, fault.pauseMs));
    c.closeWhenSent = reply.closeAfter;
    switch (fault.kind) {
        case Fault::Kind::None:
        case Fault::Kind::Refuse:
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
            if (!listeners[i]) continue;
            fds.push_back({listeners[i].get(), POLLIN, 0});
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
            if (fds[index++].revents != 0 && listeners[device]) acceptAll(device, connections);
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
    for (Handle& l : listeners) l.reset();
}

void Simulator::Impl::discoveryLoop() {
    std::uint8_t buffer[1500];
    const auto query = std::array<std::uint8_t, 8>{0, 0, 0, 3, 0, 0, 0, 0};
    // fds[0] stop, fds[1] the shared socket, fds[2 + i] device i's own address.
    std::vector<pollfd> fds;
    fds.push_back({stopEvent.get(), POLLIN, 0});
    fds.push_back({discovery.get(), POLLIN, 0});
    for (const Handle& own : ownDiscovery) fds.push_back({own ? own.get() : -1, POLLIN, 0});
    while (!stopping) {
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
        if (fds[0].revents != 0) return;
        for (std::size_t k = 1; k < fds.size(); ++k) {
            if (fds[k].revents == 0) continue;
            const int socketFd = fds[k].fd;
            // Which devices answer: all of them on the shared socket, one on its own address.
            constexpr std::size_t kAll = static_cast<std::size_t>(-1);
            const std::size_t only = k == 1 ? kAll : k - 2;
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
            {
                std::lock_guard lock(mutex);
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
            log("discovery query from " + sender +
                (only != kAll ? " to " + setups[only].address : std::string()) + " -> " +
                std::to_string(sent) + " of " + std::to_string(replies.size()) + " replies sent");
        }
    }
}

void Simulator::Impl::reportLoop() {
    Handle socketFd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    struct Schedule {
        std::string key;  // target, port, period: a change restarts the schedule
        Clock::time_point next;
    };
    std::vector<Schedule> schedules(setups.size());
    std::unique_lock lock(mutex);
    while (!stopping) {
        const auto now = Clock::now();
        auto wakeAt = now + std::chrono::hours(1);
        for (std::size_t i = 0; i < devices.size(); ++i) {
            const SimDevice& d = devices[i];
            const kvt::IPReport& r = d.configuration().report;
            const bool on = r.enabled == 1 && r.period > 0 && r.port > 0 && r.port <= 65535;
            const std::string key = on ? kvt::gbkToUtf8(r.targetIp) + ":" + std::to_string(r.port) +
                                             "/" + std::to_string(r.period)
                                       : std::string();
            Schedule& s = schedules[i];
            if (key != s.key) {
                s.key = key;
                s.next = now;
                if (on && !isLoopbackTarget(r.targetIp)) {
                    log(d.label() + ": IP address report to " + kvt::gbkToUtf8(r.targetIp) +
                        " refused: the simulator sends reports to 127.0.0.0/8 only");
                }
            }
            if (!on || !isLoopbackTarget(r.targetIp)) continue;
            if (s.next <= now) {
                sockaddr_in to{};
                makeAddress(r.targetIp, static_cast<std::uint16_t>(r.port), to);
                const auto datagram = d.reportDatagram();
                if (socketFd && ::sendto(socketFd.get(), datagram.data(), datagram.size(), 0,
                                         reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0) {
                    ++reports[i];
                }
                s.next = now + std::chrono::seconds(r.period);
            }
            wakeAt = std::min(wakeAt, s.next);
        }
        // Woken early by stop() and by writes that change a report setting.
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
        return false;
    };

    std::vector<SimDevice> devices;
    devices.reserve(d.setups.size());
    for (const DeviceSetup& setup : d.setups) {
        SimDevice device(setup);
        if (!setup.stateFile.empty()) {
            if (auto saved = loadStateFile(setup.stateFile, device.configuration(), &why)) {
                saved->productCode = setup.productCode;
                device.setConfiguration(std::move(*saved));
            } else if (!why.empty()) {
                return fail(why);
            }
        }
        devices.push_back(std::move(device));
    }

    d.stopEvent = Handle(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    d.wakeEvent = Handle(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!d.stopEvent || !d.wakeEvent) return fail(errnoText("eventfd"));
    d.discovery = bindSocket(SOCK_DGRAM, d.options.discoveryAddress, d.options.discoveryPort, &why);
    if (!d.discovery) return fail("discovery: " + why);
    const int one = 1;
    ::setsockopt(d.discovery.get(), SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    // The discovery socket sends bursts; blocking sends keep them in order.
    ::fcntl(d.discovery.get(), F_SETFL, ::fcntl(d.discovery.get(), F_GETFL) & ~O_NONBLOCK);
    d.ownDiscovery.clear();
    d.ownDiscovery.resize(d.setups.size());
    for (std::size_t i = 0; i < d.setups.size(); ++i) {
        if (d.setups[i].address == d.options.discoveryAddress) continue;
        d.ownDiscovery[i] =
            bindSocket(SOCK_DGRAM, d.setups[i].address, d.options.discoveryPort, &why);
        if (!d.ownDiscovery[i]) return fail("device " + d.setups[i].address + ": " + why);
    }

    d.listeners.clear();
    d.listeners.resize(d.setups.size());
    for (std::size_t i = 0; i < d.setups.size(); ++i) {
        if (d.setups[i].fault.kind == Fault::Kind::Refuse) continue;
        if (!d.openListener(i, &why)) return fail("device " + d.setups[i].address + ": " + why);
    }

    {
        std::lock_guard lock(d.mutex);
        d.devices = std::move(devices);
        d.requests.assign(d.setups.size(), {});
        d.reports.assign(d.setups.size(), 0);
        d.running = true;
    }
    d.stopping = false;
    d.tcpThread = std::thread([&d] { d.tcpLoop(); });
    d.discoveryThread = std::thread([&d] { d.discoveryLoop(); });
    d.reportThread = std::thread([&d] { d.reportLoop(); });
    d.log("serving " + std::to_string(d.setups.size()) + " device(s); discovery on " +
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
    for (std::thread* t : {&d.tcpThread, &d.discoveryThread, &d.reportThread}) {
        if (t->joinable()) t->join();
    }
    d.discovery.reset();
    d.ownDiscovery.clear();
    d.listeners.clear();
    d.stopEvent.reset();
    d.wakeEvent.reset();
    std::lock_guard lock(d.mutex);
    d.running = false;
    d.log("stopped");
}

std::size_t Simulator::deviceCount() const {
    return m_impl->setups.size();
}

void Simulator::setFault(std::size_t device, Fault fault) {
    Impl& d = *m_impl;
    std::unique_lock lock(d.mutex);
    if (device >= d.setups.size()) return;
    d.setups[device].fault = fault;
    if (!d.running) return;  // start() opens listeners from the setups
    d.devices[device].setFault(fault);
    const std::uint64_t generation = ++d.wantedListeners;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(d.wakeEvent.get(), &one, sizeof one);
    d.changed.wait_for(lock, std::chrono::seconds(5),
                       [&] { return d.appliedListeners >= generation || d.stopping; });
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
