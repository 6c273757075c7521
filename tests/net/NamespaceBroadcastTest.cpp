// A real limited broadcast (255.255.255.255) between network namespaces that this test creates
// and joins with veth pairs, so the host network never sees it. Simulators run in the plant
// namespaces, the search in the PC's, each from a thread that has entered its namespace.
#include <unistd.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sched.h>
#endif

#include <algorithm>
#include <cstdlib>

#include "NetFixture.h"

namespace kvt::test {
namespace {

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Why this test cannot make network namespaces here, or null when it can.
const char* whyNoNamespaces() {
#ifdef _WIN32
    return "network namespaces are Linux's";
#else
    return ::geteuid() == 0 ? nullptr : "needs root to create network namespaces";
#endif
}

// Runs `work` on a thread that has joined the named network namespace.
bool inNamespace(const std::string& name, const std::function<void()>& work) {
    bool entered = false;
#ifndef _WIN32
    std::thread worker([&] {
        const int fd = ::open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        entered = ::setns(fd, CLONE_NEWNET) == 0;
        ::close(fd);
        if (entered) work();
    });
    worker.join();
#else
    (void)name;
    (void)work;
#endif
    return entered;
}

class NamespaceBroadcastTest : public NetTest {
protected:
    void SetUp() override {
        if (const char* why = whyNoNamespaces()) GTEST_SKIP() << why;
        const std::string id = std::to_string(::getpid());
        m_device = "kvtdev" + id;
        m_tool = "kvttool" + id;
        if (!run("ip netns add " + m_device)) {
            GTEST_SKIP() << "'ip netns add' is not available here";
        }
        m_created = true;
        const std::string vethDevice = "kd" + id;
        const std::string vethTool = "kt" + id;
        const bool ready = run("ip netns add " + m_tool) &&
                           run("ip link add " + vethDevice + " netns " + m_device +
                               " type veth peer name " + vethTool + " netns " + m_tool) &&
                           run("ip -n " + m_device + " addr add 10.77.0.1/24 dev " + vethDevice) &&
                           run("ip -n " + m_device + " link set " + vethDevice + " up") &&
                           run("ip -n " + m_device + " link set lo up") &&
                           run("ip -n " + m_tool + " addr add 10.77.0.2/24 dev " + vethTool) &&
                           run("ip -n " + m_tool + " link set " + vethTool + " up") &&
                           run("ip -n " + m_tool + " link set lo up") &&
                           // The limited broadcast leaves by the default route's device.
                           run("ip -n " + m_tool + " route add default dev " + vethTool);
        if (!ready) {
            cleanUp();
            GTEST_SKIP() << "cannot set up the veth pair between the namespaces";
        }
        NetTest::SetUp();
    }
    void TearDown() override {
        if (!m_created) return;
        NetTest::TearDown();
        cleanUp();
    }
    void cleanUp() {
        run("ip netns del " + m_device);
        run("ip netns del " + m_tool);
        m_created = false;
    }

    std::string m_device;
    std::string m_tool;
    bool m_created = false;
};

TEST_F(NamespaceBroadcastTest, BroadcastSearchCrossesTheVethPair) {
    kvt::sim::DeviceSetup gateway;
    gateway.address = "10.77.0.1";
    gateway.name = "ns-gw";
    gateway.mac = {0x02, 0x77, 0, 0, 0, 1};
    kvt::sim::Options options;
    options.discoveryAddress = "0.0.0.0";  // receives the broadcast
    options.log = false;
    m_sims.push_back(std::make_unique<kvt::sim::Simulator>(options, std::vector{gateway}));
    std::string error;
    bool started = false;
    ASSERT_TRUE(inNamespace(m_device, [&] { started = m_sims.back()->start(&error); }));
    ASSERT_TRUE(started) << error;

    // The product's own addresses: 255.255.255.255:18801 from 0.0.0.0:10002.
    const NetworkOptions network;
    ASSERT_EQ(network.discoveryTarget, "255.255.255.255");
    std::vector<CEquipment> records;
    ASSERT_TRUE(inNamespace(m_tool, [&] { records = runBroadcastSearch(network, nullptr, {}); }));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "ns-gw");
    EXPECT_EQ(records[0].ipAddress, "10.77.0.1");
    EXPECT_EQ(records[0].macAddress, "02-77-00-00-00-01");
    EXPECT_EQ(m_sims.back()->discoveryQueries(), 1u);
}

// A PC with two network cards: kpa<pid> to plant A (10.81.1.0/24, the default route) and
// kpb<pid> to plant B (10.81.2.0/24), one gateway in each plant.
class TwoCardsTest : public NetTest {
protected:
    void SetUp() override {
        if (const char* why = whyNoNamespaces()) GTEST_SKIP() << why;
        const std::string id = std::to_string(::getpid());
        m_pc = "kvtpc" + id;
        m_plants = {"kvtpa" + id, "kvtpb" + id};
        m_cards = {"kpa" + id, "kpb" + id};
        if (!run("ip netns add " + m_pc)) GTEST_SKIP() << "'ip netns add' is not available here";
        m_created = true;
        bool ready = run("ip -n " + m_pc + " link set lo up");
        for (std::size_t i = 0; i < 2 && ready; ++i) {
            const std::string net = "10.81." + std::to_string(i + 1) + ".";
            const std::string far = "kg" + std::to_string(i) + id;
            ready = run("ip netns add " + m_plants[i]) &&
                    run("ip link add " + m_cards[i] + " netns " + m_pc + " type veth peer name " +
                        far + " netns " + m_plants[i]) &&
                    run("ip -n " + m_plants[i] + " addr add " + net + "1/24 dev " + far) &&
                    run("ip -n " + m_plants[i] + " link set " + far + " up") &&
                    run("ip -n " + m_plants[i] + " link set lo up") &&
                    run("ip -n " + m_pc + " addr add " + net + "2/24 dev " + m_cards[i]) &&
                    run("ip -n " + m_pc + " link set " + m_cards[i] + " up");
        }
        ready = ready && run("ip -n " + m_pc + " route add default via 10.81.1.1");
        if (!ready) {
            cleanUp();
            GTEST_SKIP() << "cannot set up the veth pairs between the namespaces";
        }
        NetTest::SetUp();
    }
    void TearDown() override {
        if (!m_created) return;
        NetTest::TearDown();
        cleanUp();
    }
    void cleanUp() {
        for (const std::string& plant : m_plants) run("ip netns del " + plant);
        run("ip netns del " + m_pc);
        m_created = false;
    }

    // One simulated gateway in plant `i` (0 or 1), answering the broadcast.
    kvt::sim::Simulator& startGateway(std::size_t i, std::uint8_t macTail) {
        kvt::sim::DeviceSetup gateway;
        gateway.address = "10.81." + std::to_string(i + 1) + ".1";
        gateway.name = i == 0 ? "gw-a" : "gw-b";
        gateway.mac = {0x02, 0x81, 0, 0, 0, macTail};
        kvt::sim::Options options;
        options.discoveryAddress = "0.0.0.0";
        options.log = false;
        m_sims.push_back(std::make_unique<kvt::sim::Simulator>(options, std::vector{gateway}));
        std::string error;
        bool started = false;
        EXPECT_TRUE(inNamespace(m_plants[i], [&] { started = m_sims.back()->start(&error); }));
        EXPECT_TRUE(started) << error;
        return *m_sims.back();
    }

    std::vector<CEquipment> searchFromThePc(const NetworkOptions& network) {
        std::vector<CEquipment> records;
        EXPECT_TRUE(inNamespace(m_pc, [&] { records = runBroadcastSearch(network, nullptr, {}); }));
        std::sort(records.begin(), records.end(),
                  [](const CEquipment& a, const CEquipment& b) { return a.name < b.name; });
        return records;
    }

    std::string m_pc;
    std::vector<std::string> m_plants;
    std::vector<std::string> m_cards;
    bool m_created = false;
};

TEST_F(TwoCardsTest, EveryCardIsSearchedUnlessOneIsChosen) {
    auto& plantA = startGateway(0, 1);
    auto& plantB = startGateway(1, 2);

    // The default: a query out of each card, each gateway listed with the card it was heard on.
    const NetworkOptions everyCard;
    auto records = searchFromThePc(everyCard);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "gw-a");
    EXPECT_EQ(records[0].interfaceName, m_cards[0]);
    EXPECT_EQ(records[1].name, "gw-b");
    EXPECT_EQ(records[1].ipAddress, "10.81.2.1");
    EXPECT_EQ(records[1].interfaceName, m_cards[1]);
    // Row numbers follow the merged arrival order.
    EXPECT_NE(records[0].rowNumber, records[1].rowNumber);
    EXPECT_EQ(plantA.discoveryQueries(), 1u);
    EXPECT_EQ(plantB.discoveryQueries(), 1u);

    // One card chosen: only its segment is asked.
    NetworkOptions oneCard;
    oneCard.searchInterface = m_cards[1];
    records = searchFromThePc(oneCard);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "gw-b");
    EXPECT_EQ(records[0].rowNumber, " 1");
    EXPECT_EQ(plantA.discoveryQueries(), 1u);
    EXPECT_EQ(plantB.discoveryQueries(), 2u);

    // The product's single query to the chosen 255.255.255.255 leaves by the default route:
    // plant B is never asked.
    NetworkOptions single;
    single.discoveryTargetChosen = true;
    records = searchFromThePc(single);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "gw-a");
    EXPECT_EQ(records[0].interfaceName, "");
    EXPECT_EQ(plantA.discoveryQueries(), 2u);
    EXPECT_EQ(plantB.discoveryQueries(), 2u);
}

// The same device heard through both cards (here: two gateways with one MAC address) is
// listed once.
TEST_F(TwoCardsTest, OneDeviceHeardOnTwoCardsIsListedOnce) {
    startGateway(0, 7);
    startGateway(1, 7);
    const auto records = searchFromThePc(NetworkOptions{});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].macAddress, "02-81-00-00-00-07");
    EXPECT_EQ(records[0].rowNumber, " 1");
    EXPECT_EQ(records[0].interfaceName, records[0].name == "gw-a" ? m_cards[0] : m_cards[1]);
}

TEST_F(TwoCardsTest, ACardThatIsNotThereIsRefused) {
    NetworkOptions missing;
    missing.searchInterface = "kvtnosuch0";
    SearchPlan plan;
    ASSERT_TRUE(inNamespace(m_pc, [&] { plan = planBroadcastSearch(missing); }));
    EXPECT_TRUE(plan.interfaces.empty());
    EXPECT_NE(plan.error.find("kvtnosuch0"), std::string::npos) << plan.error;
    EXPECT_NE(plan.error.find(m_cards[0] + " 10.81.1.2/24"), std::string::npos) << plan.error;
    bool opened = true;
    ASSERT_TRUE(inNamespace(m_pc, [&] {
        BroadcastSearch search(missing);
        opened = search.open();
    }));
    EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace kvt::test
