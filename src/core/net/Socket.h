#pragma once
// Thin RAII layer over POSIX sockets: every descriptor is closed on every path, every
// descriptor is close-on-exec, sends never raise SIGPIPE, connects are bounded.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kvt {

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : m_fd(other.release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release();
    void reset();
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// IPv4 dotted text -> address in network order; nullopt where inet_addr would fail
// (255.255.255.255 included, as the device protocol expects).
std::optional<std::uint32_t> parseIpv4(const std::string& dotted);

class UdpSocket {
public:
    // Creates the socket; on failure the object is empty (valid() == false).
    UdpSocket();
    bool valid() const { return static_cast<bool>(m_fd); }
    bool setBroadcast();
    bool setReceiveTimeout(std::chrono::milliseconds timeout);
    bool setReceiveBuffer(int bytes);
    bool bind(const std::string& address, std::uint16_t port);
    std::uint16_t localPort() const;
    bool sendTo(std::span<const std::uint8_t> bytes, const std::string& address,
                std::uint16_t port);
    // One datagram of at most buffer.size() bytes; -1 on failure or time-out.
    long receive(std::span<std::uint8_t> buffer);
    void shutdownAndClose();

private:
    Fd m_fd;
};

enum class ConnectError { None, Socket, Options, Worker, Failed };

// A connected TCP stream to a device's configuration port, with 2000 ms send and receive
// limits. Move-only; closing happens on destruction.
class TcpConnection {
public:
    static constexpr std::chrono::milliseconds kIoLimit{2000};

    TcpConnection() = default;
    // Socket, options (receive then send limit), bounded non-blocking connect. A refusal is
    // reported at once; the time limit bounds an unanswered connect.
    static TcpConnection connect(const std::string& address, std::uint16_t port,
                                 std::chrono::milliseconds limit, ConnectError* error);
    bool connected() const { return static_cast<bool>(m_fd); }
    // One send call with MSG_DONTROUTE | MSG_NOSIGNAL; false unless everything was sent.
    bool send(std::span<const std::uint8_t> bytes);
    // One receive call; returns bytes received, 0 on close, -1 on failure or time-out.
    long receiveSome(std::span<std::uint8_t> buffer);
    // The same, waiting at most `limit` (and never longer than the receive limit) for data.
    long receiveSome(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit);
    void close() { m_fd.reset(); }

private:
    explicit TcpConnection(Fd fd) : m_fd(std::move(fd)) {}
    Fd m_fd;
};

}  // namespace kvt
