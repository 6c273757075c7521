#include "core/net/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kvt {

namespace {

bool setTimeout(int fd, int option, std::chrono::milliseconds timeout) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    return ::setsockopt(fd, SOL_SOCKET, option, &value, sizeof value) == 0;
}

// Datagram addresses: any dotted form inet_aton takes, the limited broadcast address included
// (the broadcast search sends to it).
std::optional<sockaddr_in> udpAddress(const std::string& address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    if (::inet_aton(address.c_str(), &result.sin_addr) == 0) return std::nullopt;
    return result;
}

// Restarts a call that a signal interrupted, so a stray signal is not reported as a failure.
template <typename Call>
auto retryOnInterrupt(Call call) {
    for (;;) {
        auto result = call();
        if (result >= 0 || errno != EINTR) return result;
    }
}

}  // namespace

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

int Fd::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void Fd::reset() {
    if (m_fd >= 0) {
        // Linux closes the descriptor even when close reports EINTR, so it is never retried.
        ::close(m_fd);
        m_fd = -1;
    }
}

std::optional<std::uint32_t> parseIpv4(const std::string& dotted) {
    // inet_addr's own answer, including its forms with fewer parts and octal or hex parts;
    // INADDR_NONE doubles as the error value, which is why 255.255.255.255 is refused.
    const in_addr_t address = ::inet_addr(dotted.c_str());
    if (address == INADDR_NONE) return std::nullopt;
    return static_cast<std::uint32_t>(address);
}

UdpSocket::UdpSocket() : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP)) {}

bool UdpSocket::setBroadcast() {
    // Linux wants an int here; a one-byte option value is refused with EINVAL.
    const int on = 1;
    return valid() && ::setsockopt(m_fd.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0;
}

bool UdpSocket::setReceiveTimeout(std::chrono::milliseconds timeout) {
    return valid() && setTimeout(m_fd.get(), SO_RCVTIMEO, timeout);
}

bool UdpSocket::setReceiveBuffer(int bytes) {
    return valid() && ::setsockopt(m_fd.get(), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == 0;
}

bool UdpSocket::bind(const std::string& address, std::uint16_t port) {
    if (!valid()) return false;
    const auto local = udpAddress(address, port);
    if (!local) return false;
    return ::bind(m_fd.get(), reinterpret_cast<const sockaddr*>(&*local), sizeof *local) == 0;
}

std::uint16_t UdpSocket::localPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (!valid() || ::getsockname(m_fd.get(), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

bool UdpSocket::sendTo(std::span<const std::uint8_t> bytes, const std::string& address,
                       std::uint16_t port) {
    if (!valid()) return false;
    const auto target = udpAddress(address, port);
    if (!target) return false;
    const ssize_t sent = retryOnInterrupt([&] {
        return ::sendto(m_fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&*target), sizeof *target);
    });
    return sent == static_cast<ssize_t>(bytes.size());
}

long UdpSocket::receive(std::span<std::uint8_t> buffer) {
    if (!valid()) return -1;
    return static_cast<long>(
        retryOnInterrupt([&] { return ::recv(m_fd.get(), buffer.data(), buffer.size(), 0); }));
}

void UdpSocket::shutdownAndClose() {
    if (valid()) ::shutdown(m_fd.get(), SHUT_RDWR);
    m_fd.reset();
}

TcpConnection TcpConnection::connect(const std::string& address, std::uint16_t port,
                                     std::chrono::milliseconds limit, ConnectError* error) {
    ConnectError ignored = ConnectError::None;
    ConnectError& outcome = error ? *error : ignored;
    outcome = ConnectError::None;

    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!fd) {
        outcome = ConnectError::Socket;
        return {};
    }
    if (!setTimeout(fd.get(), SO_RCVTIMEO, kIoLimit) ||
        !setTimeout(fd.get(), SO_SNDTIMEO, kIoLimit)) {
        outcome = ConnectError::Options;
        return {};
    }

    // An address inet_addr refuses becomes 255.255.255.255 there, which no connect reaches.
    sockaddr_in device{};
    device.sin_family = AF_INET;
    device.sin_port = htons(port);
    const auto parsed = parseIpv4(address);
    if (!parsed) {
        outcome = ConnectError::Failed;
        return {};
    }
    device.sin_addr.s_addr = *parsed;

    // Non-blocking connect plus poll bounds the wait without a worker thread; a refusal
    // wakes the poll at once.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        outcome = ConnectError::Options;
        return {};
    }
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&device), sizeof device) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) {
            outcome = ConnectError::Failed;
            return {};
        }
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                outcome = ConnectError::Failed;
                return {};
            }
            pollfd waiting{fd.get(), POLLOUT, 0};
            const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
            if (ready > 0) break;
            if (ready < 0 && errno != EINTR) {
                outcome = ConnectError::Failed;
                return {};
            }
        }
        int pending = 0;
        socklen_t length = sizeof pending;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &pending, &length) != 0 || pending != 0) {
            outcome = ConnectError::Failed;
            return {};
        }
    }
    // Back to blocking I/O, bounded by the two 2000 ms limits.
    if (::fcntl(fd.get(), F_SETFL, flags) != 0) {
        outcome = ConnectError::Options;
        return {};
    }
    return TcpConnection(std::move(fd));
}

bool TcpConnection::send(std::span<const std::uint8_t> bytes) {
    if (!connected()) return false;
    const ssize_t sent = retryOnInterrupt([&] {
        return ::send(m_fd.get(), bytes.data(), bytes.size(), MSG_DONTROUTE | MSG_NOSIGNAL);
    });
    return sent == static_cast<ssize_t>(bytes.size());
}

long TcpConnection::receiveSome(std::span<std::uint8_t> buffer) {
    if (!connected()) return -1;
    return static_cast<long>(
        retryOnInterrupt([&] { return ::recv(m_fd.get(), buffer.data(), buffer.size(), 0); }));
}

long TcpConnection::receiveSome(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit) {
    if (!connected()) return -1;
    pollfd waiting{m_fd.get(), POLLIN, 0};
    const int ready = retryOnInterrupt(
        [&] { return ::poll(&waiting, 1, static_cast<int>(std::max<long>(limit.count(), 0))); });
    if (ready == 0) {
        errno = EAGAIN;
        return -1;
    }
    if (ready < 0) return -1;
    return receiveSome(buffer);
}

}  // namespace kvt
