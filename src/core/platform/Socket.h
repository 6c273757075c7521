#pragma once
// IPv4 sockets as the program needs them: UDP with sends by a chosen interface and the
// interface (and time) each datagram came in on, bursts taken in one call, TCP with a bounded,
// cancellable connect, waits that end on time or when a WakeEvent is signalled, and a Poller
// for loops that serve many sockets. The system's socket types stay in the backend.
// Every socket is close-on-exec (not inherited, on Windows), no send raises SIGPIPE, and calls
// a signal interrupted are restarted. Windows sockets also report no ICMP "port unreachable"
// on a later UDP receive, and cut a long datagram to the buffer as POSIX does. A failed call
// returns false or -1; SystemError::last() then says why.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/platform/Address.h"
#include "core/platform/SystemError.h"
#include "core/platform/WakeEvent.h"

namespace kvt::platform {

using Deadline = std::chrono::steady_clock::time_point;

class DatagramBatch;

class Socket {
public:
    // Wide enough for a POSIX descriptor and a Windows SOCKET.
    using Handle = std::intptr_t;
    static constexpr Handle kNone = -1;
    enum class Kind { Udp, Tcp };

    Socket() = default;
    // A new socket; invalid (SystemError::last() says why) when the system refused one.
    explicit Socket(Kind kind);
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : m_handle(other.m_handle) { other.m_handle = kNone; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool valid() const { return m_handle != kNone; }
    explicit operator bool() const { return valid(); }
    // The system's handle, for tests that drive a socket directly.
    Handle handle() const { return m_handle; }
    void close();
    // Ends both directions first, so a peer or a waiting thread sees the end at once.
    void shutdownAndClose();

    bool setNonBlocking(bool on);
    bool setBroadcast();
    // A fixed port is bound again at once after a restart. On Windows, whose SO_REUSEADDR
    // would let any other program bind the same port and take its datagrams, this is
    // SO_EXCLUSIVEADDRUSE instead (Windows binds again at once without help): no other
    // socket may bind the port while this one holds it.
    bool setReuseAddress();
    // No other socket may bind this port while this one holds it. POSIX refuses a second
    // bind unless both sockets ask to share, so only Windows needs to be told
    // (SO_EXCLUSIVEADDRUSE). Before bind.
    bool setExclusiveAddress();
    // Small writes leave at once, each its own segment.
    bool setNoDelay();
    bool setReceiveTimeout(std::chrono::milliseconds timeout);
    bool setSendTimeout(std::chrono::milliseconds timeout);
    bool setReceiveBuffer(int bytes);
    // The same past the system's ceiling where the process may; otherwise as large as the
    // ceiling allows (Windows has no ceiling: SO_RCVBUF alone). false when neither worked.
    bool enlargeReceiveBuffer(int bytes);
    // What the system grants for queued data.
    int receiveBuffer() const;
    // Each received datagram then tells the interface it came in on (DatagramBatch).
    bool setReceiveInterface();
    // Each received datagram then tells when it came in (DatagramBatch). Windows stamps no
    // datagram: there it is the time the receive took it from the queue.
    bool setArrivalTimes();

    bool bind(const Endpoint& local);
    bool listen(int backlog);
    // The next waiting connection, non-blocking and close-on-exec; invalid when none waits.
    Socket accept(Endpoint* peer = nullptr);
    std::optional<Endpoint> localEndpoint() const;

    // Connects a TCP socket, waiting until `deadline` at most; a refusal ends the wait at once,
    // and so does `wake` when signalled (then the result is false too). The socket's blocking
    // mode is as before afterwards.
    bool connect(const Endpoint& remote, Deadline deadline, const WakeEvent* wake = nullptr);

    // Bytes sent or -1. `dontRoute`: to a host on a directly attached network only.
    long send(std::span<const std::uint8_t> bytes, bool dontRoute = false);
    long sendTo(std::span<const std::uint8_t> bytes, const Endpoint& to);
    // The same, leaving by the interface with index `interfaceIndex`: the way a limited
    // broadcast reaches the segment of one network card rather than the default route's.
    long sendVia(std::span<const std::uint8_t> bytes, const Endpoint& to, unsigned interfaceIndex);
    // The same, leaving from the local address `source` (network byte order): a socket bound
    // to all addresses answers from the address it was asked at.
    long sendFrom(std::span<const std::uint8_t> bytes, const Endpoint& to, std::uint32_t source);
    // Bytes received, 0 when the peer closed, -1 on failure or time-out. `dontWait`: -1 with
    // SystemError::last().wouldBlock() at once when nothing is queued.
    long receive(std::span<std::uint8_t> buffer, bool dontWait = false);
    // `destination`, when given, gets the address the datagram was sent to (one of ours, or a
    // broadcast address); it needs setReceiveInterface(), else it is 0.
    long receiveFrom(std::span<std::uint8_t> buffer, Endpoint* from,
                     std::uint32_t* destination = nullptr);
    // Whatever datagrams are queued, up to the batch's capacity, without waiting: their number
    // (0 when none is queued), or -1 when the receive failed.
    long receiveQueued(DatagramBatch& batch);

private:
    Handle m_handle = kNone;
};

// Until `socket` is readable (or `wake`, when given, is signalled) or `deadline` passes, on
// the system's high-resolution timer, so it ends on time (a socket's receive time-out is
// rounded up to timer ticks and may run 20 ms and more over). Windows waits in whole
// milliseconds and may run over by a timer tick, but never ends early. false on time-out.
bool waitReadable(const Socket& socket, Deadline deadline, const WakeEvent* wake = nullptr);
// Until `socket` can take more data or `deadline` passes.
bool waitWritable(const Socket& socket, Deadline deadline);

// Whether this system binds a UDP socket asked for on a loopback address other than 127.0.0.1
// to every address (Wine does): two UDP sockets on different loopback addresses then cannot
// share a port, as they can on Linux and Windows. Found out once, by trying.
bool udpLoopbackBindsAllAddresses();

// Room for many datagrams, filled by one receive call: a burst is taken out of the socket
// buffer far faster than one call per datagram would.
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
    std::span<const std::uint8_t> bytes(std::size_t i) const {
        return {m_data.data() + i * m_datagramSize, m_lengths[i]};
    }
    // The interface the datagram came in on (its index); 0 unless the socket asked for it
    // with setReceiveInterface().
    unsigned interfaceIndex(std::size_t i) const;
    // When the system took the datagram in (wall clock); nullopt unless the socket asked for
    // it with setArrivalTimes().
    std::optional<std::chrono::system_clock::time_point> arrival(std::size_t i) const;

private:
    friend class Socket;
    struct Headers;  // the backend's per-datagram bookkeeping

    std::size_t m_capacity;
    std::size_t m_datagramSize;
    std::size_t m_size = 0;
    std::vector<std::uint8_t> m_data;
    std::vector<std::size_t> m_lengths;
    std::unique_ptr<Headers> m_headers;
};

// Waits for any of many sockets and wake events at once (a server loop). Entries are added
// anew before each wait; their numbers are the order of adding.
class Poller {
public:
    struct Ready {
        bool readable = false;
        bool writable = false;
        bool closed = false;  // hung up or failed: a read now tells which
        bool any() const { return readable || writable || closed; }
    };

    void clear() { m_entries.clear(); }
    // An invalid socket takes a number but is never ready.
    std::size_t add(const Socket& socket, bool read, bool write = false) {
        m_entries.push_back({socket.handle(), read, write, {}});
        return m_entries.size() - 1;
    }
    std::size_t add(const WakeEvent& event) {
        m_entries.push_back({event.pollHandle(), true, false, {}});
        return m_entries.size() - 1;
    }
    // Until something is ready or `timeout` passes (no limit without one); false when the wait
    // itself failed.
    bool wait(std::optional<std::chrono::milliseconds> timeout);
    Ready ready(std::size_t entry) const { return m_entries[entry].ready; }

private:
    struct Entry {
        Socket::Handle handle;
        bool read;
        bool write;
        Ready ready;
    };
    std::vector<Entry> m_entries;
};

}  // namespace kvt::platform
