// The rules of a configuration that the pages, the download and `kvt640-cli write` share:
// each rule at its boundaries, what is checked for which kind and IP method, and the texts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/config/Rules.h"
#include "core/config/Validate.h"

namespace kvt {
namespace {

// New of the kind, with a static address that is sound and the report on: no issues at all.
CConfiguration soundConfiguration(ConfigKind kind) {
    CConfiguration config = newConfiguration(kind);
    config.ethernet.ipMethod = 0;
    config.report = {1, "192.168.0.2", kDefaultReportPort, kDefaultReportPeriod};
    return config;
}

struct Expected {
    std::string field;
    Severity severity;
    Problem problem;
    std::uint32_t textId;
    bool operator==(const Expected&) const = default;
};

void PrintTo(const Expected& e, std::ostream* out) {
    *out << e.field << (e.severity == Severity::Error ? " error " : " warning ")
         << static_cast<int>(e.problem) << " text " << e.textId;
}

struct Case {
    const char* name;  // also says why the row exists
    ConfigKind kind;
    std::function<void(CConfiguration&)> change;
    std::vector<Expected> expected;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

constexpr auto E = Severity::Error;
constexpr auto W = Severity::Warning;
constexpr auto U = kUserConfig;
constexpr auto B = kBackgroundConfig;

class ValidateTest : public ::testing::TestWithParam<Case> {};

TEST_P(ValidateTest, FindsWhatIsWrongAndNothingElse) {
    const Case& c = GetParam();
    CConfiguration config = soundConfiguration(c.kind);
    c.change(config);
    std::vector<Expected> found;
    for (const FieldIssue& issue : validate(config, c.kind))
        found.push_back({issue.field, issue.severity, issue.problem, issue.textId});
    EXPECT_EQ(found, c.expected);
}

auto port(std::int32_t value) {
    return [value](CConfiguration& c) { c.report.port = value; };
}
auto period(std::int32_t value) {
    return [value](CConfiguration& c) { c.report.period = value; };
}
auto size(std::size_t index, const char* text) {
    return [index, text](CConfiguration& c) { c.parameter.assemblySizes[index] = text; };
}
auto name(const Gbk& text) {
    return [text](CConfiguration& c) { c.ethernet.networkName = text; };
}
auto userPassword(const Gbk& text) {
    return [text](CConfiguration& c) { c.advance.userPassword = text; };
}
auto adminPassword(const Gbk& text) {
    return [text](CConfiguration& c) { c.advance.adminPassword = text; };
}
auto network(const char* ip, const char* mask, const char* gateway) {
    return [=](CConfiguration& c) {
        c.ethernet.ipAddress = ip;
        c.ethernet.subnetMask = mask;
        c.ethernet.gateway = gateway;
    };
}
auto dhcp(const char* ip, const char* mask, const char* gateway) {
    return [=](CConfiguration& c) {
        network(ip, mask, gateway)(c);
        c.ethernet.ipMethod = 1;
    };
}
auto nothing() {
    return [](CConfiguration&) {};
}

const Gbk k20 = "abcdefghijklmnopqrst";
const Gbk k21 = "abcdefghijklmnopqrstu";
const Gbk kTenChinese = gbk("一二三四五六七八九十");
const Gbk kElevenChinese = gbk("一二三四五六七八九十百");

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ValidateTest,
    ::testing::Values(
        Case{"user_sound", U, nothing(), {}},
        Case{"background_sound", B, nothing(), {}},
        Case{"new_user_configuration_is_sound", U,
             [](CConfiguration& c) { c = newConfiguration(kUserConfig); }, {}},
        Case{"new_background_configuration_is_sound", B,
             [](CConfiguration& c) { c = newConfiguration(kBackgroundConfig); }, {}},
        // Report port 1..65535 and period 1..7200, both with the page's message 199.
        Case{"port_0", U, port(0), {{"report_port", E, Problem::OutOfRange, 199}}},
        Case{"port_1", U, port(1), {}},
        Case{"port_65535", U, port(65535), {}},
        Case{"port_65536", U, port(65536), {{"report_port", E, Problem::OutOfRange, 199}}},
        Case{"port_from_a_file_that_held_no_number", U, port(-1),
             {{"report_port", E, Problem::OutOfRange, 199}}},
        Case{"period_0", U, period(0), {{"report_period", E, Problem::OutOfRange, 199}}},
        Case{"period_1", U, period(1), {}},
        Case{"period_7200", U, period(7200), {}},
        Case{"period_7201", U, period(7201), {{"report_period", E, Problem::OutOfRange, 199}}},
        Case{"report_off_sends_nothing_so_nothing_is_checked", U,
             [](CConfiguration& c) {
                 c.report = {0, "", 70000, 0};
             },
             {}},
        Case{"report_target_not_an_address", U,
             [](CConfiguration& c) { c.report.targetIp = ""; },
             {{"report_target", E, Problem::NotAnAddress, 0}}},
        // Input and output sizes 0..256, digits only.
        Case{"size_0", B, size(0, "0"), {}},
        Case{"size_256", B, size(1, "256"), {}},
        Case{"size_257", B, size(3, "257"),
             {{"assembly_sizes[3]", E, Problem::OutOfRange, 199}}},
        Case{"size_300", B, size(7, "300"),
             {{"assembly_sizes[7]", E, Problem::OutOfRange, 199}}},
        Case{"size_beyond_32_bits_is_out_of_range", B, size(0, "99999999999"),
             {{"assembly_sizes[0]", E, Problem::OutOfRange, 199}}},
        Case{"size_letters_before_digits", B, size(4, "x9999"),
             {{"assembly_sizes[4]", E, Problem::NotANumber, 199}}},
        Case{"size_letters_after_digits", B, size(4, "12ab"),
             {{"assembly_sizes[4]", E, Problem::NotANumber, 199}}},
        Case{"size_leading_blank", B, size(6, " 12"),
             {{"assembly_sizes[6]", E, Problem::NotANumber, 199}}},
        Case{"size_negative", B, size(0, "-1"),
             {{"assembly_sizes[0]", E, Problem::NotANumber, 199}}},
        Case{"size_empty", B, size(0, ""), {{"assembly_sizes[0]", E, Problem::NotANumber, 199}}},
        Case{"sizes_are_not_carried_by_the_user_image", U, size(0, "x9999"), {}},
        Case{"configuration_instance_carries_any_32_bit_number_a_device_sent", B,
             [](CConfiguration& c) {
                 c.parameter.assemblySizes[2] = "-5";
                 c.parameter.assemblySizes[5] = "4000";
             },
             {}},
        Case{"configuration_instance_with_letters", B, size(8, "abc"),
             {{"assembly_sizes[8]", E, Problem::NotANumber, 0}}},
        // Texts: 20 bytes, a Chinese character counting two.
        Case{"name_20_bytes", B, name(k20), {}},
        Case{"name_21_bytes", B, name(k21), {{"network_name", E, Problem::TooLong, 5051}}},
        Case{"name_ten_chinese_characters", B, name(kTenChinese), {}},
        Case{"name_eleven_chinese_characters", B, name(kElevenChinese),
             {{"network_name", E, Problem::TooLong, 5051}}},
        Case{"name_with_a_space", B, name("gw one"), {{"network_name", E, Problem::Space, 5052}}},
        // Too long wins over a space: the page then empties the edit instead of cutting it.
        Case{"name_too_long_with_a_space", B, name("a bcdefghijklmnopqrstu"),
             {{"network_name", E, Problem::TooLong, 5051}}},
        Case{"name_is_not_carried_by_the_user_image", U, name(k21), {}},
        Case{"user_password_20_bytes", U, userPassword(k20), {}},
        Case{"user_password_21_bytes", U, userPassword(k21),
             {{"user_password", E, Problem::TooLong, 198}}},
        Case{"user_password_eleven_chinese_characters", B, userPassword(kElevenChinese),
             {{"user_password", E, Problem::TooLong, 198}}},
        Case{"admin_password_21_bytes", B, adminPassword(k21),
             {{"admin_password", E, Problem::TooLong, 198}}},
        Case{"admin_password_is_not_carried_by_the_user_image", U, adminPassword(k21), {}},
        // Static addresses: well formed, and a sound subnet.
        Case{"address_empty", U, network("", "255.255.255.0", "192.168.0.1"),
             {{"ip_address", E, Problem::NotAnAddress, 0}}},
        Case{"address_three_parts", U, network("192.168.0.15", "255.255.255", "192.168.0.1"),
             {{"subnet_mask", E, Problem::NotAnAddress, 0}}},
        Case{"address_part_over_255", U, network("192.168.0.15", "255.255.255.0", "192.168.0.256"),
             {{"gateway", E, Problem::NotAnAddress, 0}}},
        Case{"mask_contiguous_16", U, network("10.1.2.3", "255.255.0.0", "10.1.0.1"), {}},
        Case{"mask_not_contiguous", U, network("10.1.2.3", "255.0.255.0", "10.1.0.1"),
             {{"subnet_mask", W, Problem::MaskNotContiguous, 0}}},
        Case{"mask_with_a_hole_at_the_end", U, network("10.1.2.3", "255.255.255.253", "0.0.0.0"),
             {{"subnet_mask", W, Problem::MaskNotContiguous, 0}}},
        Case{"network_address", U, network("192.168.0.0", "255.255.255.0", "192.168.0.1"),
             {{"ip_address", W, Problem::NetworkAddress, 0}}},
        Case{"broadcast_address", U, network("192.168.0.255", "255.255.255.0", "192.168.0.1"),
             {{"ip_address", W, Problem::BroadcastAddress, 0}}},
        Case{"slash_30_still_has_them", U, network("10.0.0.3", "255.255.255.252", "10.0.0.1"),
             {{"ip_address", W, Problem::BroadcastAddress, 0}}},
        Case{"slash_31_has_no_network_or_broadcast_address", U,
             network("10.0.0.0", "255.255.255.254", "10.0.0.1"), {}},
        Case{"slash_32_has_no_network_or_broadcast_address", U,
             network("10.0.0.7", "255.255.255.255", "0.0.0.0"), {}},
        Case{"slash_32_gateway_elsewhere_is_outside", U,
             network("10.0.0.7", "255.255.255.255", "10.0.0.1"),
             {{"gateway", W, Problem::GatewayOutsideSubnet, 0}}},
        Case{"gateway_inside", U, network("192.168.0.15", "255.255.255.0", "192.168.0.254"), {}},
        Case{"gateway_outside", U, network("192.168.0.15", "255.255.255.0", "192.168.1.1"),
             {{"gateway", W, Problem::GatewayOutsideSubnet, 0}}},
        Case{"gateway_0_0_0_0_means_none", U, network("192.168.0.15", "255.255.255.0", "0.0.0.0"),
             {}},
        // With DHCP or BOOTP the device ignores the three fields: placeholders pass.
        Case{"dhcp_placeholders_pass", U, dhcp("", "255.0.255.0", "10.0.0.1"), {}},
        Case{"bootp_placeholders_pass", B,
             [](CConfiguration& c) {
                 network("192.168.0.0", "255.255.255.0", "1.1.1.1")(c);
                 c.ethernet.ipMethod = 2;
             },
             {}},
        // Several at once, in the order of the JSON keys.
        Case{"several_in_key_order", B,
             [](CConfiguration& c) {
                 size(1, "300")(c);
                 port(70000)(c);
                 network("192.168.0.15", "255.255.255.0", "10.0.0.1")(c);
                 name("a b")(c);
             },
             {{"network_name", E, Problem::Space, 5052},
              {"gateway", W, Problem::GatewayOutsideSubnet, 0},
              {"report_port", E, Problem::OutOfRange, 199},
              {"assembly_sizes[1]", E, Problem::OutOfRange, 199}}}),
    [](const ::testing::TestParamInfo<Case>& row) { return std::string(row.param.name); });

TEST(Validate, ErrorsAreTellApartFromWarnings) {
    CConfiguration config = soundConfiguration(kUserConfig);
    config.ethernet.gateway = "10.0.0.1";
    std::vector<FieldIssue> issues = validate(config, kUserConfig);
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_FALSE(hasErrors(issues));
    config.report.port = 0;
    EXPECT_TRUE(hasErrors(validate(config, kUserConfig)));
}

// The messages name the field by its JSON key and say what is wrong, with the range or the
// subnet; a password never appears in one.
TEST(Validate, MessagesNameTheFieldAndKeepPasswordsOut) {
    CConfiguration config = soundConfiguration(kBackgroundConfig);
    config.report.port = 70000;
    config.parameter.assemblySizes[3] = "x9999";
    config.ethernet.gateway = "10.0.0.1";
    config.advance.adminPassword = "secret-secret-secret!";
    const std::vector<FieldIssue> issues = validate(config, kBackgroundConfig);
    ASSERT_EQ(issues.size(), 4u);
    EXPECT_EQ(issueMessage(issues[0], Lang::En),
              "gateway: 10.0.0.1 is outside the subnet 192.168.0.0/24");
    EXPECT_EQ(issueMessage(issues[1], Lang::En),
              "admin_password: is longer than 20 bytes (a Chinese character takes two)");
    EXPECT_EQ(issueMessage(issues[2], Lang::En), "report_port: 70000 is out of range 1 to 65535");
    EXPECT_EQ(issueMessage(issues[3], Lang::En),
              "assembly_sizes[3]: \"x9999\" is not a number (digits only, 0 to 256)");
    EXPECT_EQ(issueMessage(issues[2], Lang::Zh), "report_port: 70000 超出范围 1～65535");
    EXPECT_EQ(issueDescription(issues[0], Lang::Zh), "10.0.0.1 不在子网 192.168.0.0/24 内");
    for (const FieldIssue& issue : issues) {
        EXPECT_EQ(issueMessage(issue, Lang::En).find("secret"), std::string::npos);
    }
    EXPECT_EQ(fieldLabel("gateway", Lang::Zh), "默认网关");
    EXPECT_EQ(fieldLabel("gateway", Lang::En), "Default gateway");
    EXPECT_EQ(fieldLabel("assembly_sizes[3]", Lang::Zh), "Assembly Instance 112");
}

// A download that leaves a static address for DHCP or BOOTP is put to the user first; one that
// keeps the method, or moves to a static address, is not. Where the device's method is not
// known (New, a file) any DHCP or BOOTP download is.
TEST(Validate, LeavingAStaticAddressIsWarnedOfBeforeADownload) {
    struct MoveCase {
        std::int32_t method;
        std::optional<std::int32_t> stored;
        bool warned;
    };
    for (const MoveCase c : {MoveCase{kIpMethodDhcp, kIpMethodStatic, true},
                             MoveCase{kIpMethodBootp, kIpMethodStatic, true},
                             MoveCase{kIpMethodDhcp, std::nullopt, true},
                             MoveCase{kIpMethodDhcp, kIpMethodDhcp, false},
                             MoveCase{kIpMethodDhcp, kIpMethodBootp, false},
                             MoveCase{kIpMethodStatic, kIpMethodDhcp, false},
                             MoveCase{kIpMethodStatic, std::nullopt, false}}) {
        CConfiguration config = soundConfiguration(kUserConfig);
        config.ethernet.ipMethod = c.method;
        const std::vector<FieldIssue> issues = downloadIssues(config, kUserConfig, c.stored);
        const bool warned = !issues.empty() && issues[0].problem == Problem::LeavesStaticAddress;
        EXPECT_EQ(warned, c.warned) << c.method << " over " << c.stored.value_or(-1);
        if (!warned) continue;
        EXPECT_EQ(issues[0].severity, Severity::Warning);
        EXPECT_FALSE(hasErrors(issues));
        EXPECT_NE(issueMessage(issues[0], Lang::En).find("no known address"), std::string::npos);
    }
}

struct QuadCase {
    const char* why;
    std::string text;
    std::optional<std::uint32_t> value;
};

class DottedQuadTest : public ::testing::TestWithParam<QuadCase> {};

TEST_P(DottedQuadTest, FourDecimalParts) {
    EXPECT_EQ(dottedQuad(GetParam().text), GetParam().value) << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DottedQuadTest,
    ::testing::Values(QuadCase{"an address", "192.168.0.1", 0xC0A80001u},
                      QuadCase{"all ones", "255.255.255.255", 0xFFFFFFFFu},
                      QuadCase{"a leading zero stays decimal", "010.0.0.1", 0x0A000001u},
                      QuadCase{"three parts", "1.2.3", std::nullopt},
                      QuadCase{"five parts", "1.2.3.4.5", std::nullopt},
                      QuadCase{"a trailing dot", "1.2.3.4.", std::nullopt},
                      QuadCase{"an empty part", "1..3.4", std::nullopt},
                      QuadCase{"four digits in a part", "0001.2.3.4", std::nullopt},
                      QuadCase{"a part over 255", "1.2.3.256", std::nullopt},
                      QuadCase{"a blank", " 1.2.3.4", std::nullopt},
                      QuadCase{"hex, which inet_addr takes", "0x10.0.0.1", std::nullopt},
                      QuadCase{"empty", "", std::nullopt}));

}  // namespace
}  // namespace kvt
