#include "NetFixture.h"
#include "core/config/DeviceImage.h"
#include "core/device/Messages.h"
#include "core/flows/DeviceFlows.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"

namespace kvt::test {
namespace {

using namespace std::chrono_literals;
using kvt::sim::DeviceSetup;
using kvt::sim::Fault;
using Kind = Fault::Kind;

constexpr int kHost = 2;

class ExchangesTest : public NetTest {
protected:
    // One simulated gateway on host 2, found by a search by IP and selected as a click would.
    kvt::sim::Simulator& startDevice(DeviceSetup setup) {
        auto& sim = startSimulator({std::move(setup)}, kHost);
        m_session = loopbackSession(kHost);
        EXPECT_EQ(searchByAddress(m_session.network, m_session.devices, loopbackHost(kHost)),
                  Outcome::Done);
        EXPECT_EQ(m_session.selectRow(0), Bench::Selection::Supported);
        return sim;
    }
    static DeviceSetup setup() { return device(kHost, "gw"); }
    static DeviceSetup protectedSetup() {
        DeviceSetup s = setup();
        s.userPassword = "user1";
        s.adminPassword = "admin1";
        return s;
    }

    Bench m_session;
    ScriptedUi m_ui;
};

TEST_F(ExchangesTest, ReadsBothKindsFromAnOpenDevice) {
    auto& sim = startDevice(setup());
    ASSERT_EQ(readConfiguration(m_session.target(), kBackgroundConfig, m_session, m_ui, m_ui),
              Outcome::Done);
    EXPECT_TRUE(m_ui.messages.empty());
    ASSERT_TRUE(m_session.config);
    EXPECT_EQ(m_session.configKind, kBackgroundConfig);
    EXPECT_EQ(m_session.config->productCode, kProductKvt275r);
    EXPECT_EQ(m_session.config->ethernet.ipAddress, loopbackHost(kHost));
    EXPECT_EQ(m_session.config->ethernet.networkName, "gw");
    EXPECT_FALSE(m_session.selectedDevice()->passwordSet(kBackgroundConfig));

    ASSERT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::Done);
    // A user read starts from a fresh configuration: the network name falls back.
    EXPECT_EQ(m_session.config->ethernet.networkName, CConfiguration{}.ethernet.networkName);
    EXPECT_EQ(m_ui.passwordDialogs, 0);
    EXPECT_EQ(sim.requests(0),
              (std::vector<Bytes>{readRequest(kBackgroundConfig), readRequest(kUserConfig)}));
    EXPECT_GT(m_ui.blockingSteps, 0);
}

TEST_F(ExchangesTest, PasswordCheckThenReadOnTheSameConnection) {
    auto& sim = startDevice(protectedSetup());
    m_ui.passwords = {"admin1"};
    ASSERT_EQ(readConfiguration(m_session.target(), kBackgroundConfig, m_session, m_ui, m_ui),
              Outcome::Done);
    EXPECT_TRUE(m_ui.messages.empty());
    EXPECT_EQ(m_session.readPassword, "admin1");
    EXPECT_TRUE(m_session.selectedDevice()->passwordSet(kBackgroundConfig));
    // The device only answers the read on the connection that passed the check.
    EXPECT_EQ(sim.requests(0),
              (std::vector<Bytes>{passwordCheckRequest(kBackgroundConfig, "admin1"),
                                  readRequest(kBackgroundConfig)}));
    EXPECT_EQ(m_session.config->advance.adminPassword, "admin1");
}

TEST_F(ExchangesTest, PasswordDialogRetriesAfterAFailedConnect) {
    auto& sim = startDevice(protectedSetup());
    sim.setFault(0, {Kind::Refuse, 0});
    m_ui.passwords = {"user1"};
    EXPECT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::Cancelled);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4032});

    sim.setFault(0, {});
    m_ui.messages.clear();
    m_ui.passwords = {"user1"};
    EXPECT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::Done);
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(ExchangesTest, WrongPasswordEndsTheReadBeforeAnyRequest) {
    auto& sim = startDevice(protectedSetup());
    m_session.newFill(kUserConfig);
    m_session.config->ethernet.ipAddress = "1.2.3.4";
    m_ui.passwords = {"nope"};
    EXPECT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::WrongPassword);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4014});
    EXPECT_EQ(sim.requests(0), std::vector<Bytes>{passwordCheckRequest(kUserConfig, "nope")});
    EXPECT_EQ(m_session.config->ethernet.ipAddress, "1.2.3.4");  // earlier configuration kept
}

TEST_F(ExchangesTest, CancelledPasswordDialogEndsSilently) {
    auto& sim = startDevice(protectedSetup());
    EXPECT_EQ(readConfiguration(m_session.target(), kBackgroundConfig, m_session, m_ui, m_ui),
              Outcome::Cancelled);
    EXPECT_EQ(m_ui.passwordDialogs, 1);
    EXPECT_TRUE(m_ui.messages.empty());
    EXPECT_TRUE(sim.requests(0).empty());
}

TEST_F(ExchangesTest, ForbiddenDeviceIsRefusedAfterThePasswordCheck) {
    DeviceSetup s = protectedSetup();
    s.remoteAllowed = false;
    auto& sim = startDevice(s);
    m_ui.passwords = {"user1"};
    EXPECT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::ReadForbidden);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4017});
    EXPECT_EQ(sim.requests(0), std::vector<Bytes>{passwordCheckRequest(kUserConfig, "user1")});

    // The reset is refused without a question.
    m_ui.messages.clear();
    EXPECT_EQ(remoteReset(m_session.target(), m_ui, m_ui), Outcome::ResetForbidden);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4030});
    EXPECT_EQ(m_ui.resetQuestions, 0);
}

struct ReadFault {
    const char* why;
    Fault fault;
    bool succeeds;
    std::uint32_t message;  // 0: none
};

class ReadFaultTest : public ExchangesTest, public ::testing::WithParamInterface<ReadFault> {};

TEST_P(ReadFaultTest, ShowsTheMessageOfTheFailure) {
    auto& sim = startDevice(setup());
    sim.setFault(0, GetParam().fault);
    EXPECT_EQ(readConfiguration(m_session.target(), kBackgroundConfig, m_session, m_ui, m_ui) ==
                  Outcome::Done,
              GetParam().succeeds);
    if (GetParam().message) {
        EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{GetParam().message});
    } else {
        EXPECT_TRUE(m_ui.messages.empty());
    }
    if (GetParam().succeeds) {
        EXPECT_EQ(m_session.config->ethernet.networkName, "gw");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadFaultTest,
    ::testing::Values(ReadFault{"refused", {Kind::Refuse, 0}, false, 4019},
                      ReadFault{"split", {Kind::Split, 100}, true, 0},
                      ReadFault{"slow", {Kind::Slow, 500}, true, 0},
                      ReadFault{"wrongCode", {Kind::WrongCode, 0}, false, 4020},
                      ReadFault{"closed", {Kind::CloseWithoutReply, 0}, false, 4020},
                      // The length field promises more than arrives: eight attempts, then 4021.
                      ReadFault{"short", {Kind::Short, 0}, false, 4021},
                      ReadFault{"silent", {Kind::NoAnswer, 0}, false, 4020}),
    [](const auto& param) { return std::string(param.param.why); });

TEST_F(ExchangesTest, UnansweredConnectIsBounded) {
    // A device whose accept queue is full: our connect limit ends the wait.
    platform::Socket listener(platform::Socket::Kind::Tcp);
    ASSERT_TRUE(listener.bind({*parseIpv4(loopbackHost(5)), m_session.network.devicePort}));
    ASSERT_TRUE(listener.listen(0));
    std::vector<TcpConnection> fillers;
    for (int i = 0; i < 8; ++i) {
        TcpConnection filler =
            TcpConnection::connect(loopbackHost(5), m_session.network.devicePort, 200ms, nullptr);
        if (!filler.connected()) break;
        fillers.push_back(std::move(filler));
    }
    ASSERT_LT(fillers.size(), 8u);

    m_session = loopbackSession();
    m_session.network.connectTimeoutMs = 300;
    m_session.devices.assign(1, CEquipment{});
    m_session.devices[0].productCode = kProductKvt275r;
    m_session.devices[0].ipAddress = loopbackHost(5);
    m_session.devices[0].remoteConfig = RemoteConfig::Allowed;
    ASSERT_EQ(m_session.selectRow(0), Bench::Selection::Supported);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::ReadConnectFailed);
    EXPECT_LT(elapsedSince(start), 1000ms);
    m_session.newFill(kUserConfig);
    download(m_session.target(), m_session, m_ui, m_ui);
    m_ui.resetAnswer = true;
    remoteReset(m_session.target(), m_ui, m_ui);
    // The download's password path with a remembered password is bounded too.
    m_session.devices[0].userPasswordSet = true;
    m_session.configOrigin = ConfigOrigin::ReadFromDevice;
    download(m_session.target(), m_session, m_ui, m_ui);
    EXPECT_EQ(m_ui.messages, (std::vector<std::uint32_t>{4019, 5044, 4032, 7001}));
    EXPECT_LT(elapsedSince(start), 3000ms);
}

TEST_F(ExchangesTest, DownloadWithoutPasswordSendsOneImageThenOffersTheReset) {
    auto& sim = startDevice(setup());
    m_session.newFill(kUserConfig);
    m_session.config->ethernet.ipAddress = "192.168.7.7";
    const DownloadOutcome outcome = download(m_session.target(), m_session, m_ui, m_ui);
    EXPECT_TRUE(outcome.acknowledged());
    EXPECT_EQ(outcome.reset, Outcome::Cancelled);  // the question declined
    EXPECT_TRUE(m_ui.messages.empty());
    EXPECT_EQ(m_ui.resetQuestions, 1);
    EXPECT_EQ(sim.requests(0), std::vector<Bytes>{buildImage(*m_session.config, kUserConfig)});
    EXPECT_EQ(sim.configuration(0).ethernet.ipAddress, "192.168.7.7");
    EXPECT_EQ(sim.resets(0), 0u);

    m_ui.resetAnswer = true;
    download(m_session.target(), m_session, m_ui, m_ui);
    EXPECT_EQ(sim.resets(0), 1u);
    EXPECT_EQ(sim.requests(0).back(), resetRequest());
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(ExchangesTest, DownloadAfterAReadPresentsTheRememberedPassword) {
    auto& sim = startDevice(protectedSetup());
    m_ui.passwords = {"user1"};
    ASSERT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::Done);
    EXPECT_EQ(m_session.configOrigin, ConfigOrigin::ReadFromDevice);
    EXPECT_EQ(m_session.editorCaption, uiText(4179));
    m_session.config->ethernet.gateway = "10.9.9.1";
    EXPECT_TRUE(download(m_session.target(), m_session, m_ui, m_ui).acknowledged());
    EXPECT_EQ(m_ui.passwordDialogs, 1);  // only the read's
    EXPECT_TRUE(m_ui.messages.empty());
    const auto requests = sim.requests(0);
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[2], passwordCheckRequest(kUserConfig, "user1"));
    EXPECT_EQ(requests[3], buildImage(*m_session.config, kUserConfig));
    EXPECT_EQ(sim.configuration(0).ethernet.gateway, "10.9.9.1");
}

TEST_F(ExchangesTest, DownloadOfAFileAsksForThePassword) {
    auto& sim = startDevice(protectedSetup());
    m_session.newFill(kBackgroundConfig);  // a New configuration: the password is not known
    ASSERT_TRUE(m_session.selectedDevice()->passwordSet(kBackgroundConfig));
    // The dialog is cancelled.
    EXPECT_EQ(download(m_session.target(), m_session, m_ui, m_ui).write, Outcome::Cancelled);
    EXPECT_TRUE(m_ui.messages.empty());
    EXPECT_TRUE(sim.requests(0).empty());

    m_ui.passwords = {"bad"};
    EXPECT_EQ(download(m_session.target(), m_session, m_ui, m_ui).write, Outcome::WrongPassword);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4014});

    m_ui.messages.clear();
    m_ui.passwords = {"admin1"};
    EXPECT_TRUE(download(m_session.target(), m_session, m_ui, m_ui).acknowledged());
    EXPECT_TRUE(m_ui.messages.empty());
    EXPECT_EQ(sim.requests(0).back(), buildImage(*m_session.config, kBackgroundConfig));
}

struct WriteFault {
    const char* why;
    Fault fault;
    std::uint32_t message;
};

class DownloadFaultTest : public ExchangesTest, public ::testing::WithParamInterface<WriteFault> {};

TEST_P(DownloadFaultTest, FailsWithItsMessageAndNoResetQuestion) {
    auto& sim = startDevice(setup());
    m_session.newFill(kBackgroundConfig);
    sim.setFault(0, GetParam().fault);
    m_ui.resetAnswer = true;
    const DownloadOutcome outcome = download(m_session.target(), m_session, m_ui, m_ui);
    EXPECT_FALSE(outcome.acknowledged());
    EXPECT_FALSE(outcome.reset);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{GetParam().message});
    EXPECT_EQ(m_ui.resetQuestions, 0);
    EXPECT_EQ(sim.resets(0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Faults, DownloadFaultTest,
                         ::testing::Values(WriteFault{"refused", {Kind::Refuse, 0}, 5044},
                                           WriteFault{"silent", {Kind::NoAnswer, 0}, 5046},
                                           // A close is an empty acknowledgement: wrong code.
                                           WriteFault{"closed", {Kind::CloseWithoutReply, 0}, 5047},
                                           WriteFault{"wrongCode", {Kind::WrongCode, 0}, 5047}),
                         [](const auto& param) { return std::string(param.param.why); });

// Replies that come in several segments: the password reply, the image and the
// acknowledgement are each gathered before they are judged.
TEST_F(ExchangesTest, SplitRepliesAreAssembled) {
    auto& sim = startDevice(protectedSetup());
    sim.setFault(0, {Kind::Split, 100});
    m_ui.passwords = {"user1"};
    ASSERT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::Done);
    EXPECT_EQ(m_session.config->advance.userPassword, "user1");
    EXPECT_TRUE(download(m_session.target(), m_session, m_ui, m_ui).acknowledged());
    EXPECT_TRUE(m_ui.messages.empty());
}

struct PasswordPathFault {
    const char* why;
    Fault fault;
    std::uint32_t message;
};

class DownloadPasswordPathTest : public ExchangesTest,
                                 public ::testing::WithParamInterface<PasswordPathFault> {};

// The remembered password is checked again: silence is a failed connection, while a device
// that hangs up without a word has answered, and its empty answer is not an acceptance.
TEST_P(DownloadPasswordPathTest, FailsWithItsMessage) {
    auto& sim = startDevice(protectedSetup());
    m_ui.passwords = {"user1"};
    ASSERT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::Done);
    sim.setFault(0, GetParam().fault);
    EXPECT_FALSE(download(m_session.target(), m_session, m_ui, m_ui).acknowledged());
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DownloadPasswordPathTest,
    ::testing::Values(PasswordPathFault{"closed", {Kind::CloseWithoutReply, 0}, 4014},
                      PasswordPathFault{"silent", {Kind::NoAnswer, 0}, 7002}),
    [](const auto& param) { return std::string(param.param.why); });

TEST_F(ExchangesTest, PasswordCheckClosedWithoutReplyIsAWrongPassword) {
    auto& sim = startDevice(protectedSetup());
    sim.setFault(0, {Kind::CloseWithoutReply, 0});
    m_ui.passwords = {"user1"};
    EXPECT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
              Outcome::WrongPassword);
    EXPECT_EQ(m_ui.passwordDialogs, 1);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4014});
    EXPECT_EQ(sim.requests(0), std::vector<Bytes>{passwordCheckRequest(kUserConfig, "user1")});
}

TEST_F(ExchangesTest, OlderProductsAreNotSentABlankBlock) {
    auto& sim = startDevice(setup());
    m_session.newFill(kUserConfig);
    m_session.config->productCode = kProductLegacyB;
    EXPECT_EQ(download(m_session.target(), m_session, m_ui, m_ui).write, Outcome::LegacyDownload);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{kMsgLegacyDownload});
    EXPECT_TRUE(sim.requests(0).empty());
}

TEST_F(ExchangesTest, DownloadWithoutSelection) {
    m_session = loopbackSession();
    m_session.newFill(kUserConfig);
    EXPECT_EQ(download(m_session.target(), m_session, m_ui, m_ui).write, Outcome::DownloadNoDevice);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4311});
}

struct ResetFault {
    const char* why;
    Fault fault;
    std::uint32_t message;
};

class ResetFaultTest : public ExchangesTest, public ::testing::WithParamInterface<ResetFault> {};

TEST_P(ResetFaultTest, ShowsTheMessageOfTheFailure) {
    auto& sim = startDevice(setup());
    sim.setFault(0, GetParam().fault);
    m_ui.resetAnswer = true;
    remoteReset(m_session.target(), m_ui, m_ui);
    EXPECT_EQ(m_ui.resetQuestions, 1);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(Faults, ResetFaultTest,
                         ::testing::Values(ResetFault{"refused", {Kind::Refuse, 0}, 4032},
                                           ResetFault{"silent", {Kind::NoAnswer, 0}, 5065},
                                           ResetFault{"closed", {Kind::CloseWithoutReply, 0}, 5065},
                                           ResetFault{"wrongCode", {Kind::WrongCode, 0}, 5065}),
                         [](const auto& param) { return std::string(param.param.why); });

TEST_F(ExchangesTest, ResetCancelledSendsNothing) {
    auto& sim = startDevice(setup());
    remoteReset(m_session.target(), m_ui, m_ui);
    EXPECT_EQ(m_ui.resetQuestions, 1);
    EXPECT_TRUE(sim.requests(0).empty());
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(ExchangesTest, PasswordAttemptWithoutReply) {
    auto& sim = startDevice(protectedSetup());
    sim.setFault(0, {Kind::NoAnswer, 0});
    const auto start = std::chrono::steady_clock::now();
    PasswordAttempt attempt = attemptPasswordCheck(m_session.target(), kUserConfig, "user1", m_ui);
    EXPECT_FALSE(attempt.answer);
    EXPECT_EQ(messageFor(attempt.outcome), 7002u);
    EXPECT_GE(elapsedSince(start), 1900ms);
}

// A wait cancelled from another thread (the desktop tool's Cancel) ends the flow at once, as a
// failed connect of that flow would, but without its message: the user asked for the end.
struct CancelledWait {
    const char* why;
    WaitFor step;
    bool protectedDevice;
    bool readFirst;  // the configuration comes from a read, so the download checks its password
    std::function<Outcome(Bench&, ScriptedUi&)> flow;
    Outcome outcome;
};

void PrintTo(const CancelledWait& wait, std::ostream* out) {
    *out << wait.why;
}

class CancelledWaitTest : public ExchangesTest,
                          public ::testing::WithParamInterface<CancelledWait> {};

TEST_P(CancelledWaitTest, EndsAtOnceWithoutAMessage) {
    const CancelledWait& c = GetParam();
    auto& sim = startDevice(c.protectedDevice ? protectedSetup() : setup());
    m_session.newFill(kUserConfig);
    if (c.readFirst) {
        m_ui.passwords = {"user1"};
        ASSERT_EQ(readConfiguration(m_session.target(), kUserConfig, m_session, m_ui, m_ui),
                  Outcome::Done);
    }
    m_ui.passwords = {"user1"};
    m_ui.resetAnswer = true;
    sim.setFault(0, {Kind::NoAnswer, 0});
    m_ui.cancelDuring(c.step);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c.flow(m_session, m_ui), c.outcome);
    // Its limits are 2 s and more; the cancel comes after 150 ms.
    EXPECT_LT(elapsedSince(start), 1000ms);
    EXPECT_FALSE(m_ui.cancelWhile) << "the step never waited";
    EXPECT_TRUE(m_ui.messages.empty());
    // The Cancel ended with its flow: what comes next shows its messages again.
    EXPECT_FALSE(m_ui.token->cancelled());
    m_ui.report(Outcome::SaveFailed);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{messageFor(Outcome::SaveFailed)});
    m_ui.messages.clear();

    // The next flow is not cancelled by the last one's Cancel.
    sim.setFault(0, {});
    m_ui.passwords = {"user1"};
    EXPECT_EQ(c.flow(m_session, m_ui), Outcome::Done);
    EXPECT_TRUE(m_ui.messages.empty());
    m_ui.token.reset();  // its descriptor is counted when the test ends
}

Outcome readUser(Bench& session, ScriptedUi& ui) {
    return readConfiguration(session.target(), kUserConfig, session, ui, ui);
}
Outcome downloadWrite(Bench& session, ScriptedUi& ui) {
    return download(session.target(), session, ui, ui).write;
}
Outcome resetOnly(Bench& session, ScriptedUi& ui) {
    return remoteReset(session.target(), ui, ui);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CancelledWaitTest,
    ::testing::Values(CancelledWait{"readImage", WaitFor::Read, false, false, readUser,
                                    Outcome::ReadConnectFailed},
                      // The dialog stays as after a failed connect; the user then gives up.
                      CancelledWait{"readPasswordCheck", WaitFor::PasswordCheck, true, false,
                                    readUser, Outcome::Cancelled},
                      CancelledWait{"downloadAcknowledgement", WaitFor::Download, false, false,
                                    downloadWrite, Outcome::WriteConnectFailed},
                      CancelledWait{"downloadPasswordCheck", WaitFor::PasswordCheck, true, true,
                                    downloadWrite, Outcome::PasswordConnectFailed},
                      CancelledWait{"resetReply", WaitFor::Reset, false, false, resetOnly,
                                    Outcome::ConnectFailed}),
    [](const auto& param) { return std::string(param.param.why); });

TEST_F(ExchangesTest, DownloadEndIsToldOnce) {
    auto& sim = startDevice(setup());
    m_session.newFill(kUserConfig);
    EXPECT_TRUE(download(m_session.target(), m_session, m_ui, m_ui).acknowledged());
    sim.setFault(0, {Kind::Refuse, 0});
    EXPECT_EQ(download(m_session.target(), m_session, m_ui, m_ui).write,
              Outcome::WriteConnectFailed);
    EXPECT_EQ(m_ui.downloads, (std::vector<Outcome>{Outcome::Done, Outcome::WriteConnectFailed}));
}

}  // namespace
}  // namespace kvt::test
