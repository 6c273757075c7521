#include "core/net/Socket.h"

#include "core/platform/Address.h"

namespace kvt {

namespace {

// Datagram addresses: any dotted form inet_aton takes, the limited broadcast address included
// (the broadcast search sends to it).
std::optional<platform::Endpoint> udpEndpoint(const std::string& address, std::uint16_t port) {
    const auto parsed = platform::parseInetAton(address);
    if (!parsed) return std::nullopt;
    return platform::Endpoint{*parsed, port};
}

bool sentWhole(long sent, std::size_t size) {
    return sent >= 0 && static_cast<std::size_t>(sent) == size;
}

}  // namespace

void CancelToken::cancel() {
    m_cancelled.store(true, std::memory_order_release);
    m_event.signal();
}

void CancelToken::reset() {
    m_cancelled.store(false, std::memory_order_release);
    m_event.drain();
}

std::optional<std::uint32_t> parseIpv4(const std::string& dotted) {
    // inet_addr's own answer, including its forms with fewer parts and octal or hex parts.
    return platform::parseInetAddr(dotted);
}

UdpSocket::UdpSocket() : m_socket(platform::Socket::Kind::Udp) {}

bool UdpSocket::bind(const std::string& address, std::uint16_t port) {
    const auto local = udpEndpoint(address, port);
    return local && m_socket.bind(*local);
}

std::uint16_t UdpSocket::localPort() const {
    const auto local = m_socket.localEndpoint();
    return local ? local->port : 0;
}

bool UdpSocket::sendTo(std::span<const std::uint8_t> bytes, const std::string& address,
                       std::uint16_t port) {
    const auto target = udpEndpoint(address, port);
    return target && valid() && sentWhole(m_socket.sendTo(bytes, *target), bytes.size());
}

bool UdpSocket::sendVia(std::span<const std::uint8_t> bytes, const std::string& address,
                        std::uint16_t port, unsigned interfaceIndex) {
    const auto target = udpEndpoint(address, port);
    return target && valid() &&
           sentWhole(m_socket.sendVia(bytes, *target, interfaceIndex), bytes.size());
}

long UdpSocket::receive(std::span<std::uint8_t> buffer, Deadline deadline) {
    if (!valid() || !waitReadable(deadline)) return -1;
    return m_socket.receive(buffer, true);
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
    platform::Socket socket(platform::Socket::Kind::Tcp);
    if (!socket) {
        outcome = ConnectError::Socket;
        return {};
    }
    if (!socket.setReceiveTimeout(kIoLimit) || !socket.setSendTimeout(kIoLimit)) {
        outcome = ConnectError::Options;
        return {};
    }
    // An address inet_addr refuses becomes 255.255.255.255 there, which no connect reaches.
    const auto parsed = parseIpv4(address);
    if (!parsed) {
        outcome = ConnectError::Failed;
        return {};
    }
    // Bounded without a worker thread; a refusal ends the wait at once. Afterwards the socket
    // is blocking again, bounded by the two 2000 ms limits.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    if (!socket.connect({*parsed, port}, deadline, cancel ? &cancel->event() : nullptr) ||
        (cancel && cancel->cancelled())) {
        outcome = ConnectError::Failed;
        return {};
    }
    return TcpConnection(std::move(socket));
}

bool TcpConnection::send(std::span<const std::uint8_t> bytes) {
    return connected() && sentWhole(m_socket.send(bytes, true), bytes.size());
}

long TcpConnection::receiveSome(std::span<std::uint8_t> buffer) {
    if (!connected()) return -1;
    return m_socket.receive(buffer);
}

long TcpConnection::receiveSome(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit,
                                const CancelToken* cancel) {
    if (!connected()) return -1;
    if ((cancel && cancel->cancelled()) ||
        !platform::waitReadable(m_socket, std::chrono::steady_clock::now() + limit,
                                cancel ? &cancel->event() : nullptr) ||
        (cancel && cancel->cancelled()))
        return -1;
    return receiveSome(buffer);
}

}  // namespace kvt
