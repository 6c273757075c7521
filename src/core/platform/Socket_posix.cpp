#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/platform/Poll_posix.h"
#include "core/platform/Socket.h"

namespace kvt::platform {

namespace {

// Ancillary data of one received datagram: its interface and its arrival time.
constexpr std::size_t kControlSize = CMSG_SPACE(sizeof(in_pktinfo)) + CMSG_SPACE(sizeof(timespec));

int fdOf(Socket::Handle handle) {
    return static_cast<int>(handle);
}

sockaddr_in socketAddress(const Endpoint& endpoint) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(endpoint.port);
    result.sin_addr.s_addr = endpoint.address;
    return result;
}

Endpoint endpointOf(const sockaddr_in& address) {
    return {address.sin_addr.s_addr, ntohs(address.sin_port)};
}

bool setTimeout(int fd, int option, std::chrono::milliseconds timeout) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    return ::setsockopt(fd, SOL_SOCKET, option, &value, sizeof value) == 0;
}

bool setFlag(int fd, int level, int option) {
    // Linux wants an int here; a one-byte option value is refused with EINVAL.
    const int on = 1;
    return ::setsockopt(fd, level, option, &on, sizeof on) == 0;
}

// Restarts a call that a signal interrupted, so a stray signal is not reported as a failure.
template <typename Call>
auto retryOnInterrupt(Call call) {
    for (;;) {
        auto result = call();
        if (result >= 0 || errno != EINTR) return result;
    }
}

// One descriptor until `deadline`, beside `wake`; true when either is ready.
bool waitFor(int fd, short events, Deadline deadline, const WakeEvent* wake) {
    const int wakeFd = wake && wake->valid() ? static_cast<int>(wake->pollHandle()) : -1;
    pollfd polled[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    const nfds_t count = wakeFd >= 0 ? 2 : 1;
    const int ready = pollUntil(polled, count, deadline);
    if (ready == 0) errno = EAGAIN;
    return ready > 0;
}

// One datagram's header: the peer's address, one buffer, and room for control messages.
msghdr messageOf(sockaddr_in& peer, iovec& data, std::span<std::uint8_t> control) {
    msghdr message{};
    message.msg_name = &peer;
    message.msg_namelen = sizeof peer;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    return message;
}

// The IP_PKTINFO a received datagram carries (when its socket asked for it).
std::optional<in_pktinfo> packetInfo(msghdr& message) {
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            return info;
        }
    }
    return std::nullopt;
}

}  // namespace

struct DatagramBatch::Headers {
    std::vector<std::uint8_t> control;  // room for IP_PKTINFO and a time stamp per datagram
    std::vector<iovec> iov;
    std::vector<mmsghdr> headers;
};

DatagramBatch::DatagramBatch(std::size_t capacity, std::size_t datagramSize)
    : m_capacity(std::max<std::size_t>(capacity, 1)),
      m_datagramSize(std::max<std::size_t>(datagramSize, 1)),
      m_data(m_capacity * m_datagramSize),
      m_lengths(m_capacity),
      m_headers(std::make_unique<Headers>()) {
    m_headers->control.resize(m_capacity * kControlSize);
    m_headers->iov.resize(m_capacity);
    m_headers->headers.resize(m_capacity);
}

DatagramBatch::~DatagramBatch() = default;

unsigned DatagramBatch::interfaceIndex(std::size_t i) const {
    const auto info = packetInfo(m_headers->headers[i].msg_hdr);
    return info ? static_cast<unsigned>(info->ipi_ifindex) : 0;
}

std::optional<std::chrono::system_clock::time_point> DatagramBatch::arrival(std::size_t i) const {
    msghdr& header = m_headers->headers[i].msg_hdr;
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

Socket::Socket(Kind kind) {
    const int fd = kind == Kind::Udp ? ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP)
                                     : ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd >= 0) m_handle = fd;
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = kNone;
    }
    return *this;
}

void Socket::close() {
    if (valid()) {
        // Linux closes the descriptor even when close reports EINTR, so it is never retried.
        ::close(fdOf(m_handle));
        m_handle = kNone;
    }
}

void Socket::shutdownAndClose() {
    if (valid()) ::shutdown(fdOf(m_handle), SHUT_RDWR);
    close();
}

bool Socket::setNonBlocking(bool on) {
    if (!valid()) return false;
    const int flags = ::fcntl(fdOf(m_handle), F_GETFL);
    if (flags < 0) return false;
    const int wanted = on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK;
    return wanted == flags || ::fcntl(fdOf(m_handle), F_SETFL, wanted) == 0;
}

bool Socket::setBroadcast() {
    return valid() && setFlag(fdOf(m_handle), SOL_SOCKET, SO_BROADCAST);
}

bool Socket::setReuseAddress() {
    return valid() && setFlag(fdOf(m_handle), SOL_SOCKET, SO_REUSEADDR);
}

bool Socket::setExclusiveAddress() {
    return valid();
}

bool Socket::setNoDelay() {
    return valid() && setFlag(fdOf(m_handle), IPPROTO_TCP, TCP_NODELAY);
}

bool Socket::setReceiveTimeout(std::chrono::milliseconds timeout) {
    return valid() && setTimeout(fdOf(m_handle), SO_RCVTIMEO, timeout);
}

bool Socket::setSendTimeout(std::chrono::milliseconds timeout) {
    return valid() && setTimeout(fdOf(m_handle), SO_SNDTIMEO, timeout);
}

bool Socket::setReceiveBuffer(int bytes) {
    return valid() &&
           ::setsockopt(fdOf(m_handle), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == 0;
}

bool Socket::enlargeReceiveBuffer(int bytes) {
    if (!valid()) return false;
    // Past net.core.rmem_max where the process may (CAP_NET_ADMIN).
    if (::setsockopt(fdOf(m_handle), SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) == 0)
        return true;
    return setReceiveBuffer(bytes);
}

int Socket::receiveBuffer() const {
    int bytes = 0;
    socklen_t length = sizeof bytes;
    if (!valid() || ::getsockopt(fdOf(m_handle), SOL_SOCKET, SO_RCVBUF, &bytes, &length) != 0)
        return 0;
    return bytes;
}

bool Socket::setReceiveInterface() {
    return valid() && setFlag(fdOf(m_handle), IPPROTO_IP, IP_PKTINFO);
}

bool Socket::setArrivalTimes() {
    return valid() && setFlag(fdOf(m_handle), SOL_SOCKET, SO_TIMESTAMPNS);
}

bool Socket::bind(const Endpoint& local) {
    if (!valid()) return false;
    const sockaddr_in address = socketAddress(local);
    return ::bind(fdOf(m_handle), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool Socket::listen(int backlog) {
    return valid() && ::listen(fdOf(m_handle), backlog) == 0;
}

Socket Socket::accept(Endpoint* peer) {
    Socket accepted;
    if (!valid()) return accepted;
    sockaddr_in address{};
    socklen_t length = sizeof address;
    const int fd = ::accept4(fdOf(m_handle), reinterpret_cast<sockaddr*>(&address), &length,
                             SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return accepted;
    accepted.m_handle = fd;
    if (peer) *peer = endpointOf(address);
    return accepted;
}

std::optional<Endpoint> Socket::localEndpoint() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (!valid() ||
        ::getsockname(fdOf(m_handle), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return std::nullopt;
    return endpointOf(local);
}

bool Socket::connect(const Endpoint& remote, Deadline deadline, const WakeEvent* wake) {
    if (!valid()) return false;
    const int fd = fdOf(m_handle);
    // Non-blocking connect plus poll bounds the wait without a worker thread; a refusal
    // wakes the poll at once.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    const sockaddr_in address = socketAddress(remote);
    bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EINTR)) {
        const int wakeFd = wake && wake->valid() ? static_cast<int>(wake->pollHandle()) : -1;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd waiting[2] = {{fd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
            const int ready = ::poll(waiting, 2, static_cast<int>(left.count()));
            if (ready > 0) {
                if (waiting[1].revents != 0) break;
                int pending = 0;
                socklen_t length = sizeof pending;
                connected =
                    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &length) == 0 && pending == 0;
                if (!connected) errno = pending;
                break;
            }
            if (ready < 0 && errno != EINTR) break;
        }
    }
    // Back to the mode the caller set.
    if (::fcntl(fd, F_SETFL, flags) != 0) return false;
    return connected;
}

long Socket::send(std::span<const std::uint8_t> bytes, bool dontRoute) {
    if (!valid()) return -1;
    const int flags = MSG_NOSIGNAL | (dontRoute ? MSG_DONTROUTE : 0);
    return static_cast<long>(retryOnInterrupt(
        [&] { return ::send(fdOf(m_handle), bytes.data(), bytes.size(), flags); }));
}

long Socket::sendTo(std::span<const std::uint8_t> bytes, const Endpoint& to) {
    if (!valid()) return -1;
    const sockaddr_in target = socketAddress(to);
    return static_cast<long>(retryOnInterrupt([&] {
        return ::sendto(fdOf(m_handle), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&target), sizeof target);
    }));
}

namespace {

// A datagram with its own IP_PKTINFO: by interface `index`, or from local address `source`.
long sendWithPacketInfo(int fd, std::span<const std::uint8_t> bytes, const Endpoint& to,
                        unsigned index, std::uint32_t source) {
    sockaddr_in target = socketAddress(to);
    iovec data{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
    alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message = messageOf(target, data, control);
    cmsghdr* c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(index);  // without a source: that interface's own
    info.ipi_spec_dst.s_addr = source;
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
    return static_cast<long>(
        retryOnInterrupt([&] { return ::sendmsg(fd, &message, MSG_NOSIGNAL); }));
}

}  // namespace

long Socket::sendVia(std::span<const std::uint8_t> bytes, const Endpoint& to,
                     unsigned interfaceIndex) {
    if (!valid()) return -1;
    return sendWithPacketInfo(fdOf(m_handle), bytes, to, interfaceIndex, 0);
}

long Socket::sendFrom(std::span<const std::uint8_t> bytes, const Endpoint& to,
                      std::uint32_t source) {
    if (!valid()) return -1;
    return sendWithPacketInfo(fdOf(m_handle), bytes, to, 0, source);
}

long Socket::receive(std::span<std::uint8_t> buffer, bool dontWait) {
    if (!valid()) return -1;
    const int flags = dontWait ? MSG_DONTWAIT : 0;
    return static_cast<long>(retryOnInterrupt(
        [&] { return ::recv(fdOf(m_handle), buffer.data(), buffer.size(), flags); }));
}

long Socket::receiveFrom(std::span<std::uint8_t> buffer, Endpoint* from,
                         std::uint32_t* destination) {
    if (!valid()) return -1;
    sockaddr_in sender{};
    iovec data{buffer.data(), buffer.size()};
    alignas(cmsghdr) std::uint8_t control[kControlSize] = {};
    msghdr message = messageOf(sender, data, control);
    const auto n = retryOnInterrupt([&] { return ::recvmsg(fdOf(m_handle), &message, 0); });
    if (n < 0) return -1;
    if (from) *from = endpointOf(sender);
    if (destination) {
        const auto info = packetInfo(message);
        *destination = info ? info->ipi_addr.s_addr : 0;
    }
    return static_cast<long>(n);
}

long Socket::receiveQueued(DatagramBatch& batch) {
    if (!valid()) return -1;
    auto& h = *batch.m_headers;
    for (std::size_t i = 0; i < batch.m_capacity; ++i) {
        h.iov[i].iov_base = batch.m_data.data() + i * batch.m_datagramSize;
        h.iov[i].iov_len = batch.m_datagramSize;
        msghdr& header = h.headers[i].msg_hdr;
        header = msghdr{};
        header.msg_iov = &h.iov[i];
        header.msg_iovlen = 1;
        header.msg_control = h.control.data() + i * kControlSize;
        header.msg_controllen = kControlSize;
        h.headers[i].msg_len = 0;
    }
    batch.m_size = 0;
    const int n = retryOnInterrupt([&] {
        return ::recvmmsg(fdOf(m_handle), h.headers.data(), static_cast<unsigned>(batch.m_capacity),
                          MSG_DONTWAIT, nullptr);
    });
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    batch.m_size = static_cast<std::size_t>(n);
    for (std::size_t i = 0; i < batch.m_size; ++i)
        batch.m_lengths[i] = std::min<std::size_t>(h.headers[i].msg_len, batch.m_datagramSize);
    return n;
}

bool waitReadable(const Socket& socket, Deadline deadline, const WakeEvent* wake) {
    return waitFor(fdOf(socket.handle()), POLLIN, deadline, wake);
}

bool waitWritable(const Socket& socket, Deadline deadline) {
    return waitFor(fdOf(socket.handle()), POLLOUT, deadline, nullptr);
}

bool Poller::wait(std::optional<std::chrono::milliseconds> timeout) {
    // Kept between waits: a server loop waits thousands of times a second.
    thread_local std::vector<pollfd> polled;
    polled.clear();
    for (Entry& e : m_entries) {
        const short events = static_cast<short>((e.read ? POLLIN : 0) | (e.write ? POLLOUT : 0));
        polled.push_back({e.handle == Socket::kNone ? -1 : fdOf(e.handle), events, 0});
        e.ready = {};
    }
    const int ms = timeout ? static_cast<int>(std::max<long long>(timeout->count(), 0)) : -1;
    if (::poll(polled.data(), polled.size(), ms) < 0) return errno == EINTR;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const short r = polled[i].revents;
        m_entries[i].ready = {(r & POLLIN) != 0, (r & POLLOUT) != 0,
                              (r & (POLLHUP | POLLERR | POLLNVAL)) != 0};
    }
    return true;
}

}  // namespace kvt::platform
