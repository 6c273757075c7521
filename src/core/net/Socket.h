#pragma once
// Thin RAII layer over POSIX sockets: every descriptor is closed on every path, every
// descriptor is close-on-exec, sends never raise SIGPIPE, connects are bounded.
#include <sys/socket.h>
#include <sys/uio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvt {

using Deadline = std::chrono::steady_clock::time_point;

// Waits until `fd` is readable (or `wakeFd`, when given, is), or `deadline` passes. The wait
// runs on the kernel's high-resolution timer, so it ends on time; a socket's SO_RCVTIMEO is
// rounded up to the scheduler's timer ticks and may run 20 ms and more over. false on time-out.
bool waitReadable(int fd, Deadline deadline, int wakeFd = -1);

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

// Lets one thread end another's socket waits at once: cancel() sets the flag and makes the
// token's descriptor readable, which every wait polls beside its socket. A cancelled token
// stays cancelled until reset(), so every later wait of the same work ends at once too.
class CancelToken {
public:
    CancelToken();
    ~CancelToken() = default;
    CancelToken(const CancelToken&) = delete;
    CancelToken& operator=(const CancelToken&) = delete;

    // From any thread.
    void cancel();
    bool cancelled() const { return m_cancelled.load(std::memory_order_acquire); }
    // Only while no wait uses the token.
    void reset();
    // Readable once cancelled; -1 when the descriptor could not be made (then only the flag
    // is set and waits end at their limits).
    int waitFd() const { return m_event.get(); }

private:
    Fd m_event;
    std::atomic<bool> m_cancelled{false};
};

// IPv4 dotted text -> address in network order; nullopt where inet_addr would fail
// (255.255.255.255 included, as the device protocol expects).
std::optional<std::uint32_t> parseIpv4(const std::string& dotted);

// Room for many datagrams, filled by one receive call (recvmmsg): a burst of replies is taken
// out of the socket buffer far faster than one call per datagram would.
class DatagramBatch {
public:
    // `capacity` datagrams of at most `datagramSize` bytes each (longer ones are cut).
    DatagramBatch(std::size_t capacity, std::size_t datagramSize);
    ~DatagramBatch();
    DatagramBatch(const DatagramBatch&) = delete;
    DatagramBatch& operator=(const DatagramBatch&) = delete;

    std::size_t capacity() const { return m_capacity; }
    // Datagrams of the last receive.
    std::size_t size() const { return m_size; }
    std::span<const std::uint8_t> bytes(std::size_t i) const;
    // The interface the datagram arrived on (its kernel index); 0 unless the socket asked
    // for it with setReceiveInterface().
    unsigned interfaceIndex(std::size_t i) const;
    // When the kernel took the datagram in (wall clock); nullopt unless the socket asked for
    // it with setArrivalTimes().
    std::optional<std::chrono::system_clock::time_point> arrival(std::size_t i) const;

private:
    friend class UdpSocket;
    void prepare();

    std::size_t m_capacity;
    std::size_t m_datagramSize;
    std::size_t m_size = 0;
    std::vector<std::uint8_t> m_data;
    std::vector<std::uint8_t> m_control;  // room for IP_PKTINFO and a time stamp per datagram
    std::vector<iovec> m_iov;
    std::vector<mmsghdr> m_headers;
};

class UdpSocket {
public:
    // Creates the socket; on failure the object is empty (valid() == false).
    UdpSocket();
    bool valid() const { return static_cast<bool>(m_fd); }
    bool setBroadcast();
    bool setReceiveTimeout(std::chrono::milliseconds timeout);
    bool setReceiveBuffer(int bytes);
    // The same without the system's ceiling (net.core.rmem_max) where the process may
    // (CAP_NET_ADMIN); otherwise as large as the ceiling allows. false when neither worked.
    bool enlargeReceiveBuffer(int bytes);
    // What the kernel grants for queued datagrams (it doubles the requested value).
    int receiveBuffer() const;
    // Each received datagram then tells the interface it came in on.
    bool setReceiveInterface();
    // Each received datagram then tells when it came in.
    bool setArrivalTimes();
    bool bind(const std::string& address, std::uint16_t port);
    std::uint16_t localPort() const;
    bool sendTo(std::span<const std::uint8_t> bytes, const std::string& address,
                std::uint16_t port);
    // The same, leaving by the interface with kernel index `interfaceIndex`: the way a limited
    // broadcast (255.255.255.255) reaches the segment of one network card rather than the
    // default route's.
    bool sendVia(std::span<const std::uint8_t> bytes, const std::string& address,
                 std::uint16_t port, unsigned interfaceIndex);
    // One datagram of at most buffer.size() bytes; -1 on failure or time-out.
    long receive(std::span<std::uint8_t> buffer);
    // One datagram, waiting until `deadline` at most; -1 on failure or time-out.
    long receive(std::span<std::uint8_t> buffer, Deadline deadline);
    // Whatever datagrams are queued, up to the batch's capacity, without waiting: their
    // number (0 when none is queued), or -1 when the receive failed.
    long receiveQueued(DatagramBatch& batch);
    int fd() const { return m_fd.get(); }
    void shutdownAndClose();

private:
    Fd m_fd;
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
    bool connected() const { return static_cast<bool>(m_fd); }
    // One send call with MSG_DONTROUTE | MSG_NOSIGNAL; false unless everything was sent.
    bool send(std::span<const std::uint8_t> bytes);
    // One receive call; returns bytes received, 0 on close, -1 on failure or time-out.
    long receiveSome(std::span<std::uint8_t> buffer);
    // The same, waiting at most `limit` (and never longer than the receive limit) for data;
    // -1 at once when `cancel` is (or becomes) cancelled.
    long receiveSome(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit,
                     const CancelToken* cancel = nullptr);
    void close() { m_fd.reset(); }

private:
    explicit TcpConnection(Fd fd) : m_fd(std::move(fd)) {}
    Fd m_fd;
};

}  // namespace kvt
