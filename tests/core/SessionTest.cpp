#include <gtest/gtest.h>

#include "core/Session.h"
#include "core/config/DeviceTexts.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

constexpr std::uint32_t kOtherProduct = 7;

// A record of the broadcast search.
CEquipment device(std::uint32_t product, bool userSet, bool adminSet, const char* ip) {
    CEquipment record;
    record.productCode = product;
    record.userPasswordSet = userSet;
    record.adminPasswordSet = adminSet;
    record.ipAddress = ip;
    return record;
}

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

TEST(Session, NewFillByKind) {
    Session session;
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

TEST(Session, SelectionRule) {
    Session session;
    session.devices = {device(kProductKvt275r, true, false, "127.0.0.2"),
                       device(kOtherProduct, false, false, "127.0.0.3"),
                       device(kProductKvt275r, false, true, "127.0.0.4")};

    EXPECT_EQ(session.selectRow(-1), Session::Selection::None);
    EXPECT_EQ(session.selectedIndex, -1);

    EXPECT_EQ(session.selectRow(0), Session::Selection::Supported);
    EXPECT_EQ(session.selectedIndex, 0);
    ASSERT_NE(session.selectedDevice(), nullptr);
    EXPECT_TRUE(session.selectedDevice()->passwordSet(kUserConfig));
    EXPECT_FALSE(session.selectedDevice()->passwordSet(kBackgroundConfig));
    EXPECT_EQ(session.selectedDevice()->ipAddress, "127.0.0.2");

    // Another product: the buttons go off but the index keeps its value.
    EXPECT_EQ(session.selectRow(1), Session::Selection::OtherProduct);
    EXPECT_EQ(session.selectedIndex, 0);

    EXPECT_EQ(session.selectRow(2), Session::Selection::Supported);
    EXPECT_FALSE(session.selectedDevice()->passwordSet(kUserConfig));
    EXPECT_TRUE(session.selectedDevice()->passwordSet(kBackgroundConfig));

    session.clearSelection();
    EXPECT_EQ(session.selectedIndex, -1);
    EXPECT_EQ(session.selectedDevice(), nullptr);
}

}  // namespace
}  // namespace kvt
