// Command-line device descriptions and the state file: its form, its mode, its earlier form.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
// After windows.h.
#include <aclapi.h>
#endif

#ifndef _WIN32
#include <csignal>
#endif

#include <filesystem>
#include <fstream>

#include "core/enip/Codec.h"
#include "core/platform/Interrupt.h"
#include "sim/DeviceSetupParser.h"
#include "sim/EnipDevice.h"
#include "sim/SimDevice.h"
#include "sim/StateFile.h"

namespace kvt::sim {
namespace {

TEST(FaultText, ParsesEveryKindAndRejectsNonsense) {
    struct Case {
        const char* text;
        std::optional<Fault> expected;
    };
    const Case cases[] = {
        {"none", Fault{}},
        {"no-answer", Fault{Fault::Kind::NoAnswer, 0}},
        {"refuse", Fault{Fault::Kind::Refuse, 0}},
        {"split", Fault{Fault::Kind::Split, 200}},  // default pause
        {"split:50", Fault{Fault::Kind::Split, 50}},
        {"short", Fault{Fault::Kind::Short, 0}},
        {"wrong-code", Fault{Fault::Kind::WrongCode, 0}},
        {"close", Fault{Fault::Kind::CloseWithoutReply, 0}},
        {"slow:1500", Fault{Fault::Kind::Slow, 1500}},
        {"ignore-write", Fault{Fault::Kind::IgnoreWrite, 0}},
        {"no-enip", Fault{Fault::Kind::NoEnip, 0}},
        {"ignore-write:5", std::nullopt},
        {"short:10", std::nullopt},  // no pause for this kind
        {"slow:-1", std::nullopt},
        {"slow:", std::nullopt},
        {"splits", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseFault(c.text), c.expected) << c.text;
        if (c.expected) {
            EXPECT_EQ(parseFault(faultText(*c.expected)), c.expected) << c.text;
        }
    }
}

TEST(DeviceSetupText, FullDescription) {
    std::string error;
    const auto setup = parseDeviceSetup(
        "name=网关-1,ip=127.0.0.2,mac=02:00:00:00:00:0a,user-password=1234, "
        "admin-password=admin,remote=forbid,product=123456,fw=1.10,fault=split:200,state=/tmp/s",
        0, &error);
    ASSERT_TRUE(setup) << error;
    EXPECT_EQ(setup->name, gbk("网关-1"));
    EXPECT_EQ(setup->address, "127.0.0.2");
    EXPECT_EQ(setup->mac, (std::array<std::uint8_t, 6>{2, 0, 0, 0, 0, 10}));
    EXPECT_EQ(setup->userPassword, "1234");
    EXPECT_EQ(setup->adminPassword, "admin");
    EXPECT_FALSE(setup->remoteAllowed);
    EXPECT_EQ(setup->productCode, 123456u);
    EXPECT_EQ(setup->firmwareMajor, 1);
    EXPECT_EQ(setup->firmwareMinor, 10);
    EXPECT_EQ(setup->fault, (Fault{Fault::Kind::Split, 200}));
    EXPECT_EQ(setup->stateFile, "/tmp/s");
}

TEST(DeviceSetupText, DefaultsAndErrors) {
    std::string error;
    const auto setup = parseDeviceSetup("ip=127.0.0.9", 4, &error);
    ASSERT_TRUE(setup) << error;
    EXPECT_EQ(setup->name, "GW-5");
    EXPECT_EQ(setup->mac[5], 5);
    EXPECT_TRUE(setup->remoteAllowed);
    EXPECT_FALSE(setup->enipSizes);
    const auto liar =
        parseDeviceSetup("ip=127.0.0.9,enip-sizes=68/64/0;132;128;0;260;250;0", 0, &error);
    ASSERT_TRUE(liar) << error;
    EXPECT_EQ(liar->enipSizes, (std::array<std::uint16_t, 9>{68, 64, 0, 132, 128, 0, 260, 250, 0}));
    for (const char* bad :
         {"name=x", "ip=10.0.0.1", "ip=127.0.0.2,mac=02:00", "ip=127.0.0.2,x=1",
          "ip=127.0.0.2,product=16777216", "ip=127.0.0.2,fw=1",
          "ip=127.0.0.2,user-password=123456789012345678901", "ip=127.0.0.2,remote=maybe",
          "ip=127.0.0.2,noequals", "ip=127.0.0.2,enip-sizes=1;2;3;4;5;6;7;8",
          "ip=127.0.0.2,enip-sizes=1;2;3;4;5;6;7;8;9;10",
          "ip=127.0.0.2,enip-sizes=1;2;3;4;5;6;7;8;70000"}) {
        EXPECT_FALSE(parseDeviceSetup(bad, 0, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(DeviceSetupText, GeneratedDevicesCrossOctetsAndStayOnLoopback) {
    std::string error;
    const auto devices = generateDevices(300, "127.0.0.2", 0, &error);
    ASSERT_TRUE(devices) << error;
    EXPECT_EQ(devices->at(253).address, "127.0.0.255");
    EXPECT_EQ(devices->at(254).address, "127.0.1.0");
    EXPECT_EQ(devices->at(299).name, "GW-300");
    EXPECT_EQ(devices->at(299).mac[4], 1);  // 300 = 0x012C
    EXPECT_EQ(devices->at(299).mac[5], 0x2C);
    EXPECT_FALSE(generateDevices(3, "127.255.255.254", 0, &error));
    EXPECT_FALSE(generateDevices(1, "192.168.0.1", 0, &error));
}

TEST(DeviceFile, OptionsAndDevices) {
    Options options;
    std::vector<DeviceSetup> devices;
    std::string error;
    const auto json = nlohmann::json::parse(R"({"discoveryPort": 19000, "devices": [
        {"ip": "127.0.0.5", "product": 30103, "fault": "slow:10"}, {"ip": "127.0.0.6"}]})");
    ASSERT_TRUE(loadDeviceFile(json, options, devices, &error)) << error;
    EXPECT_EQ(options.discoveryPort, 19000);
    EXPECT_EQ(options.devicePort, 18801);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].productCode, 30103u);
    EXPECT_EQ(devices[1].name, "GW-2");
    EXPECT_FALSE(loadDeviceFile(nlohmann::json::parse(R"({"devices": [{"name": "x"}]})"), options,
                                devices, &error));
    EXPECT_FALSE(
        loadDeviceFile(nlohmann::json::parse(R"({"devicePort": 0})"), options, devices, &error));
}

TEST(StateJson, RoundTripKeepsBytesThatAreNotValidGbk) {
    CConfiguration c = newConfiguration(kBackgroundConfig);
    c.ethernet.networkName = gbk("网关");
    c.advance.adminPassword = std::string("\xFF\x80\x01", 3);  // no GBK reading exists
    c.report = {1, "127.0.0.1", 16800, 7200};
    c.parameter.reservedParameter = 0xAB;
    c.parameter.assemblySizes[8] = "12";
    const auto json = configurationToJson(c, kBackgroundConfig);
    EXPECT_TRUE(json["network_name"].is_string());
    EXPECT_FALSE(json.contains("network_name_gbk_hex"));
    EXPECT_EQ(json["admin_password_gbk_hex"], "ff8001");
    std::string error;
    const auto back = configurationFromJson(json, CConfiguration{}, kUserConfig, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->config, c);
}

class StateFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("kvt-sim-parts-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string path(const char* name) const { return (m_dir / name).string(); }
    static unsigned mode(const std::string& file) {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    }
    // Mode 0600 on Linux; on Windows an access list that lets in this user and nobody else
    // (but the system itself: Wine derives the list from the file's mode and adds it).
    static bool ownerOnly(const std::string& file) {
#ifdef _WIN32
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (::GetNamedSecurityInfoA(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &dacl, nullptr, &descriptor) != 0) {
            return false;
        }
        HANDLE token = nullptr;
        ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
        unsigned char user[256];
        DWORD size = 0;
        const bool known = ::GetTokenInformation(token, TokenUser, user, sizeof user, &size);
        ::CloseHandle(token);
        const PSID me = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
        bool mine = false;
        bool others = dacl == nullptr;  // no list at all: everybody may
        for (DWORD i = 0; known && dacl && i < dacl->AceCount; ++i) {
            void* ace = nullptr;
            if (!::GetAce(dacl, i, &ace)) continue;
            const PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
            if (static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
            if (::EqualSid(sid, me)) {
                mine = true;
            } else if (!::IsWellKnownSid(sid, WinLocalSystemSid)) {
                others = true;
            }
        }
        ::LocalFree(descriptor);
        return known && mine && !others;
#else
        return mode(file) == 0600u;
#endif
    }
    std::filesystem::path m_dir;
};

TEST_F(StateFileTest, NewFileIsTheOwnersAloneAndAReplacedOneKeepsItsMode) {
    const std::string file = path("gw.json");
    CConfiguration c = newConfiguration(kBackgroundConfig);
    c.advance.adminPassword = "secret";
    std::string error;
    ASSERT_TRUE(saveStateFile(file, c, &error)) << error;
    EXPECT_TRUE(ownerOnly(file));

#ifndef _WIN32
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
#endif
    c.ethernet.ipAddress = "127.0.0.9";
    ASSERT_TRUE(saveStateFile(file, c, &error)) << error;
#ifndef _WIN32
    EXPECT_EQ(mode(file), 0640u);
#endif
    const auto back = loadStateFile(file, CConfiguration{}, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, c);  // the replacement did happen
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 1);  // no leftovers
}

TEST_F(StateFileTest, EarlierCamelCaseFormIsStillRead) {
    // As the simulator wrote it before the state took the CLI's JSON form.
    const std::string file = path("earlier.json");
    std::ofstream(file) << R"({
  "adminPassword": {"gbkHex": "ff8001"},
  "assemblySizes": ["64", "64", "0", "128", "128", "0", "256", "256", "12"],
  "dns1": "0.0.0.0",
  "dns2": "8.8.8.8",
  "gateway": "127.0.0.1",
  "ipAddress": "127.0.0.7",
  "ipMethod": 0,
  "ipSettingMethod": 1,
  "networkName": "网关",
  "report": {"enabled": 1, "period": 7200, "port": 16801, "targetIp": "127.0.0.1"},
  "reservedParameter": 171,
  "subnetMask": "255.0.0.0",
  "userPassword": "1234"
})";
    CConfiguration expected = newConfiguration(kBackgroundConfig);
    expected.ethernet = {gbk("网关"), 0,         "127.0.0.7", "255.0.0.0",
                         "127.0.0.1", "0.0.0.0", "8.8.8.8"};
    expected.advance = {"1234", std::string("\xFF\x80\x01", 3)};
    expected.report = {1, "127.0.0.1", 16801, 7200};
    expected.parameter.ipSettingMethod = 1;
    expected.parameter.reservedParameter = 171;
    expected.parameter.assemblySizes[8] = "12";
    std::string error;
    const auto back = loadStateFile(file, newConfiguration(kBackgroundConfig), &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, expected);

    std::ofstream(file, std::ios::trunc) << R"({"ipAddress": "127.0.0.7", "report": 5})";
    EXPECT_FALSE(loadStateFile(file, CConfiguration{}, &error));
    EXPECT_NE(error.find("report"), std::string::npos) << error;
}

// The EtherNet/IP answers that no third-party client provokes: requests out of order or of
// the wrong shape, and the objects' edges.
TEST(EnipAnswers, SessionsAndRequestsOutOfShape) {
    using namespace kvt::enip;
    SimDevice device(defaultDevice(0, "127.0.0.9"));
    const EnipView view = enipView(device, kPort);
    EXPECT_EQ(view.identity.serial, 1u);  // MAC 02:00:00:00:00:01
    EnipConnection connection;
    const auto status = [&](const Bytes& message) {
        const auto answer = answerEnip(message, &connection, view);
        return parseHeader(answer.bytes)->status;
    };
    const Bytes cip = encodeRequest(kGetAttributeSingle, Path{kAssemblyClass, 102, 4});
    EXPECT_EQ(status(sendRRData(0, cip)), kEncapInvalidSession);  // before RegisterSession
    Bytes version2 = registerSessionRequest();
    version2[24] = 2;
    EXPECT_EQ(status(version2), kEncapUnsupportedProtocol);
    EXPECT_EQ(status(encode(Header{.command = 0x0070})), kEncapInvalidCommand);
    EXPECT_TRUE(answerEnip(registerSessionRequest(), nullptr, view).bytes.empty());  // not on UDP
    ASSERT_EQ(status(registerSessionRequest()), kEncapSuccess);
    EXPECT_EQ(status(sendRRData(connection.session + 1, cip)), kEncapInvalidSession);

    const auto ask = [&](std::uint8_t service, Path path, const Bytes& data = {}) {
        const auto answer = answerEnip(
            sendRRData(connection.session, encodeRequest(service, path, data)), &connection, view);
        return *parseReply(*unconnectedData(answer.bytes));
    };
    EXPECT_EQ(ask(kGetAttributeSingle, {kAssemblyClass, 102, 4}).data, (Bytes{68, 0}));
    EXPECT_EQ(ask(kGetAttributeSingle, {kAssemblyClass, 101, 3}).data, Bytes(64, 0));
    EXPECT_EQ(ask(kGetAttributeSingle, {kAssemblyClass, 150, 4}).generalStatus,
              kPathDestinationUnknown);
    EXPECT_EQ(ask(kGetAttributeSingle, {kAssemblyClass, 102, 9}).generalStatus,
              kAttributeNotSupported);
    EXPECT_EQ(ask(kGetAttributesAll, {kAssemblyClass, 102, std::nullopt}).generalStatus,
              kServiceNotSupported);
    EXPECT_EQ(ask(kGetAttributeSingle, {kIdentityClass, 1, 7}).data,
              (Bytes{4, 'G', 'W', '-', '1'}));
    EXPECT_EQ(ask(kGetAttributesAll, {kIdentityClass, 1, std::nullopt}).data,
              identityAttributes(view.identity));
    EXPECT_EQ(ask(kGetAttributeSingle, {0x64, 1, 1}).generalStatus, kPathDestinationUnknown);

    ForwardOpen open;
    open.otParameters = connectionParameters(70);
    open.toParameters = connectionParameters(70);
    open.path = encodeConnectionPath({103, 111, 102});  // points of two sets
    const kvt::enip::Reply refused =
        ask(kForwardOpen, {kConnectionManagerClass, 1, std::nullopt}, encodeForwardOpen(open));
    EXPECT_EQ(refused.generalStatus, kConnectionFailure);
    EXPECT_EQ(refused.additionalStatus, std::vector<std::uint16_t>{kInvalidApplicationPath});
}

// The simulator (and the CLI's listen) run until Ctrl+C: the interrupt ends the wait once and
// does not end the process.
TEST(InterruptWait, CtrlCEndsTheWaitOnce) {
    platform::InterruptWait interrupts;
    EXPECT_FALSE(interrupts.wait(std::chrono::milliseconds(20)));
#ifdef _WIN32
    if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) GTEST_SKIP() << "no console for Ctrl+C";
#else
    ASSERT_EQ(std::raise(SIGINT), 0);
#endif
    EXPECT_TRUE(interrupts.wait(std::chrono::seconds(5)));
    EXPECT_FALSE(interrupts.wait(std::chrono::milliseconds(20)));
}

}  // namespace
}  // namespace kvt::sim
