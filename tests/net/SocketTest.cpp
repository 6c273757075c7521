#ifdef _WIN32
// Without the COM headers, whose `interface` macro would break the interface records.
#define WIN32_LEAN_AND_MEAN
// winsock2.h first: windows.h would otherwise bring in the old winsock.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on
#else
#include <fcntl.h>
#include <sys/socket.h>
#endif

#include <array>
#include <fstream>

#include "NetFixture.h"
#include "core/net/Socket.h"
#include "core/platform/Interfaces.h"

namespace kvt::test {
namespace {

using namespace std::chrono_literals;

// The three accept sets the program relies on: inet_addr's (device fields; the broadcast
// address is its error value), the datagram targets' (the broadcast address too) and the
// four plain decimal parts of setup files, which also give the canonical text.
TEST(ParseIpv4, FollowsInetAddr) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> hostOrder;  // nullopt: refused by inet_addr
        bool target;                             // taken as a datagram target
        bool dottedQuad;                         // taken as four decimal parts
    };
    const Case cases[] = {
        {"192.168.1.10", 0xC0A8010A, true, true},
        {"0.0.0.0", 0, true, true},
        {"255.255.255.254", 0xFFFFFFFE, true, true},
        {"255.255.255.255", std::nullopt, true, true},  // inet_addr's error value
        {"10.1", 0x0A000001, true, false},              // the shorter forms inet_addr takes
        {"0x7f.1", 0x7F000001, true, false},
        {"010.0.0.1", 0x08000001, true, false},  // octal
        {"256.1.1.1", std::nullopt, false, false},
        {"1.2.3.4.5", std::nullopt, false, false},
        {"", std::nullopt, false, false},
        {"abc", std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        const auto parsed = parseIpv4(c.text);
        ASSERT_EQ(parsed.has_value(), c.hostOrder.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(platform::hostOrder(*parsed), *c.hostOrder) << c.text;
        }
        const auto target = platform::parseInetAton(c.text);
        EXPECT_EQ(target.has_value(), c.target) << c.text;
        if (target && parsed) {
            EXPECT_EQ(*target, *parsed) << c.text;
        }
        const auto quad = platform::parseDottedQuad(c.text);
        EXPECT_EQ(quad.has_value(), c.dottedQuad) << c.text;
        if (quad) {
            EXPECT_EQ(platform::dottedText(*quad), c.text);
        }
    }
}

// Whether a program this one starts would not get the socket.
bool closedOnExec(const platform::Socket& socket) {
#ifdef _WIN32
    DWORD flags = 0;
    return ::GetHandleInformation(reinterpret_cast<HANDLE>(socket.handle()), &flags) &&
           (flags & HANDLE_FLAG_INHERIT) == 0;
#else
    const int flags = ::fcntl(static_cast<int>(socket.handle()), F_GETFD);
    return flags >= 0 && (flags & FD_CLOEXEC) != 0;
#endif
}

// What another program does to share a port: the system's own SO_REUSEADDR.
bool askToShare(const platform::Socket& socket) {
#ifdef _WIN32
    const BOOL on = TRUE;
    return ::setsockopt(static_cast<SOCKET>(socket.handle()), SOL_SOCKET, SO_REUSEADDR,
                        reinterpret_cast<const char*>(&on), sizeof on) == 0;
#else
    const int on = 1;
    return ::setsockopt(static_cast<int>(socket.handle()), SOL_SOCKET, SO_REUSEADDR, &on,
                        sizeof on) == 0;
#endif
}

class SocketTest : public NetTest {};

// A listening socket on `host` of this process's block; its port in `port`.
platform::Socket listeningOn(int host, int backlog, std::uint16_t& port) {
    platform::Socket listener(platform::Socket::Kind::Tcp);
    if (!listener.bind({*parseIpv4(loopbackHost(host)), 0}) || !listener.listen(backlog)) return {};
    port = listener.localEndpoint()->port;
    return listener;
}

// Every way a socket comes into being: made, and accepted from a listener.
TEST_F(SocketTest, DescriptorsAreCloseOnExec) {
    UdpSocket udp;
    ASSERT_TRUE(udp.valid());
    EXPECT_TRUE(closedOnExec(udp.socket()));

    std::uint16_t port = 0;
    platform::Socket listener = listeningOn(2, 4, port);
    ASSERT_TRUE(listener);
    EXPECT_TRUE(closedOnExec(listener));
    ConnectError error{};
    TcpConnection connection = TcpConnection::connect(loopbackHost(2), port, 1000ms, &error);
    ASSERT_TRUE(connection.connected());
    EXPECT_EQ(error, ConnectError::None);
    ASSERT_TRUE(platform::waitReadable(listener, std::chrono::steady_clock::now() + 1s));
    const platform::Socket accepted = listener.accept();
    ASSERT_TRUE(accepted);
    EXPECT_TRUE(closedOnExec(accepted));
}

TEST_F(SocketTest, RefusalIsReportedWithoutWaitingForTheLimit) {
    const auto start = std::chrono::steady_clock::now();
    ConnectError error{};
    TcpConnection connection = TcpConnection::connect(loopbackHost(3), 18801, 5000ms, &error);
    EXPECT_FALSE(connection.connected());
    EXPECT_EQ(error, ConnectError::Failed);
    EXPECT_LT(elapsedSince(start), 1000ms);
}

TEST_F(SocketTest, AddressThatInetAddrRefusesFailsTheConnect) {
    ConnectError error{};
    EXPECT_FALSE(TcpConnection::connect("255.255.255.255", 18801, 500ms, &error).connected());
    EXPECT_EQ(error, ConnectError::Failed);
}

// A listener whose accept queue is full drops further SYNs, so a connect to it hangs.
TEST_F(SocketTest, UnansweredConnectEndsAtTheLimit) {
    std::uint16_t port = 0;
    const platform::Socket listener = listeningOn(4, 0, port);
    ASSERT_TRUE(listener);

    std::vector<TcpConnection> fillers;
    for (int i = 0; i < 8; ++i) {
        ConnectError error{};
        TcpConnection filler = TcpConnection::connect(loopbackHost(4), port, 200ms, &error);
        if (!filler.connected()) break;
        fillers.push_back(std::move(filler));
    }
    ASSERT_LT(fillers.size(), 8u) << "the accept queue never filled";

    const auto start = std::chrono::steady_clock::now();
    ConnectError error{};
    TcpConnection late = TcpConnection::connect(loopbackHost(4), port, 400ms, &error);
    const auto took = elapsedSince(start);
    EXPECT_FALSE(late.connected());
    EXPECT_EQ(error, ConnectError::Failed);
    EXPECT_GE(took, 390ms);
    EXPECT_LT(took, 1500ms);
}

TEST_F(SocketTest, SendToAClosedPeerFailsWithoutSignal) {
    std::uint16_t port = 0;
    platform::Socket listener = listeningOn(5, 4, port);
    ASSERT_TRUE(listener);
    TcpConnection connection = TcpConnection::connect(loopbackHost(5), port, 1000ms, nullptr);
    ASSERT_TRUE(connection.connected());
    platform::Socket peer = listener.accept();
    ASSERT_TRUE(peer);
    peer.close();  // the device goes away

    // The first send may still be accepted; the next ones meet the reset. SIGPIPE would end
    // the test process here.
    const std::vector<std::uint8_t> bytes(64, 0x55);
    bool failed = false;
    for (int i = 0; i < 20 && !failed; ++i) {
        failed = !connection.send(bytes);
        if (!failed) std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(failed);
    std::array<std::uint8_t, 16> buffer{};
    EXPECT_LE(connection.receiveSome(buffer), 0);
}

TEST_F(SocketTest, UdpReceiveTimesOut) {
    UdpSocket socket;
    ASSERT_TRUE(socket.setReceiveTimeout(100ms));
    ASSERT_TRUE(socket.bind(loopbackHost(6), 0));
    EXPECT_NE(socket.localPort(), 0);
    std::array<std::uint8_t, 8> buffer{};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(socket.receive(buffer), -1);
    // Windows reads a timeval as a DWORD of milliseconds: a 2 ms wait.
    EXPECT_GE(elapsedSince(start), 90ms);
    EXPECT_LT(elapsedSince(start), 1000ms);

    UdpSocket sender;
    ASSERT_TRUE(
        sender.sendTo(std::array<std::uint8_t, 3>{1, 2, 3}, loopbackHost(6), socket.localPort()));
    EXPECT_EQ(socket.receive(buffer), 3);
    // A longer datagram is cut to the buffer (Windows fails that receive with WSAEMSGSIZE).
    ASSERT_TRUE(
        sender.sendTo(std::vector<std::uint8_t>(12, 9), loopbackHost(6), socket.localPort()));
    EXPECT_EQ(socket.receive(buffer), 8);
}

// Windows cannot tell a socket's blocking mode, yet a connect leaves it as the caller set it,
// and a receive that must not wait does not wait either way.
TEST_F(SocketTest, ConnectKeepsTheBlockingMode) {
    std::uint16_t port = 0;
    const platform::Socket listener = listeningOn(17, 4, port);
    ASSERT_TRUE(listener);
    std::array<std::uint8_t, 4> buffer{};
    for (const bool nonBlocking : {true, false}) {
        platform::Socket socket(platform::Socket::Kind::Tcp);
        ASSERT_TRUE(socket.setNonBlocking(nonBlocking));
        ASSERT_TRUE(socket.setReceiveTimeout(150ms));
        ASSERT_TRUE(socket.connect({*parseIpv4(loopbackHost(17)), port},
                                   std::chrono::steady_clock::now() + 1s));
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(socket.receive(buffer), -1);
        EXPECT_TRUE(platform::SystemError::last().wouldBlock()) << nonBlocking;
        if (nonBlocking) {
            EXPECT_LT(elapsedSince(start), 100ms);
        } else {
            EXPECT_GE(elapsedSince(start), 140ms);
            EXPECT_LT(elapsedSince(start), 1000ms);
        }
        start = std::chrono::steady_clock::now();
        EXPECT_EQ(socket.receive(buffer, true), -1);
        EXPECT_TRUE(platform::SystemError::last().wouldBlock()) << nonBlocking;
        EXPECT_LT(elapsedSince(start), 100ms);
    }
}

// The records the search picks its interfaces from: loopback is there, up and without
// broadcast, and an interface that broadcasts has its subnet's broadcast address.
TEST(Ipv4Interfaces, DescribeTheSystemsInterfaces) {
    bool loopbackSeen = false;
    for (const platform::Ipv4Interface& i : platform::ipv4Interfaces()) {
        SCOPED_TRACE(i.name + " " + i.address);
        EXPECT_FALSE(i.name.empty());
        EXPECT_NE(i.index, 0u);
        const auto address = platform::parseDottedQuad(i.address);
        ASSERT_TRUE(address);
        ASSERT_TRUE(i.prefixLength >= 0 && i.prefixLength <= 32);
        if (i.canBroadcast) {
            const std::uint32_t hostBits = i.prefixLength == 32 ? 0 : ~0u >> i.prefixLength;
            EXPECT_EQ(i.broadcastAddress,
                      dottedHostOrder(platform::hostOrder(*address) | hostBits));
        }
        if (i.address == "127.0.0.1") {
            loopbackSeen = true;
            EXPECT_TRUE(i.loopback && i.up);
            EXPECT_FALSE(i.canBroadcast);
            EXPECT_EQ(i.prefixLength, 8);
        }
    }
    EXPECT_TRUE(loopbackSeen);
}

// A burst is taken out of the socket in one call, each datagram with its own length (cut at
// the batch's size) and the interface it came in on; an empty queue is not a failure.
TEST_F(SocketTest, QueuedDatagramsAreTakenInBatches) {
    UdpSocket socket;
    ASSERT_TRUE(socket.bind(loopbackHost(7), 0));
    ASSERT_TRUE(socket.setReceiveInterface());
    ASSERT_TRUE(socket.setArrivalTimes());
    DatagramBatch batch(4, 8);
    EXPECT_EQ(socket.receiveQueued(batch), 0);

    UdpSocket sender;
    // The interface list names interfaces by the index that sends and arrivals use.
    unsigned loopback = 0;
    for (const platform::Ipv4Interface& i : platform::ipv4Interfaces())
        if (i.loopback && i.address == "127.0.0.1") loopback = i.index;
    ASSERT_NE(loopback, 0u);
    for (std::uint8_t n = 1; n <= 6; ++n) {
        // Even datagrams leave by a named interface: the way a search picks its network card.
        const std::vector<std::uint8_t> bytes(std::size_t{n} * 2, n);
        ASSERT_TRUE(n % 2 == 0
                        ? sender.sendVia(bytes, loopbackHost(7), socket.localPort(), loopback)
                        : sender.sendTo(bytes, loopbackHost(7), socket.localPort()));
    }
    ASSERT_TRUE(socket.waitReadable(std::chrono::steady_clock::now() + 1s));
    ASSERT_EQ(socket.receiveQueued(batch), 4);
    EXPECT_EQ(batch.bytes(0).size(), 2u);
    EXPECT_EQ(batch.bytes(3).size(), 8u);  // 8 of its 8 bytes
    EXPECT_EQ(batch.bytes(3)[0], 4);
    EXPECT_EQ(batch.interfaceIndex(0), loopback);
    EXPECT_EQ(batch.interfaceIndex(1), loopback);
    ASSERT_TRUE(batch.arrival(0));
    EXPECT_LE(*batch.arrival(0), std::chrono::system_clock::now());
    EXPECT_GT(*batch.arrival(0), std::chrono::system_clock::now() - 60s);
    ASSERT_EQ(socket.receiveQueued(batch), 2);
    EXPECT_EQ(batch.bytes(1).size(), 8u);  // 12 bytes sent, cut to 8
    EXPECT_EQ(batch.bytes(1)[7], 6);
    EXPECT_EQ(socket.receiveQueued(batch), 0);
}

// A wait ends at its deadline, not at the next timer tick after it, and at once when the
// wake event is signalled, and again until it is drained.
TEST_F(SocketTest, WaitsEndOnTheirDeadline) {
    UdpSocket socket;
    ASSERT_TRUE(socket.bind(loopbackHost(8), 0));
    std::array<std::uint8_t, 8> buffer{};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(socket.receive(buffer, start + 150ms), -1);
    EXPECT_GE(elapsedSince(start), 150ms);

    const platform::WakeEvent wake;
    ASSERT_TRUE(wake.valid());
    wake.signal();
    start = std::chrono::steady_clock::now();
    EXPECT_TRUE(socket.waitReadable(start + 5s, &wake));
    EXPECT_TRUE(wake.wait(start + 5s));
    EXPECT_LT(elapsedSince(start), 1s);
    wake.drain();
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(socket.waitReadable(start + 100ms, &wake));
    EXPECT_GE(elapsedSince(start), 100ms);
}

TEST_F(SocketTest, ReceiveBufferCanBeEnlarged) {
    UdpSocket socket;
    const int before = socket.receiveBuffer();
    ASSERT_GT(before, 0);
    ASSERT_TRUE(socket.enlargeReceiveBuffer(before * 4));
    // Without the privilege to pass the system's ceiling the grant may stay lower.
    EXPECT_GE(socket.receiveBuffer(), before);
}

// Cancelled from another thread, a wait ends at once instead of at its limit, and stays
// cancelled for the waits after it until the token is reset.
TEST_F(SocketTest, CancelEndsWaitsAtOnce) {
    std::uint16_t port = 0;
    const platform::Socket silent = listeningOn(9, 4, port);
    ASSERT_TRUE(silent);
    std::uint16_t fullPort = 0;
    const platform::Socket full = listeningOn(10, 0, fullPort);
    ASSERT_TRUE(full);
    std::vector<TcpConnection> fillers;
    for (int i = 0; i < 8; ++i) {
        TcpConnection filler = TcpConnection::connect(loopbackHost(10), fullPort, 200ms, nullptr);
        if (!filler.connected()) break;
        fillers.push_back(std::move(filler));
    }
    ASSERT_LT(fillers.size(), 8u) << "the accept queue never filled";

    struct Wait {
        const char* what;
        std::function<bool(const CancelToken&)> run;  // true when it ended as cancelled
    };
    const Wait waits[] = {
        {"unanswered connect",
         [&](const CancelToken& token) {
             ConnectError error{};
             const bool connected =
                 TcpConnection::connect(loopbackHost(10), fullPort, 5000ms, &error, &token)
                     .connected();
             return !connected && error == ConnectError::Failed;
         }},
        {"receive from a silent peer",
         [&](const CancelToken& token) {
             TcpConnection connection =
                 TcpConnection::connect(loopbackHost(9), port, 1000ms, nullptr);
             std::array<std::uint8_t, 16> buffer{};
             return connection.connected() && connection.receiveSome(buffer, 2000ms, &token) < 0;
         }},
    };
    for (const Wait& wait : waits) {
        CancelToken token;
        ASSERT_TRUE(token.event().valid());
        const auto start = std::chrono::steady_clock::now();
        std::thread canceller([&] {
            std::this_thread::sleep_for(100ms);
            token.cancel();
        });
        EXPECT_TRUE(wait.run(token)) << wait.what;
        canceller.join();
        const auto took = elapsedSince(start);
        EXPECT_GE(took, 100ms) << wait.what;
        EXPECT_LT(took, 600ms) << wait.what;

        // Still cancelled: the next wait does not start.
        const auto again = std::chrono::steady_clock::now();
        EXPECT_TRUE(wait.run(token)) << wait.what;
        EXPECT_LT(elapsedSince(again), 300ms) << wait.what;
    }
}

// After a cancelled receive the connection is closed by its owner; the device sees the end.
TEST_F(SocketTest, PeerSeesTheCloseAfterACancel) {
    std::uint16_t port = 0;
    platform::Socket listener = listeningOn(12, 4, port);
    ASSERT_TRUE(listener);
    CancelToken token;
    platform::Socket peer;
    {
        TcpConnection connection = TcpConnection::connect(loopbackHost(12), port, 1000ms, nullptr);
        ASSERT_TRUE(connection.connected());
        peer = listener.accept();
        ASSERT_TRUE(peer);
        token.cancel();
        std::array<std::uint8_t, 16> buffer{};
        EXPECT_LT(connection.receiveSome(buffer, 2000ms, &token), 0);
    }
    std::array<std::uint8_t, 4> byte{};
    ASSERT_TRUE(platform::waitReadable(peer, std::chrono::steady_clock::now() + 1s));
    EXPECT_EQ(peer.receive(byte, true), 0);
}

// What Windows does unless each socket is told otherwise; the same behaviour on every system.

// A fixed port (search, report listener, simulator) stays ours: a second socket cannot bind
// it, not even one that asks to share it (Windows' SO_REUSEADDR would let that one in).
TEST_F(SocketTest, FixedPortsAreNotShared) {
    struct Case {
        const char* what;
        platform::Socket::Kind kind;
        bool (platform::Socket::*claim)();
    };
    const Case cases[] = {
        {"UDP, exclusive", platform::Socket::Kind::Udp, &platform::Socket::setExclusiveAddress},
        {"TCP listener, reused at restart", platform::Socket::Kind::Tcp,
         &platform::Socket::setReuseAddress},
    };
    const auto local = *parseIpv4(loopbackHost(13));
    for (const Case& c : cases) {
        platform::Socket holder(c.kind);
        ASSERT_TRUE((holder.*c.claim)()) << c.what;
        ASSERT_TRUE(holder.bind({local, 0})) << c.what;
        if (c.kind == platform::Socket::Kind::Tcp) {
            ASSERT_TRUE(holder.listen(4));
        }
        const platform::Endpoint taken{local, holder.localEndpoint()->port};
        for (const bool share : {false, true}) {
            platform::Socket intruder(c.kind);
            ASSERT_TRUE(!share || askToShare(intruder)) << c.what;
            EXPECT_FALSE(intruder.bind(taken)) << c.what << ", share " << share;
            EXPECT_TRUE(platform::SystemError::last().addressInUse())
                << c.what << ", share " << share << ": " << platform::SystemError::last().text();
        }
    }
}

// A datagram to a closed port brings back "port unreachable"; Windows fails the next receive
// of that socket with it, unless told not to.
TEST_F(SocketTest, UdpReceivesAfterSendingToAClosedPort) {
    UdpSocket closed;
    ASSERT_TRUE(closed.bind(loopbackHost(14), 0));
    const std::uint16_t closedPort = closed.localPort();
    closed.shutdownAndClose();

    UdpSocket socket;
    ASSERT_TRUE(socket.setReceiveTimeout(1000ms));
    ASSERT_TRUE(socket.bind(loopbackHost(15), 0));
    const std::array<std::uint8_t, 3> bytes{1, 2, 3};
    ASSERT_TRUE(socket.sendTo(bytes, loopbackHost(14), closedPort));
    std::this_thread::sleep_for(50ms);  // time for the unreachable message to come back
    UdpSocket peer;
    ASSERT_TRUE(peer.sendTo(bytes, loopbackHost(15), socket.localPort()));
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(socket.receive(buffer), 3) << platform::SystemError::last().text();
    // And the same for the batch receive.
    ASSERT_TRUE(socket.sendTo(bytes, loopbackHost(14), closedPort));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(peer.sendTo(bytes, loopbackHost(15), socket.localPort()));
    DatagramBatch batch(2, 8);
    ASSERT_TRUE(socket.waitReadable(std::chrono::steady_clock::now() + 1s));
    EXPECT_EQ(socket.receiveQueued(batch), 1) << platform::SystemError::last().text();
}

// A server loop's wait: a wake event signalled from another thread ends it at once, a
// datagram makes its socket ready, and an entry without a socket is never ready.
TEST_F(SocketTest, PollerEndsOnWakeAndOnData) {
    UdpSocket socket;
    ASSERT_TRUE(socket.bind(loopbackHost(16), 0));
    const platform::WakeEvent wake;
    ASSERT_TRUE(wake.valid());
    const platform::Socket none;
    platform::Poller poller;
    const auto noneEntry = poller.add(none, true);
    const auto socketEntry = poller.add(socket.socket(), true);
    const auto wakeEntry = poller.add(wake);

    const auto start = std::chrono::steady_clock::now();
    std::thread waker([&] {
        std::this_thread::sleep_for(100ms);
        wake.signal();
    });
    EXPECT_TRUE(poller.wait(5000ms));
    waker.join();
    EXPECT_LT(elapsedSince(start), 1000ms);
    EXPECT_TRUE(poller.ready(wakeEntry).readable);
    EXPECT_FALSE(poller.ready(socketEntry).any());
    EXPECT_FALSE(poller.ready(noneEntry).any());

    wake.drain();
    UdpSocket peer;
    ASSERT_TRUE(peer.sendTo(std::array<std::uint8_t, 1>{7}, loopbackHost(16), socket.localPort()));
    EXPECT_TRUE(poller.wait(5000ms));
    EXPECT_TRUE(poller.ready(socketEntry).readable);
    EXPECT_FALSE(poller.ready(wakeEntry).any());
    EXPECT_FALSE(poller.ready(noneEntry).any());
}

}  // namespace
}  // namespace kvt::test
