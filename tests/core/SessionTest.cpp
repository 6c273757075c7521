#include <gtest/gtest.h>

#include "core/Session.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

CEquipment device(const char* model, const char* userSet, const char* adminSet, const char* ip) {
    CEquipment record;
    record.model = gbk(model);
    record.userPasswordSet = gbk(userSet);
    record.adminPasswordSet = gbk(adminSet);
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
    EXPECT_EQ(config.identity.userPasswordSet, uiText(2001));
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

    session.config->advance.userPassword = "x";
    session.newFill(kBackgroundConfig);
    EXPECT_EQ(session.configKind, kBackgroundConfig);
    EXPECT_EQ(session.config->ethernet.networkName, "Ethernet/IP");
    EXPECT_EQ(session.config->ethernet.dns2, "0.0.0.0");
    EXPECT_TRUE(session.config->advance.userPassword.empty());  // a new object, not an edit
}

TEST(Session, SelectionRule) {
    Session session;
    session.devices = {device("KVT-275R", "有", "无", "127.0.0.2"),
                       device("其它设备", "无", "无", "127.0.0.3"),
                       device("KVT-275R", "无", "有", "127.0.0.4")};

    EXPECT_EQ(session.selectRow(-1), Session::Selection::None);
    EXPECT_EQ(session.selectedIndex, -1);

    EXPECT_EQ(session.selectRow(0), Session::Selection::Supported);
    EXPECT_EQ(session.selectedIndex, 0);
    EXPECT_EQ(session.selectedIndexForSave, 0);
    EXPECT_EQ(session.selectedIndexForLoad, 0);
    EXPECT_TRUE(session.userPasswordNeeded);
    EXPECT_FALSE(session.adminPasswordNeeded);
    EXPECT_EQ(session.currentDeviceAddress, "127.0.0.2");

    // Another product: the buttons go off but the index keeps its value.
    EXPECT_EQ(session.selectRow(1), Session::Selection::OtherProduct);
    EXPECT_EQ(session.selectedIndex, 0);

    EXPECT_EQ(session.selectRow(2), Session::Selection::Supported);
    EXPECT_FALSE(session.userPasswordNeeded);
    EXPECT_TRUE(session.adminPasswordNeeded);

    session.clearSelection();
    EXPECT_EQ(session.selectedIndex, -1);
    EXPECT_EQ(session.selectedIndexForSave, -1);
    EXPECT_EQ(session.selectedIndexForLoad, -1);
    EXPECT_EQ(session.selectedDevice(), nullptr);
}

}  // namespace
}  // namespace kvt
