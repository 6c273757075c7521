#pragma once
// The sockets of the device protocols, on the platform layer: every socket is closed on every
// path and close-on-exec, sends never raise SIGPIPE, connects and receives are bounded and
// can be cancelled from another thread.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/platform/Socket.h"
#include "core/platform/WakeEvent.h"

namespace kvt {

using Deadline = std::chrono::steady_clock::time_point;
using platform::DatagramBatch;

// Lets one thread end another's socket waits at once: cancel() sets the flag and signals the
// token's event, which every wait watches beside its socket. A cancelled token stays
// cancelled until reset(), so every later wait of the same work ends at once too.
class CancelToken {
public:
    CancelToken() = default;
    CancelToken(const CancelToken&) = delete;
    CancelToken& operator=(const CancelToken&) = delete;

    // From any thread.
    void cancel();
    bool cancelled() const { return m_cancelled.load(std::memory_order_acquire); }
    // Only while no wait uses the token.
    void reset();
    // Signalled once cancelled; when the system could not make it (valid() false) only the
    // flag is set and waits end at their limits.
    const platform::WakeEvent& event() const { return m_event; }

private:
    platform::WakeEvent m_event;
    std::atomic<bool> m_cancelled{false};
};

// IPv4 dotted text -> address in network order; nullopt where inet_addr would fail
// (255.255.255.255 included, as the device protocol expects).
std::optional<std::uint32_t> parseIpv4(const std::string& dotted);

class UdpSocket {
public:
    // Creates the socket; on failure the object is empty (valid() == false).
    UdpSocket();
    bool valid() const { return m_socket.valid(); }
    bool setBroadcast() { return m_socket.setBroadcast(); }
    bool setReceiveTimeout(std::chrono::milliseconds timeout) {
        return m_socket.setReceiveTimeout(timeout);
    }
    bool setReceiveBuffer(int bytes) { return m_socket.setReceiveBuffer(bytes); }
    // For a fixed port: no other program may bind it too (see platform::Socket).
    bool setExclusiveAddress() { return m_socket.setExclusiveAddress(); }
    // The same without the system's ceiling where the process may; otherwise as large as the
    // ceiling allows. false when neither worked.
    bool enlargeReceiveBuffer(int bytes) { return m_socket.enlargeReceiveBuffer(bytes); }
    // What the kernel grants for queued datagrams (it doubles the requested value).
    int receiveBuffer() const { return m_socket.receiveBuffer(); }
    // Each received datagram then tells the interface it came in on.
    bool setReceiveInterface() { return m_socket.setReceiveInterface(); }
    // Each received datagram then tells when it came in.
    bool setArrivalTimes() { return m_socket.setArrivalTimes(); }
    bool bind(const std::string& address, std::uint16_t port);
    std::uint16_t localPort() const;
    bool sendTo(std::span<const std::uint8_t> bytes, const std::string& address,
                std::uint16_t port);
    // The same, leaving by the interface with index `interfaceIndex`: the way a limited
    // broadcast (255.255.255.255) reaches the segment of one network card rather than the
    // default route's.
    bool sendVia(std::span<const std::uint8_t> bytes, const std::string& address,
                 std::uint16_t port, unsigned interfaceIndex);
    // One datagram of at most buffer.size() bytes; -1 on failure or time-out.
    long receive(std::span<std::uint8_t> buffer) { return m_socket.receive(buffer); }
    // One datagram, waiting until `deadline` at most; -1 on failure or time-out.
    long receive(std::span<std::uint8_t> buffer, Deadline deadline);
    // Whatever datagrams are queued, up to the batch's capacity, without waiting: their
    // number (0 when none is queued), or -1 when the receive failed.
    long receiveQueued(DatagramBatch& batch) { return m_socket.receiveQueued(batch); }
    // Until a datagram is queued (or `wake` is signalled) or `deadline` passes; it ends on
    // time, unlike a receive time-out, which runs to the next timer tick. false on time-out.
    bool waitReadable(Deadline deadline, const platform::WakeEvent* wake = nullptr) const {
        return platform::waitReadable(m_socket, deadline, wake);
    }
    // The platform's socket, for tests that look beneath.
    const platform::Socket& socket() const { return m_socket; }
    void shutdownAndClose() { m_socket.shutdownAndClose(); }

private:
    platform::Socket m_socket;
};

// Why a connect gave no connection: the socket or its options could not be set up, or the
// device refused or did not answer within the limit.
enum class ConnectError { None, Socket, Options, Failed };

// A connected TCP stream to a device's configuration port, with 2000 ms send and receive
// limits. Move-only; closing happens on destruction.
class TcpConnection {
public:
    static constexpr std::chrono::milliseconds kIoLimit{2000};

    TcpConnection() = default;
    // Socket, options (receive then send limit), bounded non-blocking connect. A refusal is
    // reported at once; the time limit bounds an unanswered connect.
    // A cancelled `cancel` ends the wait at once as a connect that failed.
    static TcpConnection connect(const std::string& address, std::uint16_t port,
                                 std::chrono::milliseconds limit, ConnectError* error,
                                 const CancelToken* cancel = nullptr);
    bool connected() const { return m_socket.valid(); }
    // One send call, to a directly attached network only; false unless everything was sent.
    bool send(std::span<const std::uint8_t> bytes);
    // One receive call; returns bytes received, 0 on close, -1 on failure or time-out.
    long receiveSome(std::span<std::uint8_t> buffer);
    // The same, waiting at most `limit` (and never longer than the receive limit) for data;
    // -1 at once when `cancel` is (or becomes) cancelled.
    long receiveSome(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit,
                     const CancelToken* cancel = nullptr);
    void close() { m_socket.close(); }

private:
    explicit TcpConnection(platform::Socket socket) : m_socket(std::move(socket)) {}
    platform::Socket m_socket;
};

}  // namespace kvt
