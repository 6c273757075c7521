#pragma once
// Misbehaving gateways for the network tests: raw TCP and UDP servers on this process's
// loopback block that answer the tool the way a broken or hostile device would. Every server
// runs on its own thread, is bounded in every wait, and is joined when the object goes away.
#include <arpa/inet.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "NetFixture.h"
#include "core/net/Socket.h"
#include "core/text/UiText.h"

namespace kvt::test {

// Owns one raw descriptor: the hostile peers work beneath the platform layer on purpose.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    int get() const { return m_fd; }
    void reset() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

inline sockaddr_in loopbackAddress(const std::string& host, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_aton(host.c_str(), &address.sin_addr);
    return address;
}

// What a peer does with one accepted connection. Helpers below keep every wait bounded; a
// script returns when it is done or the tool has gone, and the connection is closed then.
class PeerConnection {
public:
    explicit PeerConnection(int fd, const std::atomic<bool>& stopping)
        : m_fd(fd), m_stopping(stopping) {}
    int fd() const { return m_fd; }

    // Reads exactly `n` bytes of the request; false when the tool closed or `limit` passed.
    bool read(std::size_t n, std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
        std::vector<std::uint8_t> buffer(n);
        std::size_t got = 0;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (got < n) {
            if (!waitReadable(end)) return false;
            const ssize_t r = ::recv(m_fd, buffer.data() + got, n - got, 0);
            if (r <= 0) return false;
            got += static_cast<std::size_t>(r);
        }
        received.insert(received.end(), buffer.begin(), buffer.end());
        return true;
    }

    bool send(const std::vector<std::uint8_t>& bytes) {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

    // Waits up to `limit` for the tool to close its end; true when it did. Stands in for a
    // pause between two replies, so that a peer never outlives the exchange it serves.
    bool toolClosedWithin(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (!waitReadable(end)) return false;
            char sink[512];
            const ssize_t r = ::recv(m_fd, sink, sizeof sink, MSG_DONTWAIT);
            if (r == 0 || (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) return true;
        }
    }

    // Waits until the tool's kernel has acknowledged everything sent, so that a reset that
    // follows cannot overtake the data.
    bool sentBytesAcknowledged(std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            int queued = 0;
            if (::ioctl(m_fd, SIOCOUTQ, &queued) != 0) return false;
            if (queued == 0) return true;
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Closing after this sends RST instead of FIN.
    void abortOnClose() {
        const linger hard{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }

    std::vector<std::uint8_t> received;

private:
    // Polls in short slices so that the owner's stop request ends any wait.
    bool waitReadable(std::chrono::steady_clock::time_point end) {
        for (;;) {
            if (m_stopping) return false;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{m_fd, POLLIN | POLLRDHUP, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 50)));
            if (ready > 0) return true;
        }
    }

    int m_fd;
    const std::atomic<bool>& m_stopping;
};

// A TCP server on host:port that runs `script` for each of the first `connections` accepted
// connections, one after the other, and then stops accepting.
class HostileTcpPeer {
public:
    using Script = std::function<void(PeerConnection&, int index)>;

    HostileTcpPeer(const std::string& host, std::uint16_t port, Script script, int connections = 1)
        : m_script(std::move(script)), m_connections(connections) {
        m_listener = Fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const int on = 1;
        ::setsockopt(m_listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const sockaddr_in address = loopbackAddress(host, port);
        m_ready = ::bind(m_listener.get(), reinterpret_cast<const sockaddr*>(&address),
                         sizeof address) == 0 &&
                  ::listen(m_listener.get(), 16) == 0;
        if (m_ready) m_thread = std::thread([this] { serve(); });
    }
    ~HostileTcpPeer() {
        m_stopping = true;
        if (m_thread.joinable()) m_thread.join();
    }
    HostileTcpPeer(const HostileTcpPeer&) = delete;
    HostileTcpPeer& operator=(const HostileTcpPeer&) = delete;

    bool ready() const { return m_ready; }
    int served() const { return m_served; }

private:
    void serve() {
        for (int index = 0; index < m_connections && !m_stopping;) {
            pollfd p{m_listener.get(), POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            Fd connection(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!connection) continue;
            PeerConnection peer(connection.get(), m_stopping);
            m_script(peer, index);
            ++index;
            ++m_served;
        }
        m_listener.reset();
    }

    Script m_script;
    int m_connections;
    Fd m_listener;
    bool m_ready = false;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_served{0};
    std::thread m_thread;
};

// A device that accepts every connection and reads every request but never answers; it
// closes its end once the tool has closed its own, so it holds no descriptor for long.
class SilentTcpPeer {
public:
    SilentTcpPeer(const std::string& host, std::uint16_t port) {
        // Non-blocking, so that the accept loop ends when the queue is empty.
        m_listener = Fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        const int on = 1;
        ::setsockopt(m_listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const sockaddr_in address = loopbackAddress(host, port);
        // The longest queue the system allows: a thousand exchanges connect at once, and a
        // full queue drops handshakes, which the tool would see as a failed connect.
        m_ready = ::bind(m_listener.get(), reinterpret_cast<const sockaddr*>(&address),
                         sizeof address) == 0 &&
                  ::listen(m_listener.get(), SOMAXCONN) == 0;
        if (m_ready) m_thread = std::thread([this] { serve(); });
    }
    ~SilentTcpPeer() {
        m_stopping = true;
        if (m_thread.joinable()) m_thread.join();
    }
    SilentTcpPeer(const SilentTcpPeer&) = delete;
    SilentTcpPeer& operator=(const SilentTcpPeer&) = delete;

    bool ready() const { return m_ready; }
    int accepted() const { return m_accepted; }
    int open() const { return m_open; }

private:
    void serve() {
        std::vector<Fd> connections;
        std::vector<pollfd> polled;
        while (!m_stopping) {
            polled.assign(1, pollfd{m_listener.get(), POLLIN, 0});
            for (const Fd& c : connections) polled.push_back({c.get(), POLLIN | POLLRDHUP, 0});
            if (::poll(polled.data(), polled.size(), 50) <= 0) continue;
            std::vector<Fd> kept;
            for (std::size_t i = 0; i < connections.size(); ++i) {
                bool gone = false;
                if (polled[i + 1].revents != 0) {
                    char sink[512];
                    const ssize_t r = ::recv(connections[i].get(), sink, sizeof sink, MSG_DONTWAIT);
                    gone = r == 0 || (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
                }
                if (!gone) kept.push_back(std::move(connections[i]));
            }
            connections = std::move(kept);
            if (polled[0].revents & POLLIN) acceptQueued(connections);
            m_open = static_cast<int>(connections.size());
        }
        // Connections the kernel completed but this thread had not taken yet count as
        // accepted too: the tool has connected to them.
        acceptQueued(connections);
        m_listener.reset();
    }

    void acceptQueued(std::vector<Fd>& connections) {
        for (;;) {
            Fd c(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (!c) return;
            connections.push_back(std::move(c));
            ++m_accepted;
        }
    }

    Fd m_listener;
    bool m_ready = false;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_accepted{0};
    std::atomic<int> m_open{0};
    std::thread m_thread;
};

// A device record for `host`, selected in `session` as a click on its row would.
inline void selectDeviceAt(Bench& session, const std::string& host, bool userPassword = false,
                           bool adminPassword = false) {
    CEquipment device;
    device.rowNumber = "1";
    device.productCode = kProductKvt275r;
    device.ipAddress = host;
    device.userPasswordSet = userPassword;
    device.adminPasswordSet = adminPassword;
    device.remoteConfig = RemoteConfig::Allowed;
    session.devices.assign(1, device);
    session.selectRow(0);
}

}  // namespace kvt::test
