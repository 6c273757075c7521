#include "core/net/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kvt {

namespace {

// Ancillary data of one received datagram: its interface and its arrival time.
constexpr std::size_t kControlSize = CMSG_SPACE(sizeof(in_pktinfo)) + CMSG_SPACE(sizeof(timespec));

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

bool waitReadable(int fd, Deadline deadline, int wakeFd) {
    pollfd polled[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const nfds_t count = wakeFd >= 0 ? 2 : 1;
    for (;;) {
        // A deadline already passed still looks once at what is queued.
        const auto left = std::max(deadline - std::chrono::steady_clock::now(),
                                   std::chrono::steady_clock::duration::zero());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec limit{static_cast<time_t>(ns / 1'000'000'000),
                             static_cast<long>(ns % 1'000'000'000)};
        const int ready = ::ppoll(polled, count, &limit, nullptr);
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

CancelToken::CancelToken() : m_event(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void CancelToken::cancel() {
    m_cancelled.store(true, std::memory_order_release);
    if (m_event) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(m_event.get(), &one, sizeof one);
    }
}

void CancelToken::reset() {
    m_cancelled.store(false, std::memory_order_release);
    if (m_event) {
        std::uint64_t pending = 0;
        [[maybe_unused]] const auto n = ::read(m_event.get(), &pending, sizeof pending);
    }
}

DatagramBatch::DatagramBatch(std::size_t capacity, std::size_t datagramSize)
    : m_capacity(std::max<std::size_t>(capacity, 1)),
      m_datagramSize(std::max<std::size_t>(datagramSize, 1)),
      m_data(m_capacity * m_datagramSize),
      m_control(m_capacity * kControlSize),
      m_iov(m_capacity),
      m_headers(m_capacity) {}

DatagramBatch::~DatagramBatch() = default;

void DatagramBatch::prepare() {
    const std::size_t controlSize = kControlSize;
    for (std::size_t i = 0; i < m_capacity; ++i) {
        m_iov[i].iov_base = m_data.data() + i * m_datagramSize;
        m_iov[i].iov_len = m_datagramSize;
        msghdr& header = m_headers[i].msg_hdr;
        header = msghdr{};
        header.msg_iov = &m_iov[i];
        header.msg_iovlen = 1;
        header.msg_control = m_control.data() + i * controlSize;
        header.msg_controllen = controlSize;
        m_headers[i].msg_len = 0;
    }
    m_size = 0;
}

std::span<const std::uint8_t> DatagramBatch::bytes(std::size_t i) const {
    const std::size_t length = std::min<std::size_t>(m_headers[i].msg_len, m_datagramSize);
    return {m_data.data() + i * m_datagramSize, length};
}

unsigned DatagramBatch::interfaceIndex(std::size_t i) const {
    // CMSG_NXTHDR takes a non-const header; nothing is written through it.
    auto& header = const_cast<msghdr&>(m_headers[i].msg_hdr);
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            return static_cast<unsigned>(info.ipi_ifindex);
        }
    }
    return 0;
}

std::optional<std::chrono::system_clock::time_point> DatagramBatch::arrival(std::size_t i) const {
    auto& header = const_cast<msghdr&>(m_headers[i].msg_hdr);
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec stamp{};
            std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
            return std::chrono::system_clock::time_point(
                std::chrono::duration_cast<std::chrono::system_clock::duration>(
                    std::chrono::seconds(stamp.tv_sec) + std::chrono::nanoseconds(stamp.tv_nsec)));
        }
    }
    return std::nullopt;
}

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

bool UdpSocket::enlargeReceiveBuffer(int bytes) {
    if (!valid()) return false;
    if (::setsockopt(m_fd.get(), SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) == 0)
        return true;
    return setReceiveBuffer(bytes);
}

int UdpSocket::receiveBuffer() const {
    int bytes = 0;
    socklen_t length = sizeof bytes;
    if (!valid() || ::getsockopt(m_fd.get(), SOL_SOCKET, SO_RCVBUF, &bytes, &length) != 0) return 0;
    return bytes;
}

bool UdpSocket::setReceiveInterface() {
    const int on = 1;
    return valid() && ::setsockopt(m_fd.get(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on) == 0;
}

bool UdpSocket::setArrivalTimes() {
    const int on = 1;
    return valid() && ::setsockopt(m_fd.get(), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) == 0;
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

bool UdpSocket::sendVia(std::span<const std::uint8_t> bytes, const std::string& address,
                        std::uint16_t port, unsigned interfaceIndex) {
    if (!valid()) return false;
    auto target = udpAddress(address, port);
    if (!target) return false;
    iovec data{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
    alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &*target;
    message.msg_namelen = sizeof *target;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(interfaceIndex);  // the source: that interface's own
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
    const ssize_t sent =
        retryOnInterrupt([&] { return ::sendmsg(m_fd.get(), &message, MSG_NOSIGNAL); });
    return sent == static_cast<ssize_t>(bytes.size());
}

long UdpSocket::receive(std::span<std::uint8_t> buffer, Deadline deadline) {
    if (!valid()) return -1;
    if (!waitReadable(m_fd.get(), deadline)) {
        errno = EAGAIN;
        return -1;
    }
    return static_cast<long>(retryOnInterrupt(
        [&] { return ::recv(m_fd.get(), buffer.data(), buffer.size(), MSG_DONTWAIT); }));
}

long UdpSocket::receiveQueued(DatagramBatch& batch) {
    if (!valid()) return -1;
    batch.prepare();
    const int n = retryOnInterrupt([&] {
        return ::recvmmsg(m_fd.get(), batch.m_headers.data(),
                          static_cast<unsigned>(batch.m_capacity), MSG_DONTWAIT, nullptr);
    });
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    batch.m_size = static_cast<std::size_t>(n);
    return n;
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
                                     std::chrono::milliseconds limit, ConnectError* error,
                                     const CancelToken* cancel) {
    ConnectError ignored = ConnectError::None;
    ConnectError& outcome = error ? *error : ignored;
    outcome = ConnectError::None;
    if (cancel && cancel->cancelled()) {
        outcome = ConnectError::Failed;
        return {};
    }

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
            pollfd waiting[2] = {{fd.get(), POLLOUT, 0},
                                 {cancel ? cancel->waitFd() : -1, POLLIN, 0}};
            const int ready = ::poll(waiting, 2, static_cast<int>(left.count()));
            if (cancel && cancel->cancelled()) {
                outcome = ConnectError::Failed;
                return {};
            }
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

long TcpConnection::receiveSome(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit,
                                const CancelToken* cancel) {
    if (!connected()) return -1;
    const int wakeFd = cancel ? cancel->waitFd() : -1;
    if ((cancel && cancel->cancelled()) ||
        !waitReadable(m_fd.get(), std::chrono::steady_clock::now() + limit, wakeFd) ||
        (cancel && cancel->cancelled())) {
        errno = EAGAIN;
        return -1;
    }
    return receiveSome(buffer);
}

}  // namespace kvt
