// The comparison of two configurations: a device that holds what was meant compares equal,
// every field its kind carries is seen under its `show --json` key, and passwords never show.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "core/config/DeviceImage.h"
#include "core/config/Fields.h"
#include "core/fleet/Diff.h"

namespace kvt {
namespace {

// What a read of a device that stored `config` hands back: the image's fields and nothing
// else (no identity texts, no network name in a user image).
CConfiguration readBack(const CConfiguration& config, ConfigKind kind) {
    CConfiguration read;
    read.productCode = kProductKvt275r;
    parseImage(buildImage(config, kind), kind, read);
    return read;
}

CConfiguration meant(ConfigKind kind) {
    CConfiguration c = newConfiguration(kind);
    c.identity.firmwareVersion = "2.3";
    c.identity.fileVersion = "1.1";
    c.ethernet.networkName = gbk("线体-1");
    c.ethernet.ipAddress = "127.1.0.7";
    c.advance.userPassword = "secret1";
    c.advance.adminPassword = "secret2";
    c.report.enabled = 0;
    c.report.port = 12345;  // not on the wire while reports are off
    c.report.targetIp = "127.0.0.1";
    return c;
}

TEST(FleetDiff, DeviceThatHoldsWhatWasMeantComparesEqual) {
    for (const ConfigKind kind : {kUserConfig, kBackgroundConfig}) {
        const CConfiguration wanted = meant(kind);
        EXPECT_TRUE(diffConfigurations(readBack(wanted, kind), wanted, kind).empty())
            << "kind " << kindNumber(kind);
    }
}

struct FieldCase {
    const char* why;
    ConfigKind kind;
    std::function<void(CConfiguration&)> change;
    const char* field;  // "" when the change must not count
};

void PrintTo(const FieldCase& row, std::ostream* out) {
    *out << row.why;
}

class FleetDiffField : public testing::TestWithParam<FieldCase> {};

TEST_P(FleetDiffField, ChangeIsSeenUnderItsKey) {
    const FieldCase& row = GetParam();
    const CConfiguration device = readBack(meant(row.kind), row.kind);
    CConfiguration wanted = meant(row.kind);
    row.change(wanted);
    const auto differences = diffConfigurations(device, wanted, row.kind);
    if (std::string(row.field).empty()) {
        EXPECT_TRUE(differences.empty()) << row.why << ": " << differences.front().field;
        return;
    }
    ASSERT_EQ(differences.size(), 1u) << row.why;
    EXPECT_EQ(differences[0].field, row.field) << row.why;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FleetDiffField,
    testing::Values(
        FieldCase{"the readdress itself", kUserConfig,
                  [](CConfiguration& c) { c.ethernet.ipAddress = "127.1.0.8"; }, "ip_address"},
        FieldCase{"a mask", kUserConfig,
                  [](CConfiguration& c) { c.ethernet.subnetMask = "255.255.0.0"; }, "subnet_mask"},
        FieldCase{"reports on with the period", kBackgroundConfig,
                  [](CConfiguration& c) {
                      c.report.enabled = 1;
                      c.report.period = 0;  // a zero period reads back as reports off
                  },
                  ""},
        FieldCase{"the user image carries no network name", kUserConfig,
                  [](CConfiguration& c) { c.ethernet.networkName = "other"; }, ""},
        FieldCase{"the background image does", kBackgroundConfig,
                  [](CConfiguration& c) { c.ethernet.networkName = "other"; }, "network_name"},
        FieldCase{"the user image carries no administrator password", kUserConfig,
                  [](CConfiguration& c) { c.advance.adminPassword = "x"; }, ""},
        FieldCase{"a user password", kUserConfig,
                  [](CConfiguration& c) { c.advance.userPassword = "x"; }, "user_password"},
        FieldCase{"an assembly size", kBackgroundConfig,
                  [](CConfiguration& c) { c.parameter.assemblySizes[0] = "32"; }, "assembly_sizes"},
        FieldCase{"the same size written differently", kBackgroundConfig,
                  [](CConfiguration& c) { c.parameter.assemblySizes[0] = "064"; }, ""},
        FieldCase{"identity texts are not stored by the device", kBackgroundConfig,
                  [](CConfiguration& c) { c.identity.firmwareVersion = "9.9"; }, ""}));

TEST(FleetDiff, PortPastSixteenBitsComparesAsTheDeviceWouldHoldIt) {
    CConfiguration wanted = meant(kUserConfig);
    wanted.report = {1, "127.0.0.1", 70000, 10};
    CConfiguration stored = wanted;
    stored.report.port = 70000 - 65536;
    const CConfiguration device = readBack(stored, kUserConfig);
    EXPECT_TRUE(diffConfigurations(device, wanted, kUserConfig).empty());
    EXPECT_EQ(diffConfigurations(device, wanted, kUserConfig, Compare::AsWritten).size(), 1u);
}

TEST(FleetDiff, ReportTurnedOnShowsEveryReportFieldThatChanged) {
    const CConfiguration device = readBack(meant(kUserConfig), kUserConfig);
    CConfiguration wanted = meant(kUserConfig);
    wanted.report = {1, "127.0.0.9", 16801, 30};
    std::vector<std::string> fields;
    for (const auto& d : diffConfigurations(device, wanted, kUserConfig)) fields.push_back(d.field);
    EXPECT_EQ(fields, (std::vector<std::string>{"report_enabled", "report_target", "report_port",
                                                "report_period"}));
}

// The check after a download shows a difference as the pages do: their labels, the methods'
// entries, texts without JSON quotes, masked passwords as they are.
TEST(FleetDiff, DifferencesReadAsThePagesShowThem) {
    CConfiguration a = meant(kBackgroundConfig);
    a.ethernet.ipMethod = kIpMethodStatic;
    a.parameter.ipSettingMethod = 0;
    CConfiguration b = a;
    b.ethernet.ipMethod = kIpMethodDhcp;
    b.report.enabled = 1;
    b.parameter.ipSettingMethod = 1;
    b.advance.userPassword = "other";
    const auto differences = diffConfigurations(a, b, kBackgroundConfig, Compare::AsWritten);
    std::vector<std::string> zh;
    std::vector<std::string> en;
    for (const FieldDifference& d : differences) {
        for (auto [lang, out] : {std::pair{Lang::Zh, &zh}, std::pair{Lang::En, &en}})
            out->push_back(fieldLabel(d.field, lang) + ": " +
                           fieldValueText(d.field, d.left, lang) + " -> " +
                           fieldValueText(d.field, d.right, lang));
    }
    EXPECT_EQ(zh, (std::vector<std::string>{
                      "IP配置方式: 静态配置 -> DHCP", "用户密码: ******** -> ********",
                      "IP地址报告: 禁用 -> 启用",
                      "获得IP地址方式: 使用PC配置软件设置 -> 使用串口（UART）设置"}));
    EXPECT_EQ(en[0], "IP configuration: Static -> DHCP");
    EXPECT_EQ(en[2], "IP address report: Disabled -> Enabled");
    EXPECT_EQ(fieldValueText("ip_method", "2", Lang::En), "BOOTP");
    EXPECT_EQ(fieldValueText("ip_method", "7", Lang::Zh), "7");
    EXPECT_EQ(fieldValueText("gateway", R"("127.0.0.1")", Lang::Zh), "127.0.0.1");
    EXPECT_EQ(fieldValueText("gateway", R"("")", Lang::En), "(empty)");
    EXPECT_EQ(fieldValueText("assembly_sizes", R"(["1","2"])", Lang::En), "1, 2");
}

TEST(FleetDiff, PasswordsAreMaskedAndOtherValuesAreJson) {
    CConfiguration a = meant(kBackgroundConfig);
    CConfiguration b = a;
    b.advance.userPassword = "";
    b.advance.adminPassword = "changed";
    b.ethernet.ipMethod = 2;
    b.ethernet.gateway = std::string("\xFF", 1);
    const auto differences = diffConfigurations(a, b, kBackgroundConfig, Compare::AsWritten);
    ASSERT_EQ(differences.size(), 4u);
    EXPECT_EQ(differences[0].field, "ip_method");
    EXPECT_EQ(differences[0].right, "2");
    EXPECT_EQ(differences[1].field, "gateway");
    EXPECT_EQ(differences[1].right, R"({"gbkHex":"ff"})");
    EXPECT_EQ(differences[2].field, "user_password");
    EXPECT_TRUE(differences[2].secret);
    EXPECT_EQ(differences[2].left, R"("********")");
    EXPECT_EQ(differences[2].right, R"("")");
    EXPECT_EQ(differences[3].field, "admin_password");
    for (const auto& d : differences) {
        EXPECT_EQ(d.left.find("secret"), std::string::npos);
        EXPECT_EQ(d.right.find("changed"), std::string::npos);
    }
}

}  // namespace
}  // namespace kvt
