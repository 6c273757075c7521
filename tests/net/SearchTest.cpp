#include <atomic>

#include "NetFixture.h"
#include "core/config/DeviceTexts.h"
#include "core/discovery/DiscoveryCodec.h"
#include "core/text/UiText.h"

namespace kvt::test {
namespace {

using namespace std::chrono_literals;
using kvt::sim::DeviceSetup;
using kvt::sim::Fault;

class SearchTest : public NetTest {};

TEST_F(SearchTest, BroadcastListsEveryDeviceOfTheFirstAnsweredQuery) {
    DeviceSetup plain = device(2, "alpha");
    DeviceSetup locked = device(3, "beta");
    locked.userPassword = "u";
    locked.adminPassword = "a";
    locked.remoteAllowed = false;
    locked.firmwareMajor = 1;
    locked.firmwareMinor = 10;
    DeviceSetup foreign = device(4, "gamma");
    foreign.productCode = 0x010203;
    auto& sim = startSimulator({plain, locked, foreign});

    const Bench session = loopbackSession();
    std::vector<int> bar;
    const auto start = std::chrono::steady_clock::now();
    const auto records =
        runBroadcastSearch(session.network, nullptr, [&](int value) { bar.push_back(value); });
    const auto took = elapsedSince(start);

    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(sim.discoveryQueries(), 1u);
    EXPECT_EQ(bar, std::vector<int>{20});
    // One tick before the query, one silent receive window after the last reply.
    EXPECT_GE(took, 640ms);
    EXPECT_LT(took, 2000ms);

    EXPECT_EQ(records[0].rowNumber, " 1");
    EXPECT_EQ(records[0].name, "alpha");
    EXPECT_EQ(modelText(records[0]), "KVT-275R");
    EXPECT_EQ(records[0].ipAddress, loopbackHost(2));
    EXPECT_EQ(records[0].macAddress, "02-00-00-00-00-02");
    EXPECT_EQ(passwordSetText(records[0].userPasswordSet), uiText(8003));
    EXPECT_EQ(remoteConfigText(records[0]), uiText(8004));
    EXPECT_EQ(records[1].rowNumber, " 2");
    EXPECT_EQ(records[1].firmwareVersion, "1.10");
    EXPECT_EQ(passwordSetText(records[1].userPasswordSet), uiText(8002));
    EXPECT_EQ(passwordSetText(records[1].adminPasswordSet), uiText(8002));
    EXPECT_EQ(remoteConfigText(records[1]), uiText(8005));
    EXPECT_EQ(records[2].rowNumber, " 3");
    EXPECT_EQ(modelText(records[2]), uiText(8000));
    EXPECT_EQ(nameText(records[2]), uiText(8001));
}

TEST_F(SearchTest, SilenceMeansFiveQueriesAndAnEmptyList) {
    DeviceSetup mute = device(2, "mute");
    mute.fault.kind = Fault::Kind::NoAnswer;
    auto& sim = startSimulator({mute});

    std::vector<int> bar;
    const auto start = std::chrono::steady_clock::now();
    const auto records = runBroadcastSearch(loopbackSession().network, nullptr,
                                            [&](int value) { bar.push_back(value); });
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(sim.discoveryQueries(), 5u);
    EXPECT_EQ(bar, (std::vector<int>{20, 40, 60, 80, 100}));
    EXPECT_GE(elapsedSince(start), 300ms + 5 * 350ms);
}

TEST_F(SearchTest, CancelEndsAfterTheRunningCycle) {
    DeviceSetup mute = device(2, "mute");
    mute.fault.kind = Fault::Kind::NoAnswer;
    auto& sim = startSimulator({mute});

    std::atomic<bool> cancel{false};
    // Esc pressed while the first cycle waits: the cycle finishes, no second query follows.
    const auto records =
        runBroadcastSearch(loopbackSession().network, &cancel, [&](int) { cancel = true; });
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(sim.discoveryQueries(), 1u);

    // Esc before the first tick: no query at all.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(runBroadcastSearch(loopbackSession().network, &cancel, {}).empty());
    EXPECT_EQ(sim.discoveryQueries(), 1u);
    EXPECT_LT(elapsedSince(start), 300ms);
}

TEST_F(SearchTest, BusyLocalPortEndsTheSearchSilently) {
    Bench session = loopbackSession();
    UdpSocket occupant;
    ASSERT_TRUE(occupant.bind(session.network.localAddress, session.network.localPort));
    BroadcastSearch search(session.network);
    EXPECT_FALSE(search.open());
    EXPECT_TRUE(search.runCycle().empty());
    EXPECT_FALSE(search.lastQuerySent());
}

// Replies that arrive only after their cycle's window belong to no cycle; the first cycle
// that gets a valid reply numbers its rows from 1. A peer of our own answers the second query.
TEST_F(SearchTest, RepliesOfALaterCycleAreNumberedFromOne) {
    const Bench session = loopbackSession();
    UdpSocket peer;
    ASSERT_TRUE(peer.setReceiveTimeout(3000ms));
    ASSERT_TRUE(peer.bind(session.network.discoveryTarget, session.network.discoveryPort));
    std::thread answering([&] {
        std::array<std::uint8_t, 8> query{};
        peer.receive(query);  // first query: ignored, as by a device still booting
        peer.receive(query);
        std::array<std::uint8_t, 68> reply{};
        reply[3] = 3;
        reply[9] = 0x02;
        reply[10] = 0x0B;
        reply[11] = 0xD7;
        reply[36] = 10;
        reply[39] = 7;
        const std::array<std::uint8_t, 4> junk{0, 0, 0, 4};
        peer.sendTo(junk, session.network.localAddress, session.network.localPort);
        peer.sendTo(reply, session.network.localAddress, session.network.localPort);
        peer.sendTo(reply, session.network.localAddress, session.network.localPort);
    });
    std::vector<int> bar;
    const auto records =
        runBroadcastSearch(session.network, nullptr, [&](int value) { bar.push_back(value); });
    answering.join();
    ASSERT_EQ(records.size(), 2u);  // the same device twice: no duplicate check
    EXPECT_EQ(records[0].rowNumber, " 1");
    EXPECT_EQ(records[1].rowNumber, " 2");
    EXPECT_EQ(records[0].ipAddress, "10.0.0.7");
    EXPECT_EQ(bar, (std::vector<int>{20, 40}));
}

TEST_F(SearchTest, SearchByAddressFindsTheOneDeviceAskedFor) {
    // Three gateways, each answering discovery on its own address too.
    startSimulator({device(2, "dev2"), device(3, "dev3"), device(4, "dev4")});

    Bench session = loopbackSession();
    session.devices.assign(5, CEquipment{});
    EXPECT_EQ(searchByAddress(session.network, session.devices, loopbackHost(3)), Outcome::Done);
    ASSERT_EQ(session.devices.size(), 1u);
    EXPECT_EQ(session.devices[0].rowNumber, "1");
    EXPECT_EQ(session.devices[0].name, "dev3");
    EXPECT_EQ(session.devices[0].ipAddress, loopbackHost(3));

    EXPECT_EQ(searchByAddress(session.network, session.devices, loopbackHost(4)), Outcome::Done);
    EXPECT_EQ(session.devices[0].name, "dev4");
}

TEST_F(SearchTest, SearchByAddressOfAnotherProduct) {
    DeviceSetup foreign = device(2, "x");
    foreign.productCode = 7;
    startSimulator({foreign}, 2);
    Bench session = loopbackSession();
    EXPECT_EQ(searchByAddress(session.network, session.devices, loopbackHost(2)), Outcome::Done);
    ASSERT_EQ(session.devices.size(), 1u);
    EXPECT_EQ(modelText(session.devices[0]), uiText(4024));
    // Unlike the broadcast search's "其它设备", this row can be selected.
    EXPECT_EQ(session.selectRow(0), Bench::Selection::Supported);
}

// The window clears its selection after any search (tested with the window).
TEST_F(SearchTest, SearchByAddressWithoutReplyKeepsTheTable) {
    Bench session = loopbackSession();
    session.devices.assign(2, CEquipment{});
    session.devices[1].ipAddress = "10.1.1.1";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(searchByAddress(session.network, session.devices, loopbackHost(9)),
              Outcome::SearchFailed);
    const auto took = elapsedSince(start);
    EXPECT_GE(took, 1900ms);  // the 2 s receive limit
    EXPECT_LT(took, 3000ms);
    EXPECT_EQ(session.devices.size(), 2u);
    EXPECT_EQ(session.devices[1].ipAddress, "10.1.1.1");
}

TEST_F(SearchTest, SearchByAddressWithWrongCodeKeepsTheTable) {
    Bench session = loopbackSession();
    session.devices.assign(3, CEquipment{});
    UdpSocket peer;
    ASSERT_TRUE(peer.setReceiveTimeout(3000ms));
    ASSERT_TRUE(peer.bind(loopbackHost(2), session.network.discoveryPort));
    std::thread answering([&] {
        std::array<std::uint8_t, 8> query{};
        peer.receive(query);
        const std::array<std::uint8_t, 68> reply{0, 0, 0, 4};
        peer.sendTo(reply, session.network.localAddress, session.network.localPort);
    });
    EXPECT_EQ(searchByAddress(session.network, session.devices, loopbackHost(2)),
              Outcome::SearchWrongReply);
    answering.join();
    EXPECT_EQ(session.devices.size(), 3u);
}

TEST_F(SearchTest, FourByteReplyIsAcceptedWithZeroFields) {
    Bench session = loopbackSession();
    UdpSocket peer;
    ASSERT_TRUE(peer.setReceiveTimeout(3000ms));
    ASSERT_TRUE(peer.bind(loopbackHost(2), session.network.discoveryPort));
    std::thread answering([&] {
        std::array<std::uint8_t, 8> query{};
        peer.receive(query);
        peer.sendTo(std::array<std::uint8_t, 4>{0, 0, 0, 3}, session.network.localAddress,
                    session.network.localPort);
    });
    EXPECT_EQ(searchByAddress(session.network, session.devices, loopbackHost(2)), Outcome::Done);
    answering.join();
    ASSERT_EQ(session.devices.size(), 1u);
    EXPECT_EQ(session.devices[0].ipAddress, "0.0.0.0");
    EXPECT_EQ(session.devices[0].macAddress, "00-00-00-00-00-00");
}

}  // namespace
}  // namespace kvt::test
