#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "core/platform/Socket.h"
#include "core/platform/Winsock_win32.h"

namespace kvt::platform {

namespace {

// What Windows does not let a program read back from a socket: whether it is non-blocking
// (connect restores it) and whether it wants arrival times (there is no SO_TIMESTAMP).
struct SocketState {
    bool nonBlocking = false;
    bool arrivalTimes = false;
};

class SocketStates {
public:
    SocketState get(SOCKET s) {
        std::lock_guard lock(m_mutex);
        const auto found = m_states.find(s);
        return found != m_states.end() ? found->second : SocketState{};
    }
    template <typename Change>
    void update(SOCKET s, Change change) {
        std::lock_guard lock(m_mutex);
        change(m_states[s]);
    }
    void forget(SOCKET s) {
        std::lock_guard lock(m_mutex);
        m_states.erase(s);
    }

private:
    std::mutex m_mutex;
    std::unordered_map<SOCKET, SocketState> m_states;
};

SocketStates& states() {
    static SocketStates instance;
    return instance;
}

SOCKET sockOf(Socket::Handle handle) {
    return static_cast<SOCKET>(handle);
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

bool setOption(SOCKET s, int level, int option, DWORD value) {
    return ::setsockopt(s, level, option, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

bool setMode(SOCKET s, bool nonBlocking) {
    u_long on = nonBlocking ? 1 : 0;
    return ::ioctlsocket(s, FIONBIO, &on) == 0;
}

// Windows times out blocking calls after a DWORD of milliseconds (a timeval there would be
// read as a 2 ms limit); 0 means no limit, as on POSIX, so a limit below 1 ms becomes 1 ms.
DWORD timeoutValue(std::chrono::milliseconds timeout) {
    if (timeout.count() <= 0) return 0;
    return static_cast<DWORD>(std::min<long long>(timeout.count(), MAXDWORD - 1));
}

// WSARecvMsg and WSASendMsg are reached only through WSAIoctl; the pointers are the same for
// every socket of the provider, so they are asked for once.
struct MessageCalls {
    LPFN_WSARECVMSG receive = nullptr;
    LPFN_WSASENDMSG send = nullptr;
};

const MessageCalls& messageCalls() {
    static const MessageCalls calls = [] {
        MessageCalls found;
        const SOCKET s = winsock::openSocket(SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) return found;
        GUID receiveId = WSAID_WSARECVMSG;
        GUID sendId = WSAID_WSASENDMSG;
        DWORD bytes = 0;
        ::WSAIoctl(s, SIO_GET_EXTENSION_FUNCTION_POINTER, &receiveId, sizeof receiveId,
                   &found.receive, sizeof found.receive, &bytes, nullptr, nullptr);
        ::WSAIoctl(s, SIO_GET_EXTENSION_FUNCTION_POINTER, &sendId, sizeof sendId, &found.send,
                   sizeof found.send, &bytes, nullptr, nullptr);
        ::closesocket(s);
        return found;
    }();
    return calls;
}

// Whether `s` has something to read now, without waiting.
bool readableNow(SOCKET s) {
    WSAPOLLFD polled{s, POLLRDNORM, 0};
    return ::WSAPoll(&polled, 1, 0) > 0;
}

// A datagram longer than the buffer fails with WSAEMSGSIZE on Windows, though the buffer holds
// its first bytes; POSIX returns those bytes, and so does this.
long cutDatagram(int received, std::size_t bufferSize) {
    if (received == SOCKET_ERROR && ::WSAGetLastError() == WSAEMSGSIZE)
        return static_cast<long>(bufferSize);
    return received;
}

// One socket until `deadline`, beside `wake`; true when either is ready.
bool waitFor(SOCKET s, SHORT events, Deadline deadline, const WakeEvent* wake) {
    WSAPOLLFD polled[2] = {{s, events, 0}, {INVALID_SOCKET, POLLRDNORM, 0}};
    ULONG count = 1;
    if (wake && wake->valid()) {
        polled[1].fd = static_cast<SOCKET>(wake->pollHandle());
        count = 2;
    }
    const int ready = winsock::pollUntil(polled, count, deadline);
    if (ready == 0) ::WSASetLastError(WSAEWOULDBLOCK);
    return ready > 0;
}

}  // namespace

struct DatagramBatch::Headers {
    std::vector<unsigned> interfaces;
    std::vector<std::optional<std::chrono::system_clock::time_point>> arrivals;
};

DatagramBatch::DatagramBatch(std::size_t capacity, std::size_t datagramSize)
    : m_capacity(std::max<std::size_t>(capacity, 1)),
      m_datagramSize(std::max<std::size_t>(datagramSize, 1)),
      m_data(m_capacity * m_datagramSize),
      m_lengths(m_capacity),
      m_headers(std::make_unique<Headers>()) {
    m_headers->interfaces.resize(m_capacity);
    m_headers->arrivals.resize(m_capacity);
}

DatagramBatch::~DatagramBatch() = default;

unsigned DatagramBatch::interfaceIndex(std::size_t i) const {
    return m_headers->interfaces[i];
}

std::optional<std::chrono::system_clock::time_point> DatagramBatch::arrival(std::size_t i) const {
    return m_headers->arrivals[i];
}

Socket::Socket(Kind kind) {
    const SOCKET s = kind == Kind::Udp ? winsock::openSocket(SOCK_DGRAM, IPPROTO_UDP)
                                       : winsock::openSocket(SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) m_handle = static_cast<Handle>(s);
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
        states().forget(sockOf(m_handle));
        ::closesocket(sockOf(m_handle));
        m_handle = kNone;
    }
}

void Socket::shutdownAndClose() {
    if (valid()) ::shutdown(sockOf(m_handle), SD_BOTH);
    close();
}

bool Socket::setNonBlocking(bool on) {
    if (!valid() || !setMode(sockOf(m_handle), on)) return false;
    states().update(sockOf(m_handle), [on](SocketState& s) { s.nonBlocking = on; });
    return true;
}

bool Socket::setBroadcast() {
    return valid() && setOption(sockOf(m_handle), SOL_SOCKET, SO_BROADCAST, TRUE);
}

bool Socket::setReuseAddress() {
    // Windows binds a port again at once without help; its SO_REUSEADDR would instead let any
    // other program bind the same port and take its traffic.
    return setExclusiveAddress();
}

bool Socket::setExclusiveAddress() {
    return valid() && setOption(sockOf(m_handle), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, TRUE);
}

bool Socket::setNoDelay() {
    return valid() && setOption(sockOf(m_handle), IPPROTO_TCP, TCP_NODELAY, TRUE);
}

bool Socket::setReceiveTimeout(std::chrono::milliseconds timeout) {
    return valid() && setOption(sockOf(m_handle), SOL_SOCKET, SO_RCVTIMEO, timeoutValue(timeout));
}

bool Socket::setSendTimeout(std::chrono::milliseconds timeout) {
    return valid() && setOption(sockOf(m_handle), SOL_SOCKET, SO_SNDTIMEO, timeoutValue(timeout));
}

bool Socket::setReceiveBuffer(int bytes) {
    return valid() && ::setsockopt(sockOf(m_handle), SOL_SOCKET, SO_RCVBUF,
                                   reinterpret_cast<const char*>(&bytes), sizeof bytes) == 0;
}

bool Socket::enlargeReceiveBuffer(int bytes) {
    // Windows has no ceiling to pass: it grants what is asked.
    return setReceiveBuffer(bytes);
}

int Socket::receiveBuffer() const {
    int bytes = 0;
    int length = sizeof bytes;
    if (!valid() || ::getsockopt(sockOf(m_handle), SOL_SOCKET, SO_RCVBUF,
                                 reinterpret_cast<char*>(&bytes), &length) != 0)
        return 0;
    return bytes;
}

bool Socket::setReceiveInterface() {
    return valid() && setOption(sockOf(m_handle), IPPROTO_IP, IP_PKTINFO, TRUE);
}

bool Socket::setArrivalTimes() {
    // Windows stamps no datagram: receiveQueued reads the clock as it takes each one, which
    // differs from the arrival by how long the datagram waited in the queue.
    if (!valid()) return false;
    states().update(sockOf(m_handle), [](SocketState& s) { s.arrivalTimes = true; });
    return true;
}

bool Socket::bind(const Endpoint& local) {
    if (!valid()) return false;
    const sockaddr_in address = socketAddress(local);
    return ::bind(sockOf(m_handle), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
           0;
}

bool Socket::listen(int backlog) {
    return valid() && ::listen(sockOf(m_handle), backlog) == 0;
}

Socket Socket::accept(Endpoint* peer) {
    Socket accepted;
    if (!valid()) return accepted;
    sockaddr_in address{};
    int length = sizeof address;
    const SOCKET s = ::accept(sockOf(m_handle), reinterpret_cast<sockaddr*>(&address), &length);
    if (s == INVALID_SOCKET) return accepted;
    accepted.m_handle = static_cast<Handle>(s);
    // accept has no flags: the new handle is made private and non-blocking afterwards.
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    if (!accepted.setNonBlocking(true)) return Socket();
    if (peer) *peer = endpointOf(address);
    return accepted;
}

std::optional<Endpoint> Socket::localEndpoint() const {
    sockaddr_in local{};
    int length = sizeof local;
    if (!valid() ||
        ::getsockname(sockOf(m_handle), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return std::nullopt;
    return endpointOf(local);
}

bool Socket::connect(const Endpoint& remote, Deadline deadline, const WakeEvent* wake) {
    if (!valid()) return false;
    const SOCKET s = sockOf(m_handle);
    const bool wasNonBlocking = states().get(s).nonBlocking;
    if (!wasNonBlocking && !setMode(s, true)) return false;
    const sockaddr_in address = socketAddress(remote);
    bool connected = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && ::WSAGetLastError() == WSAEWOULDBLOCK) {
        // select, not WSAPoll: before Windows 10 2004 WSAPoll never reported a refused
        // connect, and the wait ran to its limit. A failed connect shows in the except set.
        const SOCKET wakeSocket =
            wake && wake->valid() ? static_cast<SOCKET>(wake->pollHandle()) : INVALID_SOCKET;
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                ::WSASetLastError(WSAETIMEDOUT);
                break;
            }
            fd_set writable;
            fd_set failed;
            fd_set woken;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_ZERO(&woken);
            FD_SET(s, &writable);
            FD_SET(s, &failed);
            if (wakeSocket != INVALID_SOCKET) FD_SET(wakeSocket, &woken);
            timeval limit{static_cast<long>(left.count() / 1'000'000),
                          static_cast<long>(left.count() % 1'000'000)};
            const int ready = ::select(0, &woken, &writable, &failed, &limit);
            if (ready < 0) break;
            if (ready == 0) continue;  // early by a timer tick: the loop checks the deadline
            if (wakeSocket != INVALID_SOCKET && FD_ISSET(wakeSocket, &woken)) break;
            int pending = 0;
            int length = sizeof pending;
            connected = ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending),
                                     &length) == 0 &&
                        pending == 0 && !FD_ISSET(s, &failed);
            if (!connected) ::WSASetLastError(pending != 0 ? pending : WSAECONNREFUSED);
            break;
        }
    }
    // Back to the mode the caller set; the error of the connect stays the one to report.
    const int error = ::WSAGetLastError();
    if (!wasNonBlocking && !setMode(s, false)) return false;
    ::WSASetLastError(error);
    return connected;
}

long Socket::send(std::span<const std::uint8_t> bytes, bool dontRoute) {
    if (!valid()) return -1;
    // No SIGPIPE on Windows: a send to a closed peer just fails.
    const int n = ::send(sockOf(m_handle), reinterpret_cast<const char*>(bytes.data()),
                         static_cast<int>(bytes.size()), dontRoute ? MSG_DONTROUTE : 0);
    return n == SOCKET_ERROR ? -1 : n;
}

long Socket::sendTo(std::span<const std::uint8_t> bytes, const Endpoint& to) {
    if (!valid()) return -1;
    const sockaddr_in target = socketAddress(to);
    const int n = ::sendto(sockOf(m_handle), reinterpret_cast<const char*>(bytes.data()),
                           static_cast<int>(bytes.size()), 0,
                           reinterpret_cast<const sockaddr*>(&target), sizeof target);
    return n == SOCKET_ERROR ? -1 : n;
}

namespace {

// One datagram's header: the peer's address, one buffer, and room for control messages.
WSAMSG messageOf(sockaddr_in& peer, WSABUF& data, std::span<char> control) {
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&peer);
    message.namelen = sizeof peer;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    message.Control = {static_cast<ULONG>(control.size()), control.data()};
    return message;
}

// A datagram with its own IP_PKTINFO: by interface `index`, or from local address `source`.
long sendWithPacketInfo(SOCKET s, std::span<const std::uint8_t> bytes, const Endpoint& to,
                        unsigned index, std::uint32_t source) {
    const auto sendMessage = messageCalls().send;
    if (!sendMessage) {
        ::WSASetLastError(WSAEOPNOTSUPP);
        return -1;
    }
    sockaddr_in target = socketAddress(to);
    WSABUF data{static_cast<ULONG>(bytes.size()),
                reinterpret_cast<CHAR*>(const_cast<std::uint8_t*>(bytes.data()))};
    alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSAMSG message = messageOf(target, data, control);
    WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = WSA_CMSG_LEN(sizeof(IN_PKTINFO));
    IN_PKTINFO info{};
    info.ipi_ifindex = index;  // without a source: that interface's own address
    info.ipi_addr.s_addr = source;
    std::memcpy(WSA_CMSG_DATA(c), &info, sizeof info);
    DWORD sent = 0;
    if (sendMessage(s, &message, 0, &sent, nullptr, nullptr) != 0) return -1;
    return static_cast<long>(sent);
}

// One WSARecvMsg: the datagram (cut to the buffer, as on POSIX), its sender and its
// IP_PKTINFO when the socket asked for it. Bytes received or -1.
struct ReceivedInfo {
    Endpoint from;
    unsigned interfaceIndex = 0;
    std::uint32_t destination = 0;
};
long receiveWithPacketInfo(SOCKET s, std::span<std::uint8_t> buffer, ReceivedInfo& info) {
    const auto receiveMessage = messageCalls().receive;
    if (!receiveMessage) {
        ::WSASetLastError(WSAEOPNOTSUPP);
        return -1;
    }
    sockaddr_in sender{};
    WSABUF data{static_cast<ULONG>(buffer.size()), reinterpret_cast<CHAR*>(buffer.data())};
    alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSAMSG message = messageOf(sender, data, control);
    DWORD received = 0;
    if (receiveMessage(s, &message, &received, nullptr, nullptr) != 0) {
        if (::WSAGetLastError() != WSAEMSGSIZE) return -1;
        received = static_cast<DWORD>(buffer.size());
    }
    info = {endpointOf(sender), 0, 0};
    for (WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message); c; c = WSA_CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            IN_PKTINFO packet{};
            std::memcpy(&packet, WSA_CMSG_DATA(c), sizeof packet);
            info.interfaceIndex = static_cast<unsigned>(packet.ipi_ifindex);
            info.destination = packet.ipi_addr.s_addr;
        }
    }
    return static_cast<long>(std::min<std::size_t>(received, buffer.size()));
}

}  // namespace

long Socket::sendVia(std::span<const std::uint8_t> bytes, const Endpoint& to,
                     unsigned interfaceIndex) {
    if (!valid()) return -1;
    return sendWithPacketInfo(sockOf(m_handle), bytes, to, interfaceIndex, 0);
}

long Socket::sendFrom(std::span<const std::uint8_t> bytes, const Endpoint& to,
                      std::uint32_t source) {
    if (!valid()) return -1;
    return sendWithPacketInfo(sockOf(m_handle), bytes, to, 0, source);
}

long Socket::receive(std::span<std::uint8_t> buffer, bool dontWait) {
    if (!valid()) return -1;
    // Windows has no MSG_DONTWAIT: look first, so a blocking socket does not wait.
    if (dontWait && !readableNow(sockOf(m_handle))) {
        ::WSASetLastError(WSAEWOULDBLOCK);
        return -1;
    }
    const int n = ::recv(sockOf(m_handle), reinterpret_cast<char*>(buffer.data()),
                         static_cast<int>(buffer.size()), 0);
    return n == SOCKET_ERROR ? cutDatagram(n, buffer.size()) : n;
}

long Socket::receiveFrom(std::span<std::uint8_t> buffer, Endpoint* from,
                         std::uint32_t* destination) {
    if (!valid()) return -1;
    ReceivedInfo info;
    const long n = receiveWithPacketInfo(sockOf(m_handle), buffer, info);
    if (n < 0) return -1;
    if (from) *from = info.from;
    if (destination) *destination = info.destination;
    return n;
}

long Socket::receiveQueued(DatagramBatch& batch) {
    if (!valid()) return -1;
    const SOCKET s = sockOf(m_handle);
    const bool stamp = states().get(s).arrivalTimes;
    auto& h = *batch.m_headers;
    batch.m_size = 0;
    // No recvmmsg: one WSARecvMsg per datagram, each after a look that it is there, so that a
    // blocking socket never waits.
    while (batch.m_size < batch.m_capacity && readableNow(s)) {
        const std::size_t i = batch.m_size;
        ReceivedInfo info;
        const long n = receiveWithPacketInfo(
            s, std::span(batch.m_data.data() + i * batch.m_datagramSize, batch.m_datagramSize),
            info);
        if (n < 0) {
            const int error = ::WSAGetLastError();
            // What was taken counts; a failure shows again on the next call.
            if (error == WSAEWOULDBLOCK || batch.m_size > 0) break;
            return -1;
        }
        h.interfaces[i] = info.interfaceIndex;
        h.arrivals[i] = stamp ? std::optional(std::chrono::system_clock::now()) : std::nullopt;
        batch.m_lengths[i] = static_cast<std::size_t>(n);
        ++batch.m_size;
    }
    return static_cast<long>(batch.m_size);
}

bool waitReadable(const Socket& socket, Deadline deadline, const WakeEvent* wake) {
    return waitFor(sockOf(socket.handle()), POLLRDNORM, deadline, wake);
}

bool waitWritable(const Socket& socket, Deadline deadline) {
    return waitFor(sockOf(socket.handle()), POLLWRNORM, deadline, nullptr);
}

bool Poller::wait(std::optional<std::chrono::milliseconds> timeout) {
    // Kept between waits: a server loop waits thousands of times a second. Invalid entries
    // are left out, since WSAPoll refuses them rather than passing over them.
    thread_local std::vector<WSAPOLLFD> polled;
    thread_local std::vector<std::size_t> entryOf;
    polled.clear();
    entryOf.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry& e = m_entries[i];
        e.ready = {};
        if (e.handle == Socket::kNone) continue;
        const auto events =
            static_cast<SHORT>((e.read ? POLLRDNORM : 0) | (e.write ? POLLWRNORM : 0));
        polled.push_back({static_cast<SOCKET>(e.handle), events, 0});
        entryOf.push_back(i);
    }
    const INT ms =
        timeout ? static_cast<INT>(std::clamp<long long>(timeout->count(), 0, 1 << 30)) : -1;
    if (polled.empty()) {
        // Nothing to watch: only the limit can end the wait, as with POSIX poll.
        ::Sleep(ms < 0 ? INFINITE : static_cast<DWORD>(ms));
        return true;
    }
    if (::WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), ms) < 0) return false;
    for (std::size_t j = 0; j < polled.size(); ++j) {
        const SHORT r = polled[j].revents;
        m_entries[entryOf[j]].ready = {(r & POLLRDNORM) != 0, (r & POLLWRNORM) != 0,
                                       (r & (POLLHUP | POLLERR | POLLNVAL)) != 0};
    }
    return true;
}

}  // namespace kvt::platform
