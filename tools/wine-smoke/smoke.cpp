// Does the toolchain make programs that run under this machine's Wine? std::thread and
// std::mutex (the -posix thread model), Winsock start-up and a UDP datagram sent on loopback
// to the program's own socket and received by another thread. Prints one line per check and
// exits non-zero when one fails; it never waits longer than a few seconds.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++failures;
}

}  // namespace

int main() {
    // Threads: a worker hands a value back through a mutex and a condition variable.
    {
        std::mutex mutex;
        std::condition_variable changed;
        int value = 0;
        std::thread worker([&] {
            std::lock_guard lock(mutex);
            value = 42;
            changed.notify_one();
        });
        std::unique_lock lock(mutex);
        const bool seen =
            changed.wait_for(lock, std::chrono::seconds(5), [&] { return value == 42; });
        lock.unlock();
        worker.join();
        check(seen, "std::thread, std::mutex, std::condition_variable");
    }

    WSADATA wsa;
    check(WSAStartup(MAKEWORD(2, 2), &wsa) == 0, "WSAStartup 2.2");

    SOCKET receiver = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    SOCKET sender = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    check(receiver != INVALID_SOCKET && sender != INVALID_SOCKET, "two UDP sockets");

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    const bool bound = bind(receiver, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    int length = sizeof address;
    getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length);
    check(bound && address.sin_port != 0, "bind to 127.0.0.1, port chosen by the system");

    // Windows takes the receive time-out as a DWORD of milliseconds.
    const DWORD timeoutMs = 3000;
    setsockopt(receiver, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
               sizeof timeoutMs);

    std::string received;
    std::thread listener([&] {
        char buffer[64];
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int n = recvfrom(receiver, buffer, sizeof buffer, 0,
                               reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n > 0) received.assign(buffer, static_cast<std::size_t>(n));
    });
    const char message[] = "kvt640 wine smoke";
    const int sent = sendto(sender, message, static_cast<int>(std::strlen(message)), 0,
                            reinterpret_cast<sockaddr*>(&address), sizeof address);
    listener.join();
    check(sent == static_cast<int>(std::strlen(message)), "sendto 127.0.0.1");
    check(received == message, "recvfrom in another thread gets the datagram");

    closesocket(sender);
    closesocket(receiver);
    WSACleanup();
    std::printf("wine smoke: %s\n", failures == 0 ? "all passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
