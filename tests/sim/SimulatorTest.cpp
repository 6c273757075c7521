// The simulator seen from a raw-socket client: discovery replies, every configuration exchange,
// password checks on the same connection, persistence, moves after a reset and each injected
// fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "SimTestClient.h"
#include "core/config/DeviceImage.h"
#include "core/enip/Codec.h"
#include "core/net/Socket.h"
#include "sim/SimDevice.h"
#include "sim/Simulator.h"
#include "support/TestNet.h"

namespace kvt::sim {
namespace {

using namespace kvt::simtest;
using kvt::test::loopbackHost;

constexpr std::uint16_t kPort = 18801;

std::uint32_t be32(const Bytes& b, std::size_t offset) {
    return static_cast<std::uint32_t>(b[offset]) << 24 |
           static_cast<std::uint32_t>(b[offset + 1]) << 16 |
           static_cast<std::uint32_t>(b[offset + 2]) << 8 | b[offset + 3];
}

const Bytes kReadUser = hexBytes("00000025 00000000");
const Bytes kReadBackground = hexBytes("00000005 00000000");

Bytes userCheck(const std::string& password) {
    return concat(hexBytes("00000027 00000014"), padded(password, 20));
}
Bytes adminCheck(const std::string& password, const std::string& tag = "Kelvarin") {
    return concat(concat(hexBytes("00000007 0000001C"), Bytes(tag.begin(), tag.end())),
                  padded(password, 20));
}
Bytes resetRequest(const std::string& tag = "Kelvarin") {
    return concat(hexBytes("0000000A 00000008"), Bytes(tag.begin(), tag.end()));
}

Options testOptions() {
    Options o;
    o.discoveryAddress = loopbackHost(1);
    o.log = false;
    return o;
}

DeviceSetup device(int host, const std::string& name = "GW") {
    DeviceSetup d;
    d.address = loopbackHost(host);
    d.name = name;
    d.mac = {0x02, 0x11, 0x22, 0x33, 0x44, static_cast<std::uint8_t>(host)};
    return d;
}

// Where a datagram came from. A system that binds loopback UDP sockets to all addresses (Wine)
// sends every datagram from 127.0.0.1 whatever the socket asks for: there it is not checked.
void expectSender(const std::string& from, const std::string& address) {
    if (!platform::udpLoopbackBindsAllAddresses()) {
        EXPECT_EQ(from, address);
    }
}

class SimulatorTest : public ::testing::Test {
protected:
    void run(std::vector<DeviceSetup> devices, Options options = testOptions()) {
        m_sim = std::make_unique<Simulator>(options, std::move(devices));
        std::string error;
        ASSERT_TRUE(m_sim->start(&error)) << error;
    }
    Bytes readImage(int host, const Bytes& request, std::size_t size) {
        TcpClient c(loopbackHost(host), kPort);
        return c.exchange(request, size);
    }
    std::vector<Bytes> discover(std::size_t expected) {
        UdpClient udp(loopbackHost(200));
        EXPECT_TRUE(udp.sendTo(hexBytes("00000003 00000000"), loopbackHost(1), kPort));
        std::vector<Bytes> replies;
        while (replies.size() < expected) {
            Bytes d = udp.receive(2000ms);
            if (d.empty()) break;
            replies.push_back(std::move(d));
        }
        // Nothing beyond what was expected.
        if (Bytes extra = udp.receive(150ms); !extra.empty()) replies.push_back(extra);
        return replies;
    }
    std::unique_ptr<Simulator> m_sim;
};

TEST_F(SimulatorTest, DiscoveryReplyCarriesEveryFieldOfEachDevice) {
    DeviceSetup a = device(2, "GW-A");
    a.userPassword = "1234";
    a.firmwareMajor = 1;
    a.firmwareMinor = 10;
    DeviceSetup b = device(3, "twenty-bytes-name-xx");
    b.adminPassword = "admin";
    b.remoteAllowed = false;
    b.productCode = 123456;
    run({a, b});

    const auto replies = discover(2);
    ASSERT_EQ(replies.size(), 2u);
    for (const Bytes& r : replies) ASSERT_EQ(r.size(), 68u);
    const Bytes& ra = replies[0][39] == 2 ? replies[0] : replies[1];
    const Bytes& rb = replies[0][39] == 2 ? replies[1] : replies[0];

    EXPECT_EQ(be32(ra, 0), 3u);
    EXPECT_EQ(Bytes(ra.begin() + 9, ra.begin() + 12), hexBytes("020BD7"));
    EXPECT_EQ(Bytes(ra.begin() + 24, ra.begin() + 28), hexBytes("0001000A"));
    EXPECT_EQ(Bytes(ra.begin() + 28, ra.begin() + 34), hexBytes("021122334402"));
    const auto ip = addressBytes(loopbackHost(2));
    EXPECT_EQ(Bytes(ra.begin() + 36, ra.begin() + 40), Bytes(ip.begin(), ip.end()));
    EXPECT_EQ(ra[43], 0x01);
    EXPECT_EQ(std::string(ra.begin() + 44, ra.begin() + 48), "GW-A");
    EXPECT_EQ(ra[48], 0);
    EXPECT_EQ(be32(ra, 64), 1u);

    EXPECT_EQ(be32(rb, 8) & 0xFFFFFF, 123456u);
    EXPECT_EQ(rb[43], 0x02);
    EXPECT_EQ(std::string(rb.begin() + 44, rb.begin() + 64), "twenty-bytes-name-xx");
    EXPECT_EQ(be32(rb, 64), 0u);
    EXPECT_EQ(m_sim->discoveryQueries(), 1u);
}

TEST_F(SimulatorTest, DiscoveryIgnoresOtherDatagramsAndSilentDevices) {
    DeviceSetup silent = device(3);
    silent.fault = {Fault::Kind::NoAnswer, 0};
    run({device(2), silent});
    UdpClient udp(loopbackHost(200));
    udp.sendTo(hexBytes("00000003 00000001"), loopbackHost(1), kPort);
    udp.sendTo(hexBytes("00000003 00000000 00"), loopbackHost(1), kPort);
    EXPECT_TRUE(udp.receive(200ms).empty());
    EXPECT_EQ(discover(1).size(), 1u);  // the NoAnswer device stays silent
}

TEST_F(SimulatorTest, QueryToADeviceAddressGetsThatDeviceAloneFromItsAddress) {
    run({device(2, "GW-A"), device(3, "GW-B")});
    UdpClient udp(loopbackHost(200));
    ASSERT_TRUE(udp.sendTo(hexBytes("00000003 00000000"), loopbackHost(3), kPort));
    std::string from;
    const Bytes reply = udp.receive(2000ms, &from);
    ASSERT_EQ(reply.size(), 68u);
    EXPECT_EQ(std::string(reply.begin() + 44, reply.begin() + 48), "GW-B");
    expectSender(from, loopbackHost(3));
    EXPECT_TRUE(udp.receive(150ms).empty());
}

// Where loopback addresses cannot share a UDP port (Wine), one socket per port serves every
// device: datagrams go to the devices they were sent to and are answered from there, those to
// other addresses get nothing. Forced here on its own port, so it runs beside the other tests.
TEST_F(SimulatorTest, SharedUdpPortsAnswerByTheAddressAsked) {
    constexpr std::uint16_t kSharedPort = 18809;
    Options options = testOptions();
    options.udpPorts = Options::UdpPorts::Shared;
    options.discoveryPort = options.devicePort = kSharedPort;
    options.enipPort = kSharedPort + 1;
    DeviceSetup noEnip = device(4, "GW-C");
    noEnip.fault = {Fault::Kind::NoEnip, 0};
    run({device(2, "GW-A"), device(3, "GW-B"), noEnip}, options);
    UdpClient udp(loopbackHost(200));
    // The replies to one request: up to `expected` of them, then whatever comes in 300 ms.
    const auto heard = [&](int host, std::uint16_t port, const Bytes& request,
                           std::size_t expected) {
        EXPECT_TRUE(udp.sendTo(request, loopbackHost(host), port));
        std::vector<std::pair<std::string, Bytes>> replies;
        std::string from;
        for (Bytes d; replies.size() < expected && !(d = udp.receive(2000ms, &from)).empty();)
            replies.emplace_back(from, d);
        if (Bytes extra = udp.receive(300ms, &from); !extra.empty())
            replies.emplace_back(from, extra);
        return replies;
    };
    const Bytes query = hexBytes("00000003 00000000");
    EXPECT_EQ(heard(1, kSharedPort, query, 3).size(), 3u);
    const auto one = heard(3, kSharedPort, query, 1);
    ASSERT_EQ(one.size(), 1u);
    expectSender(one[0].first, loopbackHost(3));
    EXPECT_EQ(std::string(one[0].second.begin() + 44, one[0].second.begin() + 48), "GW-B");
    EXPECT_TRUE(heard(9, kSharedPort, query, 0).empty());
    EXPECT_EQ(m_sim->discoveryQueries(), 2u);

    const Bytes browse = enip::listIdentityRequest(500);          // replies spread over 500 ms
    EXPECT_EQ(heard(1, options.enipPort, browse, 2).size(), 2u);  // GW-C has no EtherNet/IP
    const auto identity = heard(2, options.enipPort, browse, 1);
    ASSERT_EQ(identity.size(), 1u);
    expectSender(identity[0].first, loopbackHost(2));
    EXPECT_TRUE(enip::parseListIdentityReply(identity[0].second));
    EXPECT_TRUE(heard(4, options.enipPort, browse, 0).empty());
    // The configuration ports are per address as always.
    TcpClient c(loopbackHost(3), kSharedPort);
    EXPECT_EQ(c.exchange(kReadUser, 60).size(), 60u);
}

TEST_F(SimulatorTest, TwoHundredFiftyDevicesAllAnswerOneQuery) {
    std::vector<DeviceSetup> devices;
    for (int i = 0; i < 250; ++i) devices.push_back(device(2 + i));
    run(devices);
    const auto replies = discover(250);
    EXPECT_EQ(replies.size(), 250u);
    // And the last one serves its configuration port.
    EXPECT_EQ(readImage(251, kReadUser, 60).size(), 60u);
}

TEST_F(SimulatorTest, ReadsAnswerWithImagesCarryingTheReadCodes) {
    DeviceSetup d = device(2, "GW-R");
    run({d});
    const Bytes user = readImage(2, kReadUser, 60);
    ASSERT_EQ(user.size(), 60u);
    EXPECT_EQ(Bytes(user.begin(), user.begin() + 8), hexBytes("00000025 00000034"));
    CConfiguration parsed;
    parseImage(user, kUserConfig, parsed);
    EXPECT_EQ(parsed.ethernet.ipAddress, loopbackHost(2));

    const Bytes background = readImage(2, kReadBackground, 164);
    ASSERT_EQ(background.size(), 164u);
    EXPECT_EQ(Bytes(background.begin(), background.begin() + 8), hexBytes("00000005 0000009C"));
    CConfiguration parsedBackground;
    parseImage(background, kBackgroundConfig, parsedBackground);
    EXPECT_EQ(parsedBackground.ethernet.networkName, "GW-R");
    EXPECT_EQ(m_sim->requests(0), (std::vector<Bytes>{kReadUser, kReadBackground}));
}

TEST_F(SimulatorTest, PasswordCheckUnlocksOnlyItsOwnConnectionAndKind) {
    DeviceSetup d = device(2);
    d.userPassword = "1234";
    d.adminPassword = "root";
    run({d});
    const Bytes refusedUser = readImage(2, kReadUser, 16);
    EXPECT_EQ(refusedUser, hexBytes("000000FF 00000008 00000025 00000001"));

    {  // wrong password: the device says so and keeps the configuration closed
        TcpClient c(loopbackHost(2), kPort);
        EXPECT_EQ(c.exchange(userCheck("123"), 16), hexBytes("00000027 00000009 0000000000000000"));
        EXPECT_EQ(be32(c.exchange(kReadUser, 16), 0), kRefusalCode);
    }
    {  // right password, then the read on the same connection
        TcpClient c(loopbackHost(2), kPort);
        EXPECT_EQ(c.exchange(userCheck("1234"), 16),
                  hexBytes("00000027 00000008 0000000000000000"));
        EXPECT_EQ(c.exchange(kReadUser, 60).size(), 60u);
    }
    {  // a user check does not open the background configuration
        TcpClient c(loopbackHost(2), kPort);
        c.exchange(userCheck("1234"), 16);
        EXPECT_EQ(c.exchange(kReadBackground, 16), hexBytes("000000FF 00000008 00000005 00000001"));
    }
    {  // the administrator check needs the maker tag
        TcpClient c(loopbackHost(2), kPort);
        EXPECT_EQ(be32(c.exchange(adminCheck("root", "Kelvarix"), 16), 4), 9u);
    }
    TcpClient c(loopbackHost(2), kPort);
    EXPECT_EQ(c.exchange(adminCheck("root"), 16), hexBytes("00000007 00000008 0000000000000000"));
    EXPECT_EQ(c.exchange(kReadBackground, 164).size(), 164u);
}

TEST_F(SimulatorTest, WritesAreStoredReadBackAndChangeDiscoveryFlags) {
    run({device(2, "GW-W")});
    CConfiguration edit = m_sim->configuration(0);
    edit.ethernet.ipAddress = "10.1.2.3";
    edit.ethernet.networkName = "ignored-by-user-write";
    edit.advance.userPassword = "secret";
    edit.report = {1, loopbackHost(20), 16801, 5};
    EXPECT_EQ(readImage(2, buildImage(edit, kUserConfig), 16),
              hexBytes("00000026 00000008 0000000000000000"));

    const CConfiguration stored = m_sim->configuration(0);
    EXPECT_EQ(stored.ethernet.ipAddress, "10.1.2.3");
    EXPECT_EQ(stored.ethernet.networkName, "GW-W");  // not carried by the user image
    EXPECT_EQ(stored.advance.userPassword, "secret");
    EXPECT_EQ(stored.report, edit.report);
    ASSERT_EQ(discover(1).size(), 1u);
    EXPECT_EQ(discover(1)[0][43], 0x01);

    // The new password now guards the user configuration; the read shows the write.
    TcpClient c(loopbackHost(2), kPort);
    c.exchange(userCheck("secret"), 16);
    CConfiguration back;
    parseImage(c.exchange(kReadUser, 60), kUserConfig, back);
    EXPECT_EQ(back.ethernet.ipAddress, "10.1.2.3");
    EXPECT_EQ(back.report, edit.report);

    // A background write (no administrator password yet) changes the rest.
    edit.ethernet.networkName = "GW-NEW";
    edit.advance.adminPassword = "adm";
    edit.parameter.ipSettingMethod = 1;
    edit.parameter.assemblySizes[0] = "32";
    EXPECT_EQ(be32(readImage(2, buildImage(edit, kBackgroundConfig), 16), 0), 0x06u);
    const CConfiguration after = m_sim->configuration(0);
    EXPECT_EQ(after.ethernet.networkName, "GW-NEW");
    EXPECT_EQ(after.advance.adminPassword, "adm");
    EXPECT_EQ(after.parameter.ipSettingMethod, 1);
    EXPECT_EQ(after.parameter.assemblySizes[0], "32");
    const Bytes reply = discover(1).at(0);
    EXPECT_EQ(reply[43], 0x03);
    EXPECT_EQ(std::string(reply.begin() + 44, reply.begin() + 50), "GW-NEW");
}

TEST_F(SimulatorTest, ForbiddenDeviceAnswersChecksButRefusesConfiguration) {
    DeviceSetup d = device(2);
    d.remoteAllowed = false;
    d.userPassword = "pw";
    run({d});
    TcpClient c(loopbackHost(2), kPort);
    EXPECT_EQ(be32(c.exchange(userCheck("pw"), 16), 4), 8u);
    EXPECT_EQ(c.exchange(kReadUser, 16), hexBytes("000000FF 00000008 00000025 00000002"));
    EXPECT_EQ(be32(readImage(2, resetRequest(), 16), 12), 2u);
    EXPECT_EQ(be32(readImage(2, buildImage(m_sim->configuration(0), kUserConfig), 16), 12), 2u);
    EXPECT_EQ(m_sim->resets(0), 0u);
}

TEST_F(SimulatorTest, ResetNeedsTheMakerTag) {
    run({device(2)});
    EXPECT_EQ(readImage(2, resetRequest(), 16), hexBytes("0000000A 00000008 0000000000000000"));
    EXPECT_EQ(be32(readImage(2, resetRequest("kelvarin"), 16), 12), 3u);
    EXPECT_EQ(m_sim->resets(0), 1u);
}

TEST_F(SimulatorTest, StateFileKeepsTheConfigurationAcrossRestarts) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("kvt-sim-state-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    DeviceSetup d = device(2);
    d.stateFile = (dir / "gw.json").string();
    run({d});
    CConfiguration edit = m_sim->configuration(0);
    edit.ethernet.ipAddress = "172.16.0.9";
    edit.advance.userPassword = "\xC3\xDC\xC2\xEB";  // GBK text written by a client
    readImage(2, buildImage(edit, kBackgroundConfig), 16);
    m_sim->stop();

    run({d});
    const CConfiguration restored = m_sim->configuration(0);
    EXPECT_EQ(restored.ethernet.ipAddress, "172.16.0.9");
    EXPECT_EQ(restored.advance.userPassword, "\xC3\xDC\xC2\xEB");
    TcpClient c(loopbackHost(2), kPort);
    EXPECT_EQ(be32(c.exchange(userCheck("\xC3\xDC\xC2\xEB"), 16), 4), 8u);
    m_sim->stop();
    std::filesystem::remove_all(dir);
}

TEST_F(SimulatorTest, BrokenStateFileFailsTheStart) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("kvt-sim-bad-" + std::to_string(::getpid()) + ".json");
    { std::ofstream(path) << "{\"ipMethod\": \"dhcp\"}"; }
    DeviceSetup d = device(2);
    d.stateFile = path.string();
    Simulator sim(testOptions(), {d});
    std::string error;
    EXPECT_FALSE(sim.start(&error));
    EXPECT_NE(error.find("ipMethod"), std::string::npos) << error;
    std::filesystem::remove(path);
}

TEST_F(SimulatorTest, ReportsGoToLoopbackTargetsOnly) {
    DeviceSetup nearby = device(2, "GW-REP");
    nearby.configuration = newConfiguration(kBackgroundConfig);
    nearby.configuration->ethernet.networkName = "GW-REP";
    nearby.configuration->report = {1, loopbackHost(30), 16800, 1};
    DeviceSetup distant = device(3);
    distant.configuration = newConfiguration(kBackgroundConfig);
    distant.configuration->report = {1, "192.0.2.1", 16800, 1};
    UdpClient listener(loopbackHost(30), 16800);
    ASSERT_TRUE(listener.bound());
    run({nearby, distant});

    const Bytes report = listener.receive(3000ms);
    ASSERT_EQ(report.size(), kReportSize);
    EXPECT_EQ(Bytes(report.begin() + 36, report.begin() + 42), hexBytes("021122334402"));
    EXPECT_EQ(report[47], 2);
    EXPECT_EQ(std::string(report.begin() + 56, report.begin() + 62), "GW-REP");
    EXPECT_EQ(listener.receive(3000ms).size(), kReportSize);  // periodic
    EXPECT_EQ(m_sim->reportsSent(1), 0u);
}

// Each fault, seen by a client that reads the user configuration.
struct FaultCase {
    const char* why;
    Fault fault;
};
void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.why;
}

class FaultTest : public SimulatorTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, ClientSeesTheFault) {
    DeviceSetup d = device(2);
    d.fault = GetParam().fault;
    run({d});
    TcpClient c(loopbackHost(2), kPort);
    const auto started = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::steady_clock::now() - started; };
    switch (GetParam().fault.kind) {
        case Fault::Kind::Refuse:
            EXPECT_FALSE(c.connected());
            EXPECT_TRUE(c.refused());
            return;
        case Fault::Kind::NoAnswer:
            ASSERT_TRUE(c.send(kReadUser));
            EXPECT_TRUE(c.receive(60, 400ms).empty());
            break;
        case Fault::Kind::CloseWithoutReply: {
            ASSERT_TRUE(c.send(kReadUser));
            bool closed = false;
            EXPECT_TRUE(c.receiveSome(2000ms, &closed).empty());
            EXPECT_TRUE(closed);
            break;
        }
        case Fault::Kind::WrongCode:
            EXPECT_EQ(be32(c.exchange(kReadUser, 60), 0), 0x26u);
            break;
        case Fault::Kind::Slow: {
            const Bytes reply = c.exchange(kReadUser, 60);
            EXPECT_EQ(reply.size(), 60u);
            EXPECT_GE(elapsed(), 250ms);
            break;
        }
        case Fault::Kind::Split: {
            ASSERT_TRUE(c.send(kReadUser));
            int calls = 0;
            Bytes expected = buildImage(m_sim->configuration(0), kUserConfig);
            expected[3] = 0x25;
            EXPECT_EQ(c.receive(60, 3000ms, &calls), expected);
            EXPECT_EQ(calls, 3);
            EXPECT_GE(elapsed(), 200ms);
            break;
        }
        case Fault::Kind::Short: {
            ASSERT_TRUE(c.send(kReadUser));
            EXPECT_EQ(c.receive(60, 500ms).size(), 30u);
            bool closed = false;
            c.receiveSome(200ms, &closed);
            EXPECT_FALSE(closed);  // held open until the client gives up
            break;
        }
        case Fault::Kind::IgnoreWrite:  // reads are not touched
            EXPECT_EQ(be32(c.exchange(kReadUser, 60), 0), 0x25u);
            break;
        case Fault::Kind::NoEnip: {  // the configuration port is not touched; EtherNet/IP is gone
            EXPECT_EQ(be32(c.exchange(kReadUser, 60), 0), 0x25u);
            TcpClient enip(loopbackHost(2), 44818);
            EXPECT_FALSE(enip.connected());
            EXPECT_TRUE(enip.refused());
            m_sim->setFault(0, {});  // back before setFault returns
            EXPECT_TRUE(TcpClient(loopbackHost(2), 44818).connected());
            break;
        }
        case Fault::Kind::None:
            break;
    }
    EXPECT_EQ(m_sim->requests(0).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FaultTest,
                         ::testing::Values(FaultCase{"Refuse", {Fault::Kind::Refuse, 0}},
                                           FaultCase{"NoAnswer", {Fault::Kind::NoAnswer, 0}},
                                           FaultCase{"CloseWithoutReply",
                                                     {Fault::Kind::CloseWithoutReply, 0}},
                                           FaultCase{"WrongCode", {Fault::Kind::WrongCode, 0}},
                                           FaultCase{"Slow", {Fault::Kind::Slow, 300}},
                                           FaultCase{"Split", {Fault::Kind::Split, 100}},
                                           FaultCase{"Short", {Fault::Kind::Short, 0}},
                                           FaultCase{"IgnoreWrite", {Fault::Kind::IgnoreWrite, 0}},
                                           FaultCase{"NoEnip", {Fault::Kind::NoEnip, 0}}),
                         [](const auto& param) { return std::string(param.param.why); });

// A folder of the test's own for state files.
class StateDir {
public:
    StateDir()
        : m_path(std::filesystem::temp_directory_path() /
                 ("kvt-sim-move-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_path);
    }
    ~StateDir() { std::filesystem::remove_all(m_path); }
    std::string file(const char* name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// The reply to a query sent to `ip` alone (search by IP), empty when nothing answers in `limit`.
Bytes queryAt(const std::string& ip, std::chrono::milliseconds limit = 2000ms) {
    UdpClient udp(loopbackHost(200));
    EXPECT_TRUE(udp.sendTo(hexBytes("00000003 00000000"), ip, kPort));
    return udp.receive(limit);
}

// The dotted address at `offset` (discovery reply 36, report 44).
std::string addressAt(const Bytes& datagram, std::size_t offset) {
    if (datagram.size() < offset + 4) return {};
    return std::to_string(datagram[offset]) + "." + std::to_string(datagram[offset + 1]) + "." +
           std::to_string(datagram[offset + 2]) + "." + std::to_string(datagram[offset + 3]);
}

const Bytes kAckUser = hexBytes("00000026 00000008 0000000000000000");
const Bytes kAckReset = hexBytes("0000000A 00000008 0000000000000000");

TEST_F(SimulatorTest, ResetMovesTheDeviceToTheWrittenAddressAndARestartKeepsIt) {
    const std::string old = loopbackHost(2);
    const std::string moved = loopbackHost(40);
    StateDir dir;
    DeviceSetup d = device(2, "GW-M");
    d.stateFile = dir.file("gw.json");
    UdpClient reports(loopbackHost(30), 16800);
    ASSERT_TRUE(reports.bound());
    run({d, device(3, "GW-N")});
    CConfiguration edit = m_sim->configuration(0);
    edit.ethernet.ipAddress = moved;
    edit.report = {1, loopbackHost(30), 16800, 1};
    ASSERT_EQ(readImage(2, buildImage(edit, kUserConfig), 16), kAckUser);

    // Written, not yet applied: the device is where it was.
    EXPECT_EQ(m_sim->address(0), old);
    EXPECT_FALSE(TcpClient(moved, kPort).connected());
    EXPECT_EQ(addressAt(queryAt(old), 36), old);

    ASSERT_EQ(readImage(2, resetRequest(), 16), kAckReset);
    EXPECT_EQ(m_sim->address(0), moved);
    EXPECT_EQ(m_sim->address(1), loopbackHost(3));
    EXPECT_EQ(TcpClient(moved, kPort).exchange(kReadUser, 60).size(), 60u);
    EXPECT_TRUE(TcpClient(old, kPort).refused());
    EXPECT_EQ(addressAt(queryAt(moved), 36), moved);
    EXPECT_TRUE(queryAt(old, 300ms).empty());
    const auto replies = discover(2);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_TRUE(addressAt(replies[0], 36) == moved || addressAt(replies[1], 36) == moved);

    // Reports leave from the new address and carry it; the move restarts their schedule.
    std::string from;
    Bytes report;
    for (int i = 0; i < 5 && addressAt(report, 44) != moved; ++i) {
        report = reports.receive(3000ms, &from);
    }
    EXPECT_EQ(addressAt(report, 44), moved);
    expectSender(from, moved);

    std::ifstream saved(d.stateFile);
    const auto state = nlohmann::json::parse(saved, nullptr, false);
    ASSERT_TRUE(state.is_object());
    EXPECT_EQ(state.value("ip_address", ""), moved);
    m_sim->stop();

    run({d, device(3, "GW-N")});
    EXPECT_EQ(m_sim->address(0), moved);
    EXPECT_EQ(TcpClient(moved, kPort).exchange(kReadUser, 60).size(), 60u);
    EXPECT_FALSE(TcpClient(old, kPort).connected());
    EXPECT_EQ(addressAt(queryAt(moved), 36), moved);
}

// Addresses a device cannot take: it stays, serving as before, and keeps the written address.
struct RefusedMove {
    const char* why;
    std::string (*target)();
    bool occupied;  // something else listens on the target's configuration port
};
void PrintTo(const RefusedMove& c, std::ostream* os) {
    *os << c.why;
}

class RefusedMoveTest : public SimulatorTest, public ::testing::WithParamInterface<RefusedMove> {};

TEST_P(RefusedMoveTest, DeviceStaysWhereItIs) {
    const std::string target = GetParam().target();
    platform::Socket blocker;
    if (GetParam().occupied) {
        blocker = platform::Socket(platform::Socket::Kind::Tcp);
        ASSERT_TRUE(blocker.bind({*platform::parseDottedQuad(target), kPort}));
        ASSERT_TRUE(blocker.listen(1));
    }
    // The other device refuses connections, so a failing bind cannot stand in for the check
    // that keeps two devices off one address.
    DeviceSetup neighbour = device(3, "GW-T");
    neighbour.fault = {Fault::Kind::Refuse, 0};
    run({device(2, "GW-S"), neighbour});
    CConfiguration edit = m_sim->configuration(0);
    edit.ethernet.ipAddress = target;
    ASSERT_EQ(readImage(2, buildImage(edit, kUserConfig), 16), kAckUser);
    ASSERT_EQ(readImage(2, resetRequest(), 16), kAckReset);

    EXPECT_EQ(m_sim->address(0), loopbackHost(2));
    EXPECT_EQ(m_sim->configuration(0).ethernet.ipAddress, target);
    EXPECT_EQ(readImage(2, kReadUser, 60).size(), 60u);
    EXPECT_EQ(addressAt(queryAt(loopbackHost(2)), 36), loopbackHost(2));
    // The other device keeps its address and answers alone there.
    EXPECT_EQ(m_sim->address(1), loopbackHost(3));
    const Bytes other = queryAt(loopbackHost(3));
    ASSERT_EQ(other.size(), 68u);
    EXPECT_EQ(std::string(other.begin() + 44, other.begin() + 48), "GW-T");
}

INSTANTIATE_TEST_SUITE_P(
    Targets, RefusedMoveTest,
    ::testing::Values(RefusedMove{"OutsideLoopback", [] { return std::string("10.1.2.3"); }, false},
                      RefusedMove{"TakenByAnotherDevice", [] { return loopbackHost(3); }, false},
                      RefusedMove{"PortHeldElsewhere", [] { return loopbackHost(42); }, true}),
    [](const auto& param) { return std::string(param.param.why); });

TEST_F(SimulatorTest, IgnoreWriteAcknowledgesButKeepsTheConfiguration) {
    StateDir dir;
    DeviceSetup d = device(2);
    d.fault = {Fault::Kind::IgnoreWrite, 0};
    d.stateFile = dir.file("ignored.json");
    run({d});
    const CConfiguration before = m_sim->configuration(0);
    CConfiguration edit = before;
    edit.ethernet.ipAddress = loopbackHost(40);
    edit.ethernet.gateway = "10.9.9.9";
    edit.advance.userPassword = "new";
    edit.advance.adminPassword = "adm";
    EXPECT_EQ(readImage(2, buildImage(edit, kUserConfig), 16), kAckUser);
    EXPECT_EQ(readImage(2, buildImage(edit, kBackgroundConfig), 16),
              hexBytes("00000006 00000008 0000000000000000"));
    EXPECT_EQ(m_sim->configuration(0), before);

    // The next read (no password needed: none was stored) shows the old values.
    CConfiguration back;
    parseImage(readImage(2, kReadUser, 60), kUserConfig, back);
    EXPECT_EQ(back.ethernet.gateway, before.ethernet.gateway);
    EXPECT_EQ(back.ethernet.ipAddress, loopbackHost(2));
    EXPECT_EQ(readImage(2, resetRequest(), 16), kAckReset);
    EXPECT_EQ(m_sim->address(0), loopbackHost(2));
    EXPECT_FALSE(std::filesystem::exists(d.stateFile));
}

TEST_F(SimulatorTest, FaultsChangeWhileRunning) {
    run({device(2)});
    m_sim->setFault(0, {Fault::Kind::Refuse, 0});
    EXPECT_FALSE(TcpClient(loopbackHost(2), kPort).connected());
    m_sim->setFault(0, {});
    EXPECT_EQ(readImage(2, kReadUser, 60).size(), 60u);
}

}  // namespace
}  // namespace kvt::sim
