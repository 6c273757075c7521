#pragma once
// Winsock pieces shared by the Windows backends that use sockets: start-up, socket creation
// with the options every socket needs, and WSAPoll on a deadline.
// winsock2.h first: windows.h would otherwise bring in the old winsock.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <chrono>

namespace kvt::platform::winsock {

// WSAStartup exactly once, before the first socket; Winsock stays up until the process ends.
inline bool started() {
    static const bool ok = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}

// A new IPv4 socket that child processes do not inherit. Overlapped, because without that
// flag SO_RCVTIMEO and SO_SNDTIMEO do not work on a WSASocket. UDP sockets get
// SIO_UDP_CONNRESET off: otherwise the ICMP "port unreachable" that one datagram to a closed
// port brings back fails the socket's next receive with WSAECONNRESET.
inline SOCKET openSocket(int type, int protocol) {
    if (!started()) return INVALID_SOCKET;
    const DWORD flags = WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT;
    SOCKET s = ::WSASocketW(AF_INET, type, protocol, nullptr, 0, flags);
    if (s == INVALID_SOCKET && ::WSAGetLastError() == WSAEINVAL) {
        // Windows 7 without SP1 does not know the no-inherit flag.
        s = ::WSASocketW(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_OVERLAPPED);
        if (s != INVALID_SOCKET)
            ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    }
    if (s != INVALID_SOCKET && type == SOCK_DGRAM) {
        BOOL report = FALSE;
        DWORD unused = 0;
        // Best effort: every Windows since XP knows it; without it only that trap remains.
        ::WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &unused, nullptr,
                   nullptr);
    }
    return s;
}

// WSAPoll until one of `fds` is ready or `deadline` passes; a deadline already passed still
// looks once. WSAPoll counts whole milliseconds and may return a little early, so the rest is
// rounded up and the wait goes on until the deadline has really passed. > 0 ready, 0 time-out,
// < 0 failure (WSAGetLastError).
inline int pollUntil(WSAPOLLFD* fds, ULONG count, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(
                            std::max(left, std::chrono::steady_clock::duration::zero()))
                            .count();
        const int ready = ::WSAPoll(fds, count, static_cast<INT>(std::min<long long>(ms, 1 << 30)));
        if (ready != 0 || ms == 0 || std::chrono::steady_clock::now() >= deadline) return ready;
    }
}

}  // namespace kvt::platform::winsock
