#pragma once
// Raw-socket client for the simulator tests: no core transport in between, so that the bytes on
// the wire are what the tests see.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
// getpid()
#include <process.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kvt::simtest {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Winsock's names for the few calls that differ; it must be started before the first socket.
#ifdef _WIN32
inline const bool kWinsockStarted = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();
inline int closeSocket(SOCKET s) {
    return ::closesocket(s);
}
inline int pollSockets(pollfd* p, unsigned long n, int ms) {
    return ::WSAPoll(p, n, ms);
}
inline bool lastErrorIsRefused() {
    return ::WSAGetLastError() == WSAECONNREFUSED;
}
constexpr int kNoSignal = 0;
constexpr int kCloseOnExec = 0;  // Windows sockets are not inherited unless asked for
using Descriptor = SOCKET;
constexpr Descriptor kNone = INVALID_SOCKET;
#else
inline int closeSocket(int fd) {
    return ::close(fd);
}
inline int pollSockets(pollfd* p, nfds_t n, int ms) {
    return ::poll(p, n, ms);
}
inline bool lastErrorIsRefused() {
    return errno == ECONNREFUSED;
}
constexpr int kNoSignal = MSG_NOSIGNAL;
constexpr int kCloseOnExec = SOCK_CLOEXEC;
using Descriptor = int;
constexpr Descriptor kNone = -1;
#endif

inline sockaddr_in address(const std::string& ip, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    return a;
}

inline Bytes hexBytes(const std::string& hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

inline Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes padded(const std::string& text, std::size_t size) {
    Bytes out(text.begin(), text.end());
    out.resize(size, 0);
    return out;
}

class TcpClient {
public:
    TcpClient(const std::string& ip, std::uint16_t port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | kCloseOnExec, 0);
        const sockaddr_in a = address(ip, port);
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
            m_refused = lastErrorIsRefused();
            closeSocket(m_fd);
            m_fd = kNone;
        }
    }
    ~TcpClient() {
        if (m_fd != kNone) closeSocket(m_fd);
    }
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    bool connected() const { return m_fd != kNone; }
    // Nobody listens there: the connection was refused (not timed out or failed otherwise).
    bool refused() const { return m_refused; }
    bool send(const Bytes& bytes) {
        return ::send(m_fd, reinterpret_cast<const char*>(bytes.data()),
                      static_cast<int>(bytes.size()),
                      kNoSignal) == static_cast<ssize_t>(bytes.size());
    }
    // One receive call within `limit`: the bytes, or empty with `closed` set on end of stream.
    Bytes receiveSome(std::chrono::milliseconds limit, bool* closed = nullptr) {
        if (closed) *closed = false;
        pollfd p{m_fd, POLLIN, 0};
        if (pollSockets(&p, 1, static_cast<int>(limit.count())) <= 0) return {};
        std::uint8_t buffer[2048];
        const ssize_t n = ::recv(m_fd, reinterpret_cast<char*>(buffer), sizeof buffer, 0);
        if (n <= 0) {
            if (closed) *closed = true;
            return {};
        }
        return Bytes(buffer, buffer + n);
    }
    // Collects until `size` bytes arrived, the peer closed, or `limit` passed.
    Bytes receive(std::size_t size, std::chrono::milliseconds limit = 3000ms,
                  int* calls = nullptr) {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (out.size() < size) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left <= 0ms) break;
            bool closed = false;
            const Bytes chunk = receiveSome(left, &closed);
            if (closed) break;
            if (chunk.empty()) continue;
            if (calls) ++*calls;
            out.insert(out.end(), chunk.begin(), chunk.end());
        }
        return out;
    }
    Bytes exchange(const Bytes& request, std::size_t replySize) {
        if (!send(request)) return {};
        return receive(replySize);
    }

private:
    Descriptor m_fd = kNone;
    bool m_refused = false;
};

class UdpClient {
public:
    UdpClient(const std::string& ip, std::uint16_t port = 0) {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | kCloseOnExec, 0);
        const int big = 1 << 20;
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&big), sizeof big);
        const sockaddr_in a = address(ip, port);
        m_bound = ::bind(m_fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    }
    ~UdpClient() { closeSocket(m_fd); }
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;
    bool bound() const { return m_bound; }
    bool sendTo(const Bytes& bytes, const std::string& ip, std::uint16_t port) {
        const sockaddr_in a = address(ip, port);
        return ::sendto(m_fd, reinterpret_cast<const char*>(bytes.data()),
                        static_cast<int>(bytes.size()), 0, reinterpret_cast<const sockaddr*>(&a),
                        sizeof a) == static_cast<ssize_t>(bytes.size());
    }
    // One datagram within `limit`, empty on time-out; `from` gets the sender's address.
    Bytes receive(std::chrono::milliseconds limit, std::string* from = nullptr) {
        pollfd p{m_fd, POLLIN, 0};
        if (pollSockets(&p, 1, static_cast<int>(limit.count())) <= 0) return {};
        std::uint8_t buffer[2048];
        sockaddr_in sender{};
        socklen_t length = sizeof sender;
        const ssize_t n = ::recvfrom(m_fd, reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&sender), &length);
        if (from) {
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &sender.sin_addr, text, sizeof text);
            *from = text;
        }
        return n > 0 ? Bytes(buffer, buffer + n) : Bytes{};
    }

private:
    Descriptor m_fd = kNone;
    bool m_bound = false;
};

}  // namespace kvt::simtest
