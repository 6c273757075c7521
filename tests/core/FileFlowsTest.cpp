#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/files/ConfigFile.h"
#include "core/flows/FileFlows.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

// Answers the flows from scripted values and records what they asked. No device is ever
// selected for saving, so no flow reaches the network.
class FakeUi : public FlowUi {
public:
    void message(std::uint32_t textId) override { messages.push_back(textId); }
    std::optional<PasswordAnswer> askPassword(const Session&, ConfigKind) override {
        ADD_FAILURE() << "no password dialog expected";
        return std::nullopt;
    }
    bool confirmReset() override { return false; }
    std::optional<ConfigKind> chooseKind() override {
        ++kindQuestions;
        return kind;
    }
    std::string chooseSavePath() override {
        ++saveDialogs;
        return savePath;
    }
    std::string chooseOpenPath() override {
        ++openDialogs;
        return openPath;
    }

    std::optional<ConfigKind> kind;
    std::string savePath;
    std::string openPath;
    std::vector<std::uint32_t> messages;
    int kindQuestions = 0;
    int saveDialogs = 0;
    int openDialogs = 0;
};

class FileFlows : public ::testing::Test {
protected:
    void SetUp() override {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("kvt-fileflows-" + std::to_string(std::random_device{}()));
        ASSERT_TRUE(std::filesystem::create_directory(dir));
        m_dir = dir.string();
        m_session.ensureConfiguration();
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    static std::string slurp(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void addDevice(const char* firmware, RemoteConfig permission) {
        CEquipment device;
        device.firmwareVersion = firmware;
        device.ipAddress = "127.0.0.2";
        device.remoteConfig = permission;
        m_session.devices.push_back(device);
    }

    std::string m_dir;
    Session m_session;
    FakeUi m_ui;
};

TEST_F(FileFlows, MainWindowSaveWritesTheNewFillOfTheChosenKind) {
    m_ui.kind = kBackgroundConfig;
    m_ui.savePath = path("b.inf");
    EXPECT_EQ(saveConfigurationFile(m_session, m_ui, SaveFrom::MainWindow), Outcome::Done);
    EXPECT_EQ(m_ui.kindQuestions, 1);
    EXPECT_EQ(m_session.configKind, kBackgroundConfig);
    EXPECT_EQ(m_session.editorCaption, uiText(4189));
    EXPECT_EQ(*m_session.config, newConfiguration(kBackgroundConfig));
    EXPECT_EQ(slurp(m_ui.savePath), writeConfigFile(newConfiguration(kBackgroundConfig),
                                                    kBackgroundConfig, "", Lang::Zh));
}

TEST_F(FileFlows, ChooserCancelledChangesNothing) {
    m_session.config->ethernet.networkName = "kept";
    EXPECT_EQ(saveConfigurationFile(m_session, m_ui, SaveFrom::MainWindow), Outcome::Cancelled);
    EXPECT_EQ(m_ui.saveDialogs, 0);
    EXPECT_EQ(m_session.config->ethernet.networkName, "kept");
}

TEST_F(FileFlows, EditorSaveWritesTheConfigurationUnchanged) {
    m_session.newFill(kUserConfig);
    m_session.config->ethernet.ipAddress = "10.9.8.7";
    m_session.config->identity.firmwareVersion = "1.1";
    const CConfiguration before = *m_session.config;
    m_ui.savePath = path("u.inf");
    m_session.lang = Lang::En;

    EXPECT_EQ(saveConfigurationFile(m_session, m_ui, SaveFrom::Editor), Outcome::Done);
    EXPECT_EQ(m_ui.kindQuestions, 0);
    EXPECT_EQ(*m_session.config, before);
    EXPECT_EQ(slurp(m_ui.savePath), writeConfigFile(before, kUserConfig, "1.1", Lang::En));
}

TEST_F(FileFlows, FirmwareLineComesFromTheSelectedDevice) {
    addDevice("9.9", RemoteConfig::Allowed);
    m_session.selectedIndex = 0;
    m_session.config->identity.firmwareVersion = "1.1";
    m_ui.savePath = path("f.inf");
    // Editor mode: no device read.
    ASSERT_EQ(saveConfigurationFile(m_session, m_ui, SaveFrom::Editor), Outcome::Done);
    const ParsedConfigFile parsed = readConfigFile(slurp(m_ui.savePath), Lang::Zh);
    EXPECT_EQ(parsed.config.identity.firmwareVersion, "9.9");
}

TEST_F(FileFlows, SaveDialogCancelledWritesNothing) {
    EXPECT_EQ(saveConfigurationFile(m_session, m_ui, SaveFrom::Editor), Outcome::Cancelled);
    EXPECT_EQ(m_ui.saveDialogs, 1);
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(FileFlows, UnwritableFileIsReportedAndTheOldFileKept) {
    m_ui.savePath = path("missing-folder/x.inf");
    EXPECT_EQ(saveConfigurationFile(m_session, m_ui, SaveFrom::Editor), Outcome::SaveFailed);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{kMsgSaveFailed});
}

TEST_F(FileFlows, OpenReadsTheFileIntoAFreshConfiguration) {
    CConfiguration written = newConfiguration(kBackgroundConfig);
    written.ethernet.networkName = "gw";
    const std::string file = path("配置 1.inf");
    ASSERT_TRUE(writeFileAtomically(file, writeConfigFile(written, kBackgroundConfig, "", Lang::Zh),
                                    nullptr));
    m_session.configKind = kUserConfig;
    m_session.config->advance.userPassword = "old";
    m_ui.openPath = file;

    EXPECT_EQ(openConfigurationFile(m_session, m_ui), Outcome::Done);
    EXPECT_EQ(m_session.configKind, kBackgroundConfig);
    EXPECT_EQ(m_session.editorCaption, gbk("配置 1.inf"));
    EXPECT_EQ(*m_session.config, written);
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(FileFlows, OpenRefusedWhenTheSelectedDeviceForbidsRemoteConfiguration) {
    addDevice("1.0", RemoteConfig::Forbidden);
    m_session.selectedIndex = 0;
    m_session.config->ethernet.networkName = "kept";
    EXPECT_EQ(openConfigurationFile(m_session, m_ui), Outcome::OpenForbidden);
    EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4115});
    EXPECT_EQ(m_ui.openDialogs, 0);
    EXPECT_EQ(m_session.config->ethernet.networkName, "kept");

    // Allowed devices open normally.
    m_session.devices[0].remoteConfig = RemoteConfig::Allowed;
    m_ui.openPath = path("none.inf");
    openConfigurationFile(m_session, m_ui);
    EXPECT_EQ(m_ui.openDialogs, 1);
}

TEST_F(FileFlows, OpenCancelledChangesNothing) {
    CConfiguration* before = m_session.config.get();
    m_session.editorCaption = "c";
    EXPECT_EQ(openConfigurationFile(m_session, m_ui), Outcome::Cancelled);
    EXPECT_EQ(m_session.config.get(), before);
    EXPECT_EQ(m_session.editorCaption, "c");
}

TEST_F(FileFlows, FileThatCannotBeOpenedLeavesAFreshConfiguration) {
    for (const std::string& target : {path("none.inf"), m_dir}) {
        SCOPED_TRACE(target);
        m_ui.messages.clear();
        m_session.config->ethernet.networkName = "old";
        m_session.editorCaption = "c";
        m_ui.openPath = target;
        EXPECT_EQ(openConfigurationFile(m_session, m_ui), Outcome::FileMissing);
        EXPECT_EQ(m_ui.messages, std::vector<std::uint32_t>{4116});
        EXPECT_EQ(*m_session.config, CConfiguration{});
        EXPECT_EQ(m_session.editorCaption, "c");
    }
}

TEST(FileName, LastComponentWithExtension) {
    EXPECT_EQ(fileNameOf("/a/b/c.inf"), "c.inf");
    EXPECT_EQ(fileNameOf("c.inf"), "c.inf");
    EXPECT_EQ(fileNameOf("/a/b/"), "");
}

}  // namespace
}  // namespace kvt
