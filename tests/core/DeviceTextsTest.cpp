// The device list's texts come from a record's typed facts, worded as the search that listed
// the device words them; the selection rule follows the same facts.
#include <gtest/gtest.h>

#include "core/config/DeviceTexts.h"
#include "core/flows/Document.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

struct Listing {
    const char* why;
    std::uint32_t productCode;
    FoundBy foundBy;
    RemoteConfig remote;
    const char* name;  // UTF-8 of the list's cells
    const char* model;
    const char* permission;
    bool selectable;
};

void PrintTo(const Listing& row, std::ostream* os) {
    *os << row.why;
}

class DeviceTexts : public ::testing::TestWithParam<Listing> {};

TEST_P(DeviceTexts, FollowTheFactsAndTheSearch) {
    const Listing& row = GetParam();
    CEquipment device;
    device.name = "gw";
    device.ipAddress = "127.0.0.2";
    device.productCode = row.productCode;
    device.foundBy = row.foundBy;
    device.remoteConfig = row.remote;
    EXPECT_EQ(nameText(device), gbk(row.name));
    EXPECT_EQ(modelText(device), gbk(row.model));
    EXPECT_EQ(remoteConfigText(device), gbk(row.permission));
    EXPECT_EQ(device.selectable(), row.selectable);

    EXPECT_EQ(selectionOf(device), row.selectable ? Selection::Supported : Selection::OtherProduct);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceTexts,
    ::testing::Values(Listing{"a KVT-275R by broadcast", kProductKvt275r, FoundBy::BroadcastSearch,
                              RemoteConfig::Allowed, "gw", "KVT-275R", "允许远程配置", true},
                      Listing{"a KVT-275R by address", kProductKvt275r, FoundBy::AddressSearch,
                              RemoteConfig::Forbidden, "gw", "KVT-275R", "禁止远程配置", true},
                      Listing{"another product by broadcast is 其它设备 and cannot be selected",
                              0x020BD8, FoundBy::BroadcastSearch, RemoteConfig::Allowed,
                              "不支持设备", "其它设备", "允许远程配置", false},
                      Listing{"another product by address is 不支持设备 and can be selected", 7,
                              FoundBy::AddressSearch, RemoteConfig::Forbidden, "不支持设备",
                              "不支持设备", "禁止远程配置", true}),
    [](const auto& row) { return "Row" + std::to_string(row.index); });

TEST(DeviceTexts, PasswordFlagsReadAsTheListShowsThem) {
    EXPECT_EQ(passwordSetText(true), gbk("有"));
    EXPECT_EQ(passwordSetText(false), gbk("无"));
    EXPECT_EQ(passwordSetText(true), uiText(4010));
}

}  // namespace
}  // namespace kvt
