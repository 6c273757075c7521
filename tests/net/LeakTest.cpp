// Failed exchanges by the thousand, listener and search sockets opened and closed over and
// over: afterwards the process holds exactly the descriptors and threads it held before.
#ifdef _WIN32
#include <gtest/gtest.h>

TEST(LeakTest, Windows) {
    GTEST_SKIP() << "counts POSIX descriptors and threads of this process";
}
#else
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>

#include "HostilePeer.h"
#include "NetFixture.h"
#include "core/discovery/ReportListener.h"

namespace kvt::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint16_t kDevicePort = 18801;
constexpr int kRuns = 1000;

struct Counts {
    std::size_t fds = 0;
    std::size_t tasks = 0;
    bool operator==(const Counts&) const = default;
};

Counts countsNow() {
    return {entriesIn("/proc/self/fd"), entriesIn("/proc/self/task")};
}

void report(const char* what, int runs, Clock::time_point start, const Counts& counts) {
    std::printf("[  counts  ] %s: %d runs in %lld ms; %zu descriptors, %zu threads\n", what, runs,
                static_cast<long long>(elapsedSince(start).count()), counts.fds, counts.tasks);
}

// What each open descriptor is, for the message of a failed check.
std::string openDescriptors() {
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        text += " " + entry.path().filename().string() + "->" +
                std::filesystem::read_symlink(entry.path(), error).string();
    }
    return text;
}

// Peers wind down on their own threads (a closed connection is noticed within a poll slice),
// and a thousand threads leave the task list one by one, so the counts are given time to
// settle; on a busy machine that takes seconds.
void expectBackTo(const Counts& before) {
    EXPECT_TRUE(waitFor([&] { return countsNow() == before; }, 15000ms))
        << "descriptors " << countsNow().fds << " vs " << before.fds << ", threads "
        << countsNow().tasks << " vs " << before.tasks << "; open:" << openDescriptors();
}

enum class Exchange { Password, Read, Download, DownloadRemembered, Reset };

const char* nameOf(Exchange e) {
    switch (e) {
        case Exchange::Password:
            return "password check";
        case Exchange::Read:
            return "read";
        case Exchange::Download:
            return "download";
        case Exchange::DownloadRemembered:
            return "download, remembered password";
        case Exchange::Reset:
            return "reset";
    }
    return "";
}

// One exchange of kind `e` against the device selected in `session`, as the user starts it.
void runExchange(Exchange e, Session& session, ScriptedUi& ui) {
    switch (e) {
        case Exchange::Password:
            ui.passwords = {"pw"};
            session.devices[0].userPasswordSet = true;
            readConfiguration(session, kUserConfig, ui);
            session.devices[0].userPasswordSet = false;
            break;
        case Exchange::Read:
            readConfiguration(session, kUserConfig, ui);
            break;
        case Exchange::Download:
            session.newFill(kUserConfig);
            download(session, ui);
            break;
        case Exchange::DownloadRemembered:
            session.newFill(kUserConfig);
            session.configOrigin = ConfigOrigin::ReadFromDevice;
            session.readPassword = "pw";
            session.devices[0].userPasswordSet = true;
            download(session, ui);
            session.devices[0].userPasswordSet = false;
            break;
        case Exchange::Reset:
            ui.resetAnswer = true;
            remoteReset(session, ui);
            break;
    }
}

struct Expected {
    Exchange exchange;
    std::uint32_t message;
};

class LeakTest : public NetTest {
protected:
    Session sessionAt(int host) const {
        Session session = loopbackSession();
        selectDeviceAt(session, loopbackHost(host));
        return session;
    }

    // Runs every exchange kRuns times in turn on one session and checks that each ended with
    // exactly its message. Simulated peers are stopped before the counts are compared with
    // `before`: the simulator opens sockets of its own on its threads, at times of its own.
    void runAll(Session& session, const std::vector<Expected>& expected, const char* what,
                const Counts& before = countsNow()) {
        const auto start = Clock::now();
        for (const Expected& e : expected) {
            ScriptedUi ui;
            for (int i = 0; i < kRuns; ++i) runExchange(e.exchange, session, ui);
            EXPECT_EQ(ui.messages, std::vector<std::uint32_t>(kRuns, e.message))
                << nameOf(e.exchange);
            EXPECT_EQ(ui.resetQuestions, e.exchange == Exchange::Reset ? kRuns : 0);
        }
        m_sims.clear();
        expectBackTo(before);
        report(what, kRuns * static_cast<int>(expected.size()), start, countsNow());
    }
};

TEST_F(LeakTest, RefusedExchanges) {
    Session session = sessionAt(30);  // nothing listens there
    runAll(session,
           {{Exchange::Password, 4032},
            {Exchange::Read, 4019},
            {Exchange::Download, 5044},
            {Exchange::DownloadRemembered, 7001},
            {Exchange::Reset, 4032}},
           "refused exchanges");
}

TEST_F(LeakTest, ExchangesAnsweredWithTheWrongCode) {
    kvt::sim::DeviceSetup setup = device(31, "wrong");
    setup.userPassword = "pw";
    const Counts before = countsNow();
    auto& sim = startSimulator({setup}, 31);
    Session session = sessionAt(31);
    // Once right, to see the device answer; its own connections settle before counting.
    ScriptedUi warmUp;
    warmUp.passwords = {"pw"};
    session.devices[0].userPasswordSet = true;
    ASSERT_EQ(readConfiguration(session, kUserConfig, warmUp), Outcome::Done);
    session.devices[0].userPasswordSet = false;
    sim.setFault(0, {kvt::sim::Fault::Kind::WrongCode, 0});
    runAll(session,
           {{Exchange::Password, 4014},
            {Exchange::DownloadRemembered, 4014},
            {Exchange::Read, 4020},
            {Exchange::Download, 5047},
            {Exchange::Reset, 5065}},
           "exchanges answered with the wrong code", before);
}

// Time-outs against a peer that accepts and reads but never answers. Each takes its full
// limit, so they run side by side: `threads` threads, each with its own session.
struct Silent {
    const char* why;
    Exchange exchange;
    std::uint32_t message;
    int runs;
    int threads;
};

// Test names show the case, not the bytes of the parameter.
void PrintTo(const Silent& c, std::ostream* os) {
    *os << c.why;
}

class SilentPeerLeakTest : public LeakTest, public ::testing::WithParamInterface<Silent> {};

TEST_P(SilentPeerLeakTest, TimedOutExchanges) {
    const Silent& p = GetParam();
    const Counts before = countsNow();
    const auto start = Clock::now();
    std::map<std::uint32_t, int> messages;
    {
        SilentTcpPeer peer(loopbackHost(32), kDevicePort);
        ASSERT_TRUE(peer.ready());
        std::mutex mutex;
        std::vector<std::thread> threads;
        for (int t = 0; t < p.threads; ++t) {
            threads.emplace_back([&, t] {
                Session session = sessionAt(32);
                // What is checked is the reply's time-out. With hundreds of threads on a busy
                // machine a connecting thread may wait long to run again, and a connect taken
                // for failed would show its own message instead.
                session.network.connectTimeoutMs = 20000;
                ScriptedUi ui;
                for (int i = t; i < p.runs; i += p.threads) runExchange(p.exchange, session, ui);
                std::lock_guard lock(mutex);
                for (std::uint32_t id : ui.messages) ++messages[id];
            });
        }
        for (auto& t : threads) t.join();
        // The peer's thread may still be taking the last connections off its queue.
        EXPECT_TRUE(waitFor([&] { return peer.accepted() == p.runs; }, 10000ms))
            << peer.accepted() << " of " << p.runs << " connections accepted";
    }
    EXPECT_EQ(messages, (std::map<std::uint32_t, int>{{p.message, p.runs}}));
    expectBackTo(before);
    report(p.why, p.runs, start, countsNow());
}

INSTANTIATE_TEST_SUITE_P(Exchanges, SilentPeerLeakTest,
                         ::testing::Values(
                             // 2 s each for the 16-byte replies: 250 at a time, four rounds.
                             Silent{"passwordCheck", Exchange::Password, 7002, kRuns, 250},
                             Silent{"download", Exchange::Download, 5046, kRuns, 250},
                             Silent{"reset", Exchange::Reset, 5065, kRuns, 250},
                             // A read waits out eight receive calls and the seven pauses
                             // between them (17.4 s): all 1000 at once.
                             Silent{"read", Exchange::Read, 4020, kRuns, 1000}),
                         [](const auto& param) { return std::string(param.param.why); });

TEST_F(LeakTest, ReportListenerStartStopCycles) {
    constexpr int kListeners = 100;
    constexpr int kCyclesEach = kRuns / kListeners;
    constexpr std::uint16_t kPort = 16801;
    UdpSocket sender;
    std::vector<std::uint8_t> datagram(ReportTable::kDatagramSize, 0);
    datagram[41] = 1;

    // What the listener thread reports, for the test to wait on.
    std::mutex mutex;
    std::condition_variable changed;
    int rows = 0;
    int stops = 0;
    const auto waitUntil = [&](const int& counter, int value) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 3s, [&] { return counter >= value; });
    };

    const Counts before = countsNow();
    const auto start = Clock::now();
    int cycles = 0;
    for (int l = 0; l < kListeners; ++l) {
        ReportListener listener(
            [&](std::size_t, const ReportRecord&) {
                std::lock_guard lock(mutex);
                ++rows;
                changed.notify_all();
            },
            [&] {
                std::lock_guard lock(mutex);
                ++stops;
                changed.notify_all();
            },
            loopbackHost(1));
        for (int c = 0; c < kCyclesEach; ++c, ++cycles) {
            std::string error;
            const int rowsBefore = rows;
            const int stopsBefore = stops;
            ASSERT_TRUE(listener.start(kPort, &error)) << error << " in cycle " << cycles;
            ASSERT_TRUE(sender.sendTo(datagram, loopbackHost(1), kPort));
            ASSERT_TRUE(waitUntil(rows, rowsBefore + 1)) << "cycle " << cycles;
            listener.stop();
            // A report after the stop wakes the receive, so the stop is seen at once instead
            // of after the receive time-out.
            sender.sendTo(datagram, loopbackHost(1), kPort);
            ASSERT_TRUE(waitUntil(stops, stopsBefore + 1)) << "cycle " << cycles;
            EXPECT_FALSE(listener.listening());
        }
    }
    EXPECT_EQ(cycles, kRuns);
    expectBackTo(before);
    report("report listener start/stop cycles", cycles, start, countsNow());
}

TEST_F(LeakTest, BroadcastSearchOpenCloseCycles) {
    constexpr int kCycles = 200;
    constexpr int kSearchEvery = 20;
    const Counts before = countsNow();
    startSimulator({device(2, "gw")});
    const Session session = loopbackSession();
    const auto start = Clock::now();
    int found = 0;
    for (int i = 0; i < kCycles; ++i) {
        BroadcastSearch search(session.network);
        ASSERT_TRUE(search.open()) << "cycle " << i;
        // Now and then a whole query cycle, to see the socket work and close after use.
        if (i % kSearchEvery == 0) found += static_cast<int>(search.runCycle().size());
    }
    EXPECT_EQ(found, kCycles / kSearchEvery);
    m_sims.clear();
    expectBackTo(before);
    report("broadcast search open/close cycles", kCycles, start, countsNow());
}

}  // namespace
}  // namespace kvt::test
#endif
