#include "core/platform/WakeEvent.h"
#include "core/platform/Winsock_win32.h"

namespace kvt::platform {

namespace {

// A UDP socket on 127.0.0.1 with a port of its own, non-blocking.
SOCKET loopbackSocket(sockaddr_in& local) {
    const SOCKET s = winsock::openSocket(SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return s;
    local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof local;
    u_long nonBlocking = 1;
    if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

}  // namespace

// Windows waits on sockets only (WSAPoll), and it has no eventfd: the event is a pair of
// loopback UDP sockets connected to each other, so that no other program's datagram can
// signal it. A queued datagram is the signal.
WakeEvent::WakeEvent() {
    sockaddr_in receiverAddress{};
    sockaddr_in senderAddress{};
    const SOCKET receiver = loopbackSocket(receiverAddress);
    const SOCKET sender =
        receiver != INVALID_SOCKET ? loopbackSocket(senderAddress) : INVALID_SOCKET;
    if (sender == INVALID_SOCKET ||
        ::connect(receiver, reinterpret_cast<sockaddr*>(&senderAddress), sizeof senderAddress) !=
            0 ||
        ::connect(sender, reinterpret_cast<sockaddr*>(&receiverAddress), sizeof receiverAddress) !=
            0) {
        const int error = ::WSAGetLastError();
        if (receiver != INVALID_SOCKET) ::closesocket(receiver);
        if (sender != INVALID_SOCKET) ::closesocket(sender);
        ::WSASetLastError(error);
        return;
    }
    m_handles = {static_cast<Handle>(receiver), static_cast<Handle>(sender)};
}

WakeEvent::~WakeEvent() {
    if (!valid()) return;
    ::closesocket(static_cast<SOCKET>(m_handles[0]));
    ::closesocket(static_cast<SOCKET>(m_handles[1]));
}

void WakeEvent::signal() const {
    if (!valid()) return;
    // A full queue is signalled already, so a send that would block changes nothing.
    const char one = 1;
    ::send(static_cast<SOCKET>(m_handles[1]), &one, 1, 0);
}

void WakeEvent::drain() const {
    if (!valid()) return;
    char pending[64];
    while (::recv(static_cast<SOCKET>(m_handles[0]), pending, sizeof pending, 0) > 0) {
    }
}

bool WakeEvent::wait(std::chrono::steady_clock::time_point deadline) const {
    if (!valid()) {
        // Nothing can signal it: only the deadline ends the wait.
        ::Sleep(static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(
                                       std::max(deadline - std::chrono::steady_clock::now(),
                                                std::chrono::steady_clock::duration::zero()))
                                       .count()));
        return false;
    }
    WSAPOLLFD polled{static_cast<SOCKET>(m_handles[0]), POLLRDNORM, 0};
    return winsock::pollUntil(&polled, 1, deadline) > 0;
}

}  // namespace kvt::platform
