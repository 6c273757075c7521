#include <condition_variable>
#include <mutex>

#include "NetFixture.h"
#include "core/discovery/ReportListener.h"
#include "support/ReportDatagram.h"

namespace kvt::test {
namespace {

using namespace std::chrono_literals;

// Collects what the listener thread reports, for the test thread to wait on.
struct Events {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<std::size_t, ReportRecord>> rows;
    int stopped = 0;

    ReportListener::RowUpdated onRow() {
        return [this](std::size_t index, const ReportRecord& record) {
            std::lock_guard lock(mutex);
            rows.emplace_back(index, record);
            changed.notify_all();
        };
    }
    ReportListener::Stopped onStopped() {
        return [this] {
            std::lock_guard lock(mutex);
            ++stopped;
            changed.notify_all();
        };
    }
    bool waitRows(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 3s, [&] { return rows.size() >= count; });
    }
    bool waitStopped(int count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 3s, [&] { return stopped >= count; });
    }
};

using kvt::test::reportDatagram;

class ReportListenerTest : public NetTest {
protected:
    void send(std::uint16_t port, const std::vector<std::uint8_t>& datagram) {
        ASSERT_TRUE(m_sender.sendTo(datagram, loopbackHost(1), port));
    }
    UdpSocket m_sender;
};

TEST_F(ReportListenerTest, KeepsOneRowPerMacAndCountsReports) {
    Events events;
    ReportListener listener(events.onRow(), events.onStopped(), loopbackHost(1));
    std::string error;
    ASSERT_TRUE(listener.start(16800, &error)) << error;
    EXPECT_TRUE(listener.listening());

    send(16800, reportDatagram(1, {10, 0, 0, 1}, "first"));
    ASSERT_TRUE(events.waitRows(1));
    send(16800, reportDatagram(2, {10, 0, 0, 2}, "second"));
    ASSERT_TRUE(events.waitRows(2));
    send(16800, reportDatagram(1, {10, 0, 0, 9}, "renamed"));  // same MAC, new address and name
    ASSERT_TRUE(events.waitRows(3));

    std::lock_guard lock(events.mutex);
    EXPECT_EQ(events.rows[0].first, 0u);
    EXPECT_EQ(events.rows[0].second.count, " 1");
    EXPECT_EQ(events.rows[0].second.previous, events.rows[0].second.latest);
    EXPECT_EQ(events.rows[1].first, 1u);
    EXPECT_EQ(events.rows[1].second.row, "2");
    EXPECT_EQ(events.rows[2].first, 0u);
    EXPECT_EQ(events.rows[2].second.count, " 2");
    EXPECT_EQ(events.rows[2].second.ip, "10.0.0.9");
    EXPECT_EQ(events.rows[2].second.name, "renamed");
    EXPECT_EQ(events.rows[2].second.mac, "00-1a-2b-3c-4d-01");

    const auto table = listener.snapshot();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0], events.rows[2].second);
    EXPECT_EQ(listener.datagramsReceived(), 3u);
}

TEST_F(ReportListenerTest, StopsWithinOneReceiveTimeoutAndRestartsEmptyOnANewPort) {
    Events events;
    ReportListener listener(events.onRow(), events.onStopped(), loopbackHost(1));
    ASSERT_TRUE(listener.start(16801));
    send(16801, reportDatagram(1, {10, 0, 0, 1}, "a"));
    ASSERT_TRUE(events.waitRows(1));

    const auto start = std::chrono::steady_clock::now();
    listener.stop();
    ASSERT_TRUE(events.waitStopped(1));
    EXPECT_LT(elapsedSince(start), 600ms);
    EXPECT_FALSE(listener.listening());

    // The old port is free again: its socket was closed when the thread went idle.
    UdpSocket probe;
    EXPECT_TRUE(probe.bind(loopbackHost(1), 16801));
    probe.shutdownAndClose();

    ASSERT_TRUE(listener.start(16802));
    EXPECT_TRUE(listener.snapshot().empty());
    send(16802, reportDatagram(3, {10, 0, 0, 3}, "c"));
    ASSERT_TRUE(events.waitRows(2));
    const auto table = listener.snapshot();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].row, "1");
    EXPECT_EQ(table[0].count, " 1");
}

TEST_F(ReportListenerTest, StartRightAfterStopWaitsForTheOldSocket) {
    Events events;
    ReportListener listener(events.onRow(), events.onStopped(), loopbackHost(1));
    ASSERT_TRUE(listener.start(16803));
    listener.stop();
    std::string error;
    EXPECT_TRUE(listener.start(16803, &error)) << error;  // same port: the old socket is gone
    EXPECT_FALSE(listener.start(16804, &error));          // already listening
    send(16803, reportDatagram(4, {1, 2, 3, 4}, "d"));
    EXPECT_TRUE(events.waitRows(1));
}

TEST_F(ReportListenerTest, BusyPortIsReportedAndLeavesTheListenerIdle) {
    UdpSocket occupant;
    ASSERT_TRUE(occupant.bind(loopbackHost(1), 16805));
    Events events;
    ReportListener listener(events.onRow(), events.onStopped(), loopbackHost(1));
    std::string error;
    platform::SystemError failure;
    EXPECT_FALSE(listener.start(16805, &error, &failure));
    EXPECT_NE(error.find("16805"), std::string::npos) << error;
    // What the report window tells apart from other failures: a port in use.
    EXPECT_TRUE(failure.addressInUse()) << failure.text();
    EXPECT_FALSE(listener.listening());
    EXPECT_EQ(events.stopped, 1);
}

TEST_F(ReportListenerTest, DestructorEndsAListeningThread) {
    Events events;
    const auto start = std::chrono::steady_clock::now();
    {
        ReportListener listener(events.onRow(), events.onStopped(), loopbackHost(1));
        ASSERT_TRUE(listener.start(16806));
    }
    EXPECT_LT(elapsedSince(start), 800ms);
    EXPECT_EQ(events.stopped, 0);  // nobody left to tell
}

// Simulated gateways configured to report to us show up as rows, one per device.
TEST_F(ReportListenerTest, ListsReportingSimulatedGateways) {
    std::vector<kvt::sim::DeviceSetup> setups;
    for (int host : {2, 3}) {
        auto setup = device(host, "gw" + std::to_string(host));
        CConfiguration config = newConfiguration(kBackgroundConfig);
        config.ethernet.ipAddress = setup.address;
        config.ethernet.networkName = setup.name;
        config.report.enabled = 1;
        config.report.targetIp = loopbackHost(1);
        config.report.port = 16807;
        config.report.period = 1;
        setup.configuration = config;
        setups.push_back(setup);
    }
    Events events;
    ReportListener listener(events.onRow(), events.onStopped(), loopbackHost(1));
    ASSERT_TRUE(listener.start(16807));
    startSimulator(setups);
    ASSERT_TRUE(waitFor([&] { return listener.snapshot().size() == 2; }, 3000ms));
    const auto table = listener.snapshot();
    std::vector<std::string> names{table[0].name, table[1].name};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"gw2", "gw3"}));
}

// A burst of reports reaches a batched owner in few calls: each call names a changed row once,
// in row order, with its state after the batch; together they end in the table's state.
TEST_F(ReportListenerTest, BatchesNameEachChangedRowOnceWithItsLatestState) {
    std::mutex mutex;
    std::condition_variable allSent;
    bool sent = false;
    std::vector<std::vector<ReportListener::RowUpdate>> batches;
    ReportListener listener(nullptr, nullptr, loopbackHost(1));
    listener.onRowsUpdated([&](std::vector<ReportListener::RowUpdate> updates) {
        std::unique_lock lock(mutex);
        batches.push_back(std::move(updates));
        // The first call holds the thread until the whole burst is queued in the socket.
        allSent.wait_for(lock, 3s, [&] { return sent; });
    });
    ASSERT_TRUE(listener.start(16808));
    constexpr std::size_t kDevices = 20;
    constexpr std::size_t kRounds = 10;
    for (std::size_t round = 0; round < kRounds; ++round)
        for (std::size_t d = 0; d < kDevices; ++d)
            send(16808, reportDatagram(static_cast<std::uint8_t>(d), {10, 0, 0, 1}, "r"));
    {
        std::lock_guard lock(mutex);
        sent = true;
    }
    allSent.notify_all();
    ASSERT_TRUE(waitFor([&] { return listener.datagramsReceived() == kDevices * kRounds; }));
    listener.stop();
    ASSERT_TRUE(waitFor([&] { return !listener.listening(); }));

    std::lock_guard lock(mutex);
    // The first report alone, then the queued rest in full batches: that is what lets a
    // window repaint once per batch rather than once per report.
    const std::size_t rest = kDevices * kRounds - 1;
    EXPECT_LE(batches.size(), 1 + (rest + ReportListener::kBatch - 1) / ReportListener::kBatch);
    std::vector<ReportRecord> last(kDevices);
    for (const auto& updates : batches) {
        ASSERT_FALSE(updates.empty());
        for (std::size_t i = 1; i < updates.size(); ++i)
            EXPECT_LT(updates[i - 1].index, updates[i].index);
        for (const auto& update : updates) {
            ASSERT_LT(update.index, kDevices);
            last[update.index] = update.record;
        }
    }
    EXPECT_EQ(last, listener.snapshot());
    EXPECT_EQ(last[0].count, "10");
}

// A stop wakes the thread out of its wait for reports instead of waiting for the receive
// time-out to pass.
TEST_F(ReportListenerTest, StopWakesAQuietListenerAtOnce) {
    Events events;
    ReportListener listener(events.onRow(), events.onStopped(), loopbackHost(1));
    ASSERT_TRUE(listener.start(16809));
    send(16809, reportDatagram(1, {10, 0, 0, 1}, "a"));
    ASSERT_TRUE(events.waitRows(1));  // the thread is inside its receive loop
    const auto start = std::chrono::steady_clock::now();
    listener.stop();
    ASSERT_TRUE(events.waitStopped(1));
    EXPECT_LT(elapsedSince(start), std::chrono::milliseconds(ReportListener::kReceiveTimeoutMs));
}

}  // namespace
}  // namespace kvt::test
