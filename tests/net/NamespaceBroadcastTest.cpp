// A real limited broadcast (255.255.255.255) between two network namespaces that this test
// creates and joins with a veth pair, so the host network never sees it. The simulator runs in
// one namespace, the search in the other, each from a thread that has entered its namespace.
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cstdlib>

#include "NetFixture.h"

namespace kvt::test {
namespace {

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs `work` on a thread that has joined the named network namespace.
bool inNamespace(const std::string& name, const std::function<void()>& work) {
    bool entered = false;
    std::thread worker([&] {
        const int fd = ::open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        entered = ::setns(fd, CLONE_NEWNET) == 0;
        ::close(fd);
        if (entered) work();
    });
    worker.join();
    return entered;
}

class NamespaceBroadcastTest : public NetTest {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to create network namespaces";
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

}  // namespace
}  // namespace kvt::test
