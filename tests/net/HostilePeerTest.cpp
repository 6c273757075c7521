// A misbehaving gateway on loopback: oversized, trickled, late and reset replies, discovery and
// report floods. Each case checks the outcome the user sees, its time bound, and that the
// process is still healthy afterwards: no descriptor or thread left behind (the fixture) and a
// normal exchange with a well-behaved simulated gateway still works.
#ifdef _WIN32
#include <gtest/gtest.h>

TEST(HostilePeerTest, Windows) {
    GTEST_SKIP() << "the hostile peers are raw POSIX sockets beneath the platform layer";
}
#else
#include <netinet/tcp.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "HostilePeer.h"
#include "NetFixture.h"
#include "core/config/DeviceImage.h"
#include "core/device/Messages.h"
#include "core/discovery/ReportListener.h"

namespace kvt::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint16_t kDevicePort = 18801;
constexpr auto kIo = TcpConnection::kIoLimit;  // each receive call: 2000 ms
constexpr int kImageAttempts = 8;
// Between two receive attempts of an image that is still incomplete.
constexpr auto kPause = 200ms;
// Scheduling slack for one bounded wait, generous enough for sanitizer builds on a busy box.
constexpr auto kMargin = 400ms;
// A peer's own sends never block for longer than this.
constexpr timeval kSendLimit{2, 0};

void note(const char* what, std::chrono::milliseconds took) {
    std::printf("[  timing  ] %s: %lld ms\n", what, static_cast<long long>(took.count()));
}

Bytes header(std::uint32_t code, std::uint32_t length) {
    Bytes bytes(8, 0);
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(code >> (24 - 8 * i));
        bytes[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    }
    return bytes;
}

Bytes withJunk(Bytes head, std::size_t total) {
    for (std::size_t i = head.size(); i < total; ++i)
        head.push_back(static_cast<std::uint8_t>(i * 131 + 7));
    return head;
}

// The 60-byte user image as a device sends it in reply to a read (code 0x25).
Bytes userReadReply() {
    Bytes image = buildImage(newConfiguration(kUserConfig), kUserConfig);
    image[3] = static_cast<std::uint8_t>(kCmdReadUser);
    return image;
}

// The 164-byte background image as a device sends it in reply to a read (code 0x05).
Bytes backgroundReadReply() {
    Bytes image = buildImage(newConfiguration(kBackgroundConfig), kBackgroundConfig);
    image[3] = static_cast<std::uint8_t>(kCmdReadBackground);
    return image;
}

Bytes passwordOk(std::uint32_t code) {
    return withJunk(header(code, 8), kReplySize);
}

// Sends `bytes` one at a time, `pause` apart, until all went or the tool has gone.
void trickle(PeerConnection& peer, const Bytes& bytes, std::chrono::milliseconds pause) {
    for (std::uint8_t byte : bytes) {
        if (peer.toolClosedWithin(pause)) return;
        if (!peer.send({byte})) return;
    }
    peer.toolClosedWithin(5s);
}

class HostilePeerTest : public NetTest {
protected:
    Session sessionAt(int host, bool userPassword = false) const {
        Session session = loopbackSession();
        selectDeviceAt(session, loopbackHost(host), userPassword);
        return session;
    }

    // The process still serves a well-behaved gateway after the hostile one.
    void expectHealthy() {
        constexpr int kHealthyHost = 60;
        startSimulator({device(kHealthyHost, "healthy")}, kHealthyHost);
        Session session = loopbackSession(kHealthyHost);
        ASSERT_EQ(searchByAddress(session, loopbackHost(kHealthyHost)), Outcome::Done);
        ASSERT_EQ(session.selectRow(0), Session::Selection::Supported);
        ScriptedUi ui;
        EXPECT_EQ(readConfiguration(session, kBackgroundConfig, ui), Outcome::Done);
        EXPECT_TRUE(ui.messages.empty());
        ASSERT_TRUE(session.config);
        EXPECT_EQ(session.config->ethernet.networkName, "healthy");
    }
};

// --- Oversized replies --------------------------------------------------------------------

struct Oversized {
    const char* why;
    Bytes head;
    bool succeeds;
    std::uint32_t message;  // 0: none
    int pauses;             // between receive attempts of an image still incomplete
};

// Test names show the case, not the bytes of the parameter.
void PrintTo(const Oversized& c, std::ostream* os) {
    *os << c.why;
}

class OversizedReplyTest : public HostilePeerTest,
                           public ::testing::WithParamInterface<Oversized> {};

TEST_P(OversizedReplyTest, ReadIsBoundedInBytesAndTime) {
    constexpr std::size_t kFlood = 64 * 1024;
    const Bytes reply = withJunk(GetParam().head, kFlood);
    {
        HostileTcpPeer peer(loopbackHost(10), kDevicePort, [&](PeerConnection& c, int) {
            if (!c.read(8)) return;
            ::setsockopt(c.fd(), SOL_SOCKET, SO_SNDTIMEO, &kSendLimit, sizeof kSendLimit);
            c.send(reply);  // may fail once the tool has read its fill and closed
            c.toolClosedWithin(5s);
        });
        ASSERT_TRUE(peer.ready());
        Session session = sessionAt(10);
        ScriptedUi ui;
        const auto start = Clock::now();
        EXPECT_EQ(readConfiguration(session, kUserConfig, ui) == Outcome::Done,
                  GetParam().succeeds);
        const auto took = elapsedSince(start);
        note(GetParam().why, took);
        // Every receive finds data waiting, so none of them waits for its limit: the time is
        // the pauses between them.
        const auto pauses = GetParam().pauses * kPause;
        EXPECT_GE(took, pauses - 50ms);
        EXPECT_LT(took, pauses + kIo);
        if (GetParam().message) {
            EXPECT_EQ(ui.messages, std::vector<std::uint32_t>{GetParam().message});
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
    }
    // What the read keeps of the same bytes, fed in receive-sized chunks: 1216 at most.
    ImageAccumulator accumulator;
    for (std::size_t at = 0; at < reply.size(); at += kAccumulationLimit)
        accumulator.append(
            std::span(reply).subspan(at, std::min(kAccumulationLimit, reply.size() - at)));
    EXPECT_EQ(accumulator.bytes().size(), kAccumulationLimit);
    EXPECT_EQ(accumulator.complete(), GetParam().head[6] != 0xFF);
    expectHealthy();
}

INSTANTIATE_TEST_SUITE_P(
    Replies, OversizedReplyTest,
    ::testing::Values(
        // A right header followed by junk: the image is its first 60 bytes.
        Oversized{"rightLengthThenJunk", header(kCmdReadUser, 52), true, 0, 0},
        // The length says 65535: eight receive calls, all answered, never complete.
        Oversized{"hugeLength", header(kCmdReadUser, 0xFFFF), false, 4021, kImageAttempts - 1},
        Oversized{"wrongCode", header(kCmdWriteUser, 0xFFFF), false, 4020, kImageAttempts - 1}),
    [](const auto& param) { return std::string(param.param.why); });

// --- Images in many segments ---------------------------------------------------------

// How a peer cuts the image: `head` bytes first, then `headPause`, then pieces of `piece`
// bytes, `pause` apart. The times are taken from one start, so a peer that is scheduled late
// does not fall further and further behind.
struct Pieces {
    const char* why;
    std::size_t head;
    std::chrono::milliseconds headPause;
    std::size_t piece;
    std::chrono::milliseconds pause;
    std::chrono::milliseconds atLeast;
    std::chrono::milliseconds atMost;
};

void PrintTo(const Pieces& c, std::ostream* os) {
    *os << c.why;
}

class ImageInPiecesTest : public HostilePeerTest, public ::testing::WithParamInterface<Pieces> {};

TEST_P(ImageInPiecesTest, IsAssembledWhileThePeerKeepsSending) {
    const Pieces& p = GetParam();
    const Bytes image = backgroundReadReply();
    // A loaded machine can only add time to a read: a run over the upper bound is tried again
    // (the fastest of up to three counts), while the bounds themselves stay as they are.
    constexpr int kTries = 3;
    {
        HostileTcpPeer peer(
            loopbackHost(17), kDevicePort,
            [&](PeerConnection& c, int) {
                if (!c.read(8)) return;
                const int on = 1;  // every piece its own segment
                ::setsockopt(c.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                const auto start = Clock::now();
                auto due = start + p.headPause;
                if (!c.send(Bytes(image.begin(), image.begin() + static_cast<long>(p.head))))
                    return;
                for (std::size_t at = p.head; at < image.size(); at += p.piece, due += p.pause) {
                    const auto left =
                        std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
                    if (c.toolClosedWithin(std::max(left, 0ms))) return;
                    const std::size_t end = std::min(image.size(), at + p.piece);
                    if (!c.send(Bytes(image.begin() + static_cast<long>(at),
                                      image.begin() + static_cast<long>(end))))
                        return;
                }
                c.toolClosedWithin(5s);
            },
            kTries);
        ASSERT_TRUE(peer.ready());
        auto fastest = std::chrono::milliseconds::max();
        for (int run = 0; run < kTries && fastest > p.atMost; ++run) {
            Session session = sessionAt(17);
            ScriptedUi ui;
            const auto start = Clock::now();
            EXPECT_EQ(readConfiguration(session, kBackgroundConfig, ui), Outcome::Done);
            const auto took = elapsedSince(start);
            note(p.why, took);
            EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
            ASSERT_TRUE(session.config);
            EXPECT_EQ(buildImage(*session.config, kBackgroundConfig).size(), kBackgroundImageSize);
            // Every run waits at least as long as the pieces take to come.
            EXPECT_GE(took, p.atLeast);
            fastest = std::min(fastest, took);
        }
        EXPECT_LE(fastest, p.atMost);
    }
    expectHealthy();
}

// 164 bytes: the last piece leaves the peer at (pieces - 1) x pause after the first; the read
// ends at the first attempt after that, at most one pause later.
INSTANTIATE_TEST_SUITE_P(
    Images, ImageInPiecesTest,
    ::testing::Values(
        // Complete at the first receive: no pause at all.
        Pieces{"oneSegment", kBackgroundImageSize, 0ms, 1, 0ms, 0ms, kPause - 50ms},
        // 24 segments of 7 bytes 50 ms apart, as a slow TCP stack sends them: more segments
        // than receive attempts, so only the pauses let them gather.
        Pieces{"sevenByteSegments50msApart", 7, 50ms, 7, 50ms, 23 * 50ms - 50ms,
               23 * 50ms + kPause + kMargin},
        // Header alone, payload a second later in one piece: the second attempt waits for it.
        Pieces{"headerThenPayload1sLater", 8, 1000ms, kBackgroundImageSize, 0ms, 1000ms - 50ms,
               1000ms + kPause + kMargin},
        // Header alone, then the payload in 39 pieces of 4 bytes, 30 ms apart.
        Pieces{"headerThenPayloadIn4BytePieces", 8, 30ms, 4, 30ms, 39 * 30ms - 50ms,
               39 * 30ms + kPause + kMargin}),
    [](const auto& param) { return std::string(param.param.why); });

// --- Slow and late peers, run side by side -----------------------------------------------

struct SlowCase {
    const char* why;
    int host;
    HostileTcpPeer::Script script;
    int connections;
    std::function<void(Session&, ScriptedUi&)> run;
    std::vector<std::uint32_t> messages;
    std::chrono::milliseconds atLeast;
    std::chrono::milliseconds atMost;
    bool passwordProtected = false;
};

TEST_F(HostilePeerTest, SlowAndLatePeersStayWithinTheirBounds) {
    const auto read = [](Session& s, ScriptedUi& ui) { readConfiguration(s, kUserConfig, ui); };
    const auto byteEvery = 1900ms;
    std::vector<SlowCase> cases;
    // Twelve bytes of a promised 65535, then silence: one answered receive and seven that
    // time out, each after a pause.
    cases.push_back({"fewBytesOfAHugeLength",
                     11,
                     [](PeerConnection& c, int) {
                         if (!c.read(8)) return;
                         c.send(withJunk(header(kCmdReadUser, 0xFFFF), 12));
                         c.toolClosedWithin(30s);
                     },
                     1,
                     read,
                     {4021},
                     (kImageAttempts - 1) * (kIo + kPause) - kMargin,
                     (kImageAttempts - 1) * (kIo + kPause) + kImageAttempts * kMargin});
    // An image trickled a byte every 1.9 s: each of the eight receives gets one byte (the
    // pauses fall inside the gaps between the bytes).
    cases.push_back({"imageByteEvery1.9s",
                     12,
                     [&](PeerConnection& c, int) {
                         if (c.read(8)) trickle(c, userReadReply(), byteEvery);
                     },
                     1,
                     read,
                     {4021},
                     kImageAttempts * byteEvery - kMargin,
                     kImageAttempts * (byteEvery + kMargin)});
    // A 16-byte reply gets 2 s in all, however it is cut up; one byte is judged as it is.
    cases.push_back({"passwordReplyByteEvery1.9s",
                     13,
                     [&](PeerConnection& c, int) {
                         if (c.read(28)) trickle(c, passwordOk(kCmdUserPassword), byteEvery);
                     },
                     1,
                     [](Session& s, ScriptedUi& ui) {
                         ui.passwords = {"pw"};
                         readConfiguration(s, kUserConfig, ui);
                     },
                     {4014},
                     byteEvery - kMargin,
                     kIo + kMargin,
                     true});
    cases.push_back({"acknowledgementByteEvery1.9s",
                     14,
                     [&](PeerConnection& c, int) {
                         if (c.read(kUserImageSize))
                             trickle(c, withJunk(header(kCmdWriteUser, 8), 16), byteEvery);
                     },
                     1,
                     [](Session& s, ScriptedUi& ui) {
                         s.newFill(kUserConfig);
                         ui.resetAnswer = true;
                         EXPECT_FALSE(download(s, ui).acknowledged());
                         EXPECT_EQ(ui.resetQuestions, 0);
                     },
                     {5047},
                     byteEvery - kMargin,
                     kIo + kMargin});
    cases.push_back({"resetReplyByteEvery1.9s",
                     15,
                     [&](PeerConnection& c, int) {
                         if (c.read(16)) trickle(c, withJunk(header(kCmdReset, 8), 16), byteEvery);
                     },
                     1,
                     [](Session& s, ScriptedUi& ui) {
                         ui.resetAnswer = true;
                         remoteReset(s, ui);
                     },
                     {5065},
                     byteEvery - kMargin,
                     kIo + kMargin});
    // The first password check is answered only after 2.5 s: the dialog reports 7002 and
    // stays usable; the second attempt is answered at once and the read goes on over it.
    cases.push_back({"passwordReplyAfter2.5s",
                     16,
                     [](PeerConnection& c, int index) {
                         if (index == 0) {
                             if (!c.read(28)) return;
                             std::this_thread::sleep_until(Clock::now() + 2500ms);
                             c.send(passwordOk(kCmdUserPassword));
                             return;
                         }
                         if (!c.read(28) || !c.send(passwordOk(kCmdUserPassword))) return;
                         if (c.read(8)) c.send(userReadReply());
                         c.toolClosedWithin(5s);
                     },
                     2,
                     [](Session& s, ScriptedUi& ui) {
                         ui.passwords = {"late", "pw"};
                         EXPECT_EQ(readConfiguration(s, kUserConfig, ui), Outcome::Done);
                         EXPECT_EQ(ui.passwordDialogs, 1);
                         EXPECT_EQ(s.readPassword, "pw");
                         EXPECT_TRUE(s.selectedDevice()->passwordSet(kUserConfig));
                     },
                     {7002},
                     kIo - kMargin,
                     2500ms + kIo + kMargin,
                     true});

    std::mutex printing;
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (const SlowCase& c : cases) {
        threads.emplace_back([&, c] {
            HostileTcpPeer peer(loopbackHost(c.host), kDevicePort, c.script, c.connections);
            ASSERT_TRUE(peer.ready()) << c.why;
            Session session = sessionAt(c.host, c.passwordProtected);
            ScriptedUi ui;
            const auto began = Clock::now();
            c.run(session, ui);
            const auto took = elapsedSince(began);
            std::lock_guard lock(printing);
            note(c.why, took);
            EXPECT_EQ(ui.messages, c.messages) << c.why;
            EXPECT_GE(took, c.atLeast) << c.why;
            EXPECT_LE(took, c.atMost) << c.why;
        });
    }
    for (auto& t : threads) t.join();
    note("all slow peers side by side", elapsedSince(start));
    expectHealthy();
}

// --- Connection reset in the middle of a reply --------------------------------------------

enum class Exchange { Read, Download, Reset, Password };

struct ResetCase {
    const char* why;
    Exchange exchange;
    std::size_t requestSize;
    Bytes before;  // what the peer sends before the reset
    std::uint32_t message;
};

void PrintTo(const ResetCase& c, std::ostream* os) {
    *os << c.why;
}

class ResetMidReplyTest : public HostilePeerTest,
                          public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetMidReplyTest, EndsAtOnceWithTheMessageOfWhatArrived) {
    const ResetCase& c = GetParam();
    {
        HostileTcpPeer peer(loopbackHost(20), kDevicePort, [&](PeerConnection& p, int) {
            if (!p.read(c.requestSize)) return;
            if (!c.before.empty()) {
                p.send(c.before);
                p.sentBytesAcknowledged();
            }
            p.abortOnClose();
        });
        ASSERT_TRUE(peer.ready());
        Session session = sessionAt(20, c.exchange == Exchange::Password);
        ScriptedUi ui;
        ui.resetAnswer = true;
        const auto start = Clock::now();
        switch (c.exchange) {
            case Exchange::Read:
                EXPECT_NE(readConfiguration(session, kUserConfig, ui), Outcome::Done);
                break;
            case Exchange::Password:
                ui.passwords = {"pw"};
                EXPECT_NE(readConfiguration(session, kUserConfig, ui), Outcome::Done);
                break;
            case Exchange::Download:
                session.newFill(kUserConfig);
                EXPECT_FALSE(download(session, ui).acknowledged());
                EXPECT_EQ(ui.resetQuestions, 0);
                break;
            case Exchange::Reset:
                remoteReset(session, ui);
                break;
        }
        const auto took = elapsedSince(start);
        note(c.why, took);
        EXPECT_LT(took, kIo);  // a reset is noticed at once, not after a time-out
        EXPECT_EQ(ui.messages, std::vector<std::uint32_t>{c.message});
    }
    expectHealthy();
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ResetMidReplyTest,
    ::testing::Values(ResetCase{"readBeforeAnyByte", Exchange::Read, 8, {}, 4020},
                      // The right code arrived, the image did not: the receive failed.
                      ResetCase{"readAfterHeader", Exchange::Read, 8,
                                withJunk(header(kCmdReadUser, 52), 18), 4021},
                      ResetCase{"ackBeforeAnyByte", Exchange::Download, kUserImageSize, {}, 5046},
                      ResetCase{
                          "ackAfterTwoBytes", Exchange::Download, kUserImageSize, {0, 0}, 5047},
                      ResetCase{"resetBeforeAnyByte", Exchange::Reset, 16, {}, 5065},
                      ResetCase{"resetAfterTwoBytes", Exchange::Reset, 16, {0, 0}, 5065},
                      ResetCase{"passwordBeforeAnyByte", Exchange::Password, 28, {}, 7002}),
    [](const auto& param) { return std::string(param.param.why); });

// --- Discovery floods ---------------------------------------------------------------------

// Datagram `i` of a flood: 0..67 bytes; the short ones carry the right code, the longer ones
// a wrong one. None of them is a valid reply.
Bytes malformedDiscovery(std::size_t i) {
    const std::size_t length = i % 68;
    static const std::uint32_t kWrongCodes[] = {0x00000004, 0x03000000, 0xFFFFFFFF, 0x00000000,
                                                0x00000103};
    const std::uint32_t code = length <= 15 ? 3u : kWrongCodes[i % 5];
    Bytes bytes = withJunk(header(code, 0), std::max<std::size_t>(length, 8));
    bytes.resize(length);
    return bytes;
}

TEST_F(HostilePeerTest, DiscoveryFloodDuringABroadcastSearch) {
    Session session = loopbackSession();
    startSimulator({device(2, "alpha"), device(3, "beta")});

    std::atomic<bool> searching{true};
    std::atomic<std::size_t> sent{0};
    std::thread flood([&] {
        UdpSocket sender;
        const auto end = Clock::now() + 15s;  // without a bound the search would never end
        for (std::size_t i = 0; searching && Clock::now() < end; ++i) {
            if (sender.sendTo(malformedDiscovery(i), session.network.localAddress,
                              session.network.localPort))
                ++sent;
            std::this_thread::sleep_for(400us);  // pacing, not a wait for anything
        }
    });
    const auto start = Clock::now();
    auto records = runBroadcastSearch(session.network, nullptr, {});
    const auto took = elapsedSince(start);
    searching = false;
    flood.join();
    note("broadcast search under a flood", took);
    std::printf("[  counts  ] malformed datagrams sent during the search: %zu\n", sent.load());

    EXPECT_GE(sent.load(), 1000u);
    std::sort(records.begin(), records.end(),
              [](const CEquipment& a, const CEquipment& b) { return a.name < b.name; });
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "alpha");
    EXPECT_EQ(records[0].ipAddress, loopbackHost(2));
    EXPECT_EQ(records[1].name, "beta");
    EXPECT_EQ(records[1].ipAddress, loopbackHost(3));
    // First tick, then one cycle: its receive loop is cut at the cycle limit and ends with at
    // most one more receive window.
    EXPECT_LE(took,
              std::chrono::milliseconds(BroadcastSearch::kTickMs + BroadcastSearch::kCycleLimitMs +
                                        BroadcastSearch::kReceiveWindowMs) +
                  kMargin);
    expectHealthy();
}

std::array<std::uint8_t, 68> validDiscoveryReply();

// An empty datagram is a malformed reply like any other: it must not end the cycle before
// the devices' replies are read.
TEST_F(HostilePeerTest, EmptyDatagramDoesNotEndTheCycle) {
    const Session session = loopbackSession();
    UdpSocket peer;
    ASSERT_TRUE(peer.setReceiveTimeout(3000ms));
    ASSERT_TRUE(peer.bind(session.network.discoveryTarget, session.network.discoveryPort));
    BroadcastSearch search(session.network);
    ASSERT_TRUE(search.open());
    std::thread answering([&] {
        std::array<std::uint8_t, 8> query{};
        if (peer.receive(query) != 8) return;
        peer.sendTo(Bytes{}, session.network.localAddress, session.network.localPort);
        peer.sendTo(validDiscoveryReply(), session.network.localAddress, session.network.localPort);
    });
    const auto records = search.runCycle();
    answering.join();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].ipAddress, "10.0.0.9");
}

std::array<std::uint8_t, 68> validDiscoveryReply() {
    std::array<std::uint8_t, 68> reply{};
    reply[3] = 3;
    reply[9] = 0x02;
    reply[10] = 0x0B;
    reply[11] = 0xD7;
    reply[36] = 10;
    reply[39] = 9;
    return reply;
}

TEST_F(HostilePeerTest, SearchByAddressTakesOnlyTheFirstReply) {
    const std::vector<Bytes> malformed = {
        {}, {0, 0, 0}, withJunk(header(4, 0), 68), withJunk(header(0x03000000, 0), 68)};
    for (const Bytes& first : malformed) {
        Session session = loopbackSession();
        CEquipment earlier;
        earlier.name = "earlier";
        session.devices.assign(1, earlier);
        session.selectRow(0);

        UdpSocket peer;
        ASSERT_TRUE(peer.setReceiveTimeout(3000ms));
        ASSERT_TRUE(peer.bind(loopbackHost(7), session.network.discoveryPort));
        std::thread answering([&] {
            std::array<std::uint8_t, 8> query{};
            if (peer.receive(query) != 8) return;
            // The malformed reply, then a valid one and a flood that come too late to count.
            peer.sendTo(first, session.network.localAddress, session.network.localPort);
            peer.sendTo(validDiscoveryReply(), session.network.localAddress,
                        session.network.localPort);
            for (std::size_t i = 0; i < 500; ++i)
                peer.sendTo(malformedDiscovery(i), session.network.localAddress,
                            session.network.localPort);
        });
        const auto start = Clock::now();
        EXPECT_EQ(searchByAddress(session, loopbackHost(7)), Outcome::SearchWrongReply)
            << first.size() << " bytes";
        EXPECT_LT(elapsedSince(start), kIo);
        answering.join();
        ASSERT_EQ(session.devices.size(), 1u);
        EXPECT_EQ(session.devices[0].name, "earlier");
        EXPECT_EQ(session.selectedIndex, -1);
    }
    expectHealthy();
}

// --- Report floods ------------------------------------------------------------------------

Bytes reportFrom(std::size_t device) {
    Bytes datagram(ReportTable::kDatagramSize, 0);
    const std::uint8_t mac[6] = {
        0x02, 0, 0, 0, static_cast<std::uint8_t>(device >> 8), static_cast<std::uint8_t>(device)};
    std::copy(std::begin(mac), std::end(mac), datagram.begin() + 36);
    datagram[44] = 10;
    datagram[47] = static_cast<std::uint8_t>(device);
    const std::string name = "d" + std::to_string(device);
    std::copy(name.begin(), name.end(), datagram.begin() + 56);
    return datagram;
}

std::string macText(std::size_t device) {
    char text[32];
    std::snprintf(text, sizeof text, "02-00-00-00-%02x-%02x", static_cast<unsigned>(device >> 8),
                  static_cast<unsigned>(device & 0xFF));
    return text;
}

TEST_F(HostilePeerTest, ReportFloodFromAThousandDevices) {
    constexpr std::size_t kDevices = 1000;
    constexpr std::size_t kRounds = 2;
    constexpr std::uint16_t kPort = 16800;
    ReportListener listener(nullptr, nullptr, loopbackHost(1));
    std::string error;
    ASSERT_TRUE(listener.start(kPort, &error)) << error;

    // Sent in batches that the listener drains before the next, so that the socket buffer
    // never overflows and every report must be counted.
    UdpSocket sender;
    std::size_t sent = 0;
    for (std::size_t round = 0; round < kRounds; ++round) {
        for (std::size_t d = 0; d < kDevices; ++d) {
            ASSERT_TRUE(sender.sendTo(reportFrom(d), loopbackHost(1), kPort));
            ++sent;
            if (sent % 50 == 0) {
                ASSERT_TRUE(waitFor([&] { return listener.datagramsReceived() == sent; }))
                    << listener.datagramsReceived() << " of " << sent;
            }
        }
    }
    ASSERT_TRUE(waitFor([&] { return listener.datagramsReceived() == sent; }));

    const auto rows = listener.snapshot();
    // Far more than the product's 255: every device is listed.
    ASSERT_EQ(rows.size(), kDevices);
    EXPECT_EQ(listener.devicesNotListed(), 0u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].mac, macText(i));
        EXPECT_EQ(rows[i].row, std::to_string(i + 1));
        EXPECT_EQ(rows[i].count, " 2");
        EXPECT_EQ(rows[i].name, "d" + std::to_string(i));
    }

    // Stop while the flood goes on: the loop looks at the request after every datagram.
    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        UdpSocket s;
        for (std::size_t d = 0; flooding; d = (d + 1) % kDevices) {
            s.sendTo(reportFrom(d), loopbackHost(1), kPort);
            std::this_thread::sleep_for(200us);
        }
    });
    ASSERT_TRUE(waitFor([&] { return listener.datagramsReceived() > sent + 100; }));
    auto start = Clock::now();
    listener.stop();
    EXPECT_TRUE(waitFor([&] { return !listener.listening(); }, 1000ms));
    auto took = elapsedSince(start);
    flooding = false;
    flood.join();
    note("listener stop under a flood", took);
    EXPECT_LT(took, std::chrono::milliseconds(ReportListener::kReceiveTimeoutMs));
    EXPECT_EQ(listener.snapshot().size(), kDevices);

    // A fresh start empties the table; a quiet stop is seen within one receive time-out.
    ASSERT_TRUE(listener.start(kPort, &error)) << error;
    EXPECT_TRUE(listener.snapshot().empty());
    // One report proves the thread is inside its receive loop before the stop.
    ASSERT_TRUE(sender.sendTo(reportFrom(1), loopbackHost(1), kPort));
    ASSERT_TRUE(waitFor([&] { return listener.datagramsReceived() == 1; }));
    start = Clock::now();
    listener.stop();
    EXPECT_TRUE(waitFor([&] { return !listener.listening(); }, 1000ms));
    took = elapsedSince(start);
    note("listener stop when quiet", took);
    EXPECT_LE(took, std::chrono::milliseconds(ReportListener::kReceiveTimeoutMs) + kMargin);
    expectHealthy();
}

}  // namespace
}  // namespace kvt::test
#endif
