// The JSON form of a configuration: exact both ways, texts that are not GBK included, and a
// reader that names the key it cannot take.
#include <gtest/gtest.h>

#include "core/config/ConfigJson.h"

namespace kvt {
namespace {

CConfiguration everyFieldSet() {
    CConfiguration c = newConfiguration(kBackgroundConfig);
    c.productCode = 30203;
    c.identity.firmwareVersion = "3.7";
    c.identity.fileVersion = "1.1";
    c.ethernet.networkName = gbk("网关-甲");
    c.ethernet.ipMethod = 2;
    c.ethernet.ipAddress = "10.0.0.9";
    c.ethernet.subnetMask = "255.0.0.0";
    c.ethernet.gateway = std::string("\xFF", 1);  // never a GBK byte
    c.ethernet.dns1 = std::string("a\0b", 3);     // NUL survives as text
    c.ethernet.dns2 = "";
    c.advance.userPassword = gbk("密码");
    c.advance.adminPassword = std::string("\x81\x7F\x01", 3);  // a trail byte GBK refuses
    c.report = {1, std::string("\xFE", 1), 65535, 7200};
    c.parameter.ipSettingMethod = -1;
    c.parameter.reservedParameter = 0xFFFFFFFFu;
    c.parameter.assemblySizes[4] = std::string("1\xFE", 2);  // a lead byte cut short
    return c;
}

TEST(ConfigJson, RoundTripsEveryFieldExactly) {
    const CConfiguration c = everyFieldSet();
    const OrderedJson json = configurationToJson(c, kBackgroundConfig);
    // Valid texts stay plain UTF-8 strings, as scripts read them.
    EXPECT_EQ(json["network_name"], "网关-甲");
    EXPECT_EQ(json["user_password"], "密码");
    EXPECT_EQ(json["admin_password"], (OrderedJson{{"gbkHex", "817f01"}}));
    EXPECT_EQ(json["gateway"], (OrderedJson{{"gbkHex", "ff"}}));
    EXPECT_TRUE(json["assembly_sizes"][4].is_object());

    // Through text, as a file holds it, into a base that differs in every field.
    const auto parsed = OrderedJson::parse(json.dump(2));
    std::string error;
    const auto back = configurationFromJson(parsed, CConfiguration{}, kUserConfig, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->config, c);
    EXPECT_EQ(back->kind, kBackgroundConfig);
}

TEST(ConfigJson, MissingKeysKeepTheBase) {
    const CConfiguration base = everyFieldSet();
    std::string error;
    const auto back =
        configurationFromJson(OrderedJson::parse(R"({"ip_address": "127.0.0.7", "assembly_sizes":
            ["1", "2", "3", "4", "5", "6", "7", "8", {"gbkHex": "39"}]})"),
                              base, kBackgroundConfig, &error);
    ASSERT_TRUE(back) << error;
    CConfiguration expected = base;
    expected.ethernet.ipAddress = "127.0.0.7";
    expected.parameter.assemblySizes = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    EXPECT_EQ(back->config, expected);
    EXPECT_EQ(back->kind, kBackgroundConfig);
}

struct BadJson {
    const char* why;
    const char* json;
    const char* namedKey;
};
void PrintTo(const BadJson& c, std::ostream* os) {
    *os << c.why;
}

class ConfigJsonRejects : public ::testing::TestWithParam<BadJson> {};

TEST_P(ConfigJsonRejects, NamingTheKey) {
    std::string error;
    const auto back = configurationFromJson(OrderedJson::parse(GetParam().json),
                                            newConfiguration(kUserConfig), kUserConfig, &error);
    EXPECT_FALSE(back);
    EXPECT_NE(error.find(GetParam().namedKey), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigJsonRejects,
    ::testing::Values(
        BadJson{"a misspelt key is not silently dropped", R"({"ip_adress": "1.2.3.4"})",
                "ip_adress"},
        BadJson{"the older camelCase keys belong to the simulator's own reader",
                R"({"ipAddress": "1.2.3.4"})", "ipAddress"},
        BadJson{"kinds are 0 and 1 only", R"({"kind": 2})", "kind"},
        BadJson{"a number given as text", R"({"ip_method": "1"})", "ip_method"},
        BadJson{"int32 overflow", R"({"report_port": 2147483648})", "report_port"},
        BadJson{"negative product code", R"({"product_code": -1})", "product_code"},
        BadJson{"fraction", R"({"report_period": 1.5})", "report_period"},
        BadJson{"text given as a number", R"({"dns1": 0})", "dns1"},
        BadJson{"a character GBK cannot hold", R"({"network_name": "😀"})", "network_name"},
        BadJson{"odd hex", R"({"user_password": {"gbkHex": "abc"}})", "user_password"},
        BadJson{"not hex", R"({"user_password": {"gbkHex": "zz"}})", "user_password"},
        BadJson{"hex object with a stray key", R"({"gateway": {"gbkHex": "41", "x": 1}})",
                "gateway"},
        BadJson{"eight assembly sizes", R"({"assembly_sizes": ["1","2","3","4","5","6","7","8"]})",
                "assembly_sizes"},
        BadJson{"not an object at all", R"([1, 2])", "not a JSON object"}),
    [](const auto& row) { return "Row" + std::to_string(row.index); });

}  // namespace
}  // namespace kvt
