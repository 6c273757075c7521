// The JSON form of a configuration: exact both ways, texts that are not GBK included, a reader
// that names the key it cannot take, and keys that are the field table's rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/config/ConfigJson.h"
#include "core/config/DeviceImage.h"
#include "core/config/Fields.h"

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
    EXPECT_FALSE(json.contains("network_name_gbk_hex"));
    // Texts that are not GBK: strings as people read them, exact bytes beside them.
    EXPECT_EQ(json["admin_password"], gbkToUtf8(c.advance.adminPassword));
    EXPECT_EQ(json["admin_password_gbk_hex"], "817f01");
    EXPECT_EQ(json["gateway"], "\uFFFD");
    EXPECT_EQ(json["gateway_gbk_hex"], "ff");
    EXPECT_TRUE(json["assembly_sizes"][4].is_string());
    EXPECT_EQ(json["assembly_sizes_gbk_hex"][4], "31fe");
    EXPECT_EQ(json["assembly_sizes_gbk_hex"][0], "3634");
    // Each key holds its own field (keys and places are listed apart).
    EXPECT_EQ(json["kind"], 1);
    EXPECT_EQ(json["product_code"], 30203);
    EXPECT_EQ(json["firmware_version"], "3.7");
    EXPECT_EQ(json["file_version"], "1.1");
    EXPECT_EQ(json["ip_method"], 2);
    EXPECT_EQ(json["ip_address"], "10.0.0.9");
    EXPECT_EQ(json["subnet_mask"], "255.0.0.0");
    EXPECT_EQ(json["dns1"], std::string("a\0b", 3));
    EXPECT_EQ(json["dns2"], "");
    EXPECT_EQ(json["report_enabled"], 1);
    EXPECT_EQ(json["report_port"], 65535);
    EXPECT_EQ(json["report_period"], 7200);
    EXPECT_EQ(json["ip_setting_method"], -1);
    EXPECT_EQ(json["reserved_parameter"], 0xFFFFFFFFu);

    // Through text, as a file holds it, into a base that differs in every field.
    const auto parsed = OrderedJson::parse(json.dump(2));
    std::string error;
    const auto back = configurationFromJson(parsed, CConfiguration{}, kUserConfig, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->config, c);
    EXPECT_EQ(back->kind, kBackgroundConfig);
}

TEST(ConfigJson, KeysAreTheFieldTableRowsInOrder) {
    const std::span<const ConfigField> table = configFields();
    for (const ConfigKind kind : {kUserConfig, kBackgroundConfig}) {
        SCOPED_TRACE(kindNumber(kind));
        // Every text that can have a companion has one here, so companions are walked too.
        const OrderedJson json = configurationToJson(everyFieldSet(), kind);
        std::size_t row = 0;
        std::string previous;
        for (const auto& [key, value] : json.items()) {
            if (const auto of = companionOf(key)) {
                EXPECT_EQ(*of, previous) << key << " does not follow its own text";
                EXPECT_EQ(companionKey(previous), key);
                continue;
            }
            ASSERT_LT(row, table.size()) << key << " is in no row";
            EXPECT_EQ(key, table[row].key);
            EXPECT_EQ(fieldKey(table[row].id), table[row].key) << "row " << row << "'s id";
            previous = key;
            ++row;
        }
        EXPECT_EQ(row, table.size());
    }
}

TEST(ConfigJson, FieldTableKindsAreWhatEachImageCarries) {
    // Every field differs from a default configuration, so a field the image carries shows.
    CConfiguration wanted;
    wanted.ethernet = {"gw-b", 2, "10.1.2.3", "255.255.0.0", "10.1.0.1", "8.8.8.8", "8.8.4.4"};
    wanted.advance.userPassword = "u1";
    wanted.advance.adminPassword = "a1";
    wanted.report = {1, "10.1.0.9", 3000, 60};
    wanted.parameter.ipSettingMethod = 1;
    wanted.parameter.reservedParameter = 7;
    wanted.parameter.assemblySizes.fill("99");
    for (const ConfigKind kind : {kUserConfig, kBackgroundConfig}) {
        CConfiguration held;
        ASSERT_TRUE(parseImage(buildImage(wanted, kind), kind, held));
        const OrderedJson heldJson = configurationToJson(held, kind);
        const OrderedJson wantedJson = configurationToJson(wanted, kind);
        const OrderedJson defaultJson = configurationToJson(CConfiguration{}, kind);
        for (const ConfigField& field : configFields()) {
            if (field.scope == FieldScope::Identity) continue;
            const std::string key(field.key);
            ASSERT_NE(wantedJson[key], defaultJson[key]) << key;
            EXPECT_EQ(heldJson[key] == wantedJson[key], carriedBy(field, kind))
                << key << " in kind " << kindNumber(kind);
        }
    }
}

TEST(ConfigJson, CompanionFollowsItsTextAndWinsOverIt) {
    CConfiguration c = newConfiguration(kUserConfig);
    c.advance.userPassword = std::string("x\xFFy", 3);
    const OrderedJson json = configurationToJson(c, kUserConfig);
    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    const auto at = std::find(keys.begin(), keys.end(), "user_password");
    ASSERT_NE(at, keys.end());
    EXPECT_EQ(*std::next(at), "user_password_gbk_hex");
    EXPECT_EQ(keys.size(), 21u);  // the twenty keys and the one companion

    // A script that rewrote the text but kept the companion gets the companion's bytes; one
    // that edits the hex gets its edit, whatever the text says.
    std::string error;
    const auto back = configurationFromJson(
        OrderedJson::parse(R"({"user_password": "ignored", "user_password_gbk_hex": "41ff"})"), c,
        kUserConfig, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->config.advance.userPassword, std::string("A\xFF", 2));
    // The companion alone is enough, and may come before its text.
    const auto sizes = configurationFromJson(
        OrderedJson::parse(R"({"assembly_sizes_gbk_hex": ["31","32","33","34","35","36","37",
            "38","39fe"], "assembly_sizes": ["a","b","c","d","e","f","g","h","i"]})"),
        c, kUserConfig, &error);
    ASSERT_TRUE(sizes) << error;
    EXPECT_EQ(sizes->config.parameter.assemblySizes[0], "1");
    EXPECT_EQ(sizes->config.parameter.assemblySizes[8], std::string("9\xFE", 2));
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
        BadJson{"a companion that is not hex", R"({"dns1_gbk_hex": "0g"})", "dns1_gbk_hex"},
        BadJson{"a companion given as an object", R"({"dns1_gbk_hex": {"gbkHex": "41"}})",
                "dns1_gbk_hex"},
        BadJson{"numbers have no companion", R"({"kind_gbk_hex": "00"})", "kind_gbk_hex"},
        BadJson{"nine sizes in the companion too", R"({"assembly_sizes_gbk_hex": ["31"]})",
                "assembly_sizes_gbk_hex"},
        BadJson{"a companion of no key", R"({"colour_gbk_hex": "41"})", "colour_gbk_hex"},
        BadJson{"U+FFFD is no GBK text: without its companion the text is refused",
                R"({"user_password": "x\uFFFDy"})", "user_password"},
        BadJson{"not an object at all", R"([1, 2])", "not a JSON object"}),
    [](const auto& row) { return "Row" + std::to_string(row.index); });

}  // namespace
}  // namespace kvt
