#include <gtest/gtest.h>

#include "core/config/DeviceTexts.h"
#include "core/flows/Document.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

TEST(Configuration, ConstructionDefaults) {
    const CConfiguration config;
    EXPECT_EQ(config.report.enabled, 0);
    EXPECT_EQ(config.report.port, 16800);
    EXPECT_EQ(config.report.period, 10);
    const std::array<Gbk, 9> sizes = {"64", "64", "0", "128", "128", "0", "256", "256", "0"};
    EXPECT_EQ(config.parameter.assemblySizes, sizes);
    EXPECT_EQ(config.identity.fileVersion, "1.0");
    EXPECT_FALSE(config.identity.userPasswordSet);
    EXPECT_EQ(passwordSetText(config.identity.userPasswordSet), uiText(2001));
    EXPECT_EQ(config.ethernet.ipMethod, 0);
    EXPECT_TRUE(config.ethernet.ipAddress.empty());
}

TEST(ConfigDocument, NewFillByKind) {
    ConfigDocument session;
    session.newFill(kUserConfig);
    ASSERT_TRUE(session.config);
    EXPECT_EQ(session.configKind, kUserConfig);
    EXPECT_TRUE(session.config->ethernet.networkName.empty());
    EXPECT_EQ(session.config->ethernet.ipMethod, 1);
    EXPECT_EQ(session.config->productCode, kProductKvt275r);
    EXPECT_EQ(session.editorCaption, uiText(4189));
    EXPECT_EQ(session.configOrigin, ConfigOrigin::New);

    // A New configuration never keeps the password of an earlier read.
    session.configOrigin = ConfigOrigin::ReadFromDevice;
    session.readPassword = "pw";
    session.config->advance.userPassword = "x";
    session.newFill(kBackgroundConfig);
    EXPECT_EQ(session.configKind, kBackgroundConfig);
    EXPECT_EQ(session.configOrigin, ConfigOrigin::New);
    EXPECT_TRUE(session.readPassword.empty());
    EXPECT_EQ(session.config->ethernet.networkName, "Ethernet/IP");
    EXPECT_EQ(session.config->ethernet.dns2, "0.0.0.0");
    EXPECT_TRUE(session.config->advance.userPassword.empty());  // a new object, not an edit
}

}  // namespace
}  // namespace kvt
