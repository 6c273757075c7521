// What `kvt640-cli write` refuses in a file: the values the lenient reader does not take as
// they stand (it goes on reading them as it always did), and what validate() finds in the rest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/files/ConfigFile.h"

namespace kvt {
namespace {

// A file of `kind` with the report on, one of its lines changed from `from` to `to` (UTF-8).
std::string fileWith(ConfigKind kind, const std::string& from, const std::string& to) {
    CConfiguration config = newConfiguration(kind);
    config.report = {1, "10.0.0.9", 16801, 30};
    std::string text = writeConfigFile(config, kind, Gbk(), Lang::Zh);
    const Gbk key = gbk(from);
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return {};
    text.replace(at, key.size(), gbk(to));
    return text;
}

struct Noted {
    std::string field;
    Problem problem;
    std::string value;
    bool operator==(const Noted&) const = default;
};

struct Case {
    const char* name;  // says why the row exists
    ConfigKind kind;
    std::string from;
    std::string to;
    std::vector<Noted> expected;  // fileIssues(), in order
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}
void PrintTo(const Noted& n, std::ostream* out) {
    *out << n.field << ' ' << static_cast<int>(n.problem) << " \"" << n.value << '"';
}

class FileIssuesTest : public ::testing::TestWithParam<Case> {};

TEST_P(FileIssuesTest, NamesWhatCannotGoToTheDeviceAsWritten) {
    const Case& c = GetParam();
    const std::string text = fileWith(c.kind, c.from, c.to);
    ASSERT_FALSE(text.empty());
    std::vector<Noted> found;
    for (const FieldIssue& issue : fileIssues(readConfigFile(text, Lang::Zh)))
        found.push_back({issue.field, issue.problem, issue.value});
    EXPECT_EQ(found, c.expected);
}

const std::string k21 = "abcdefghijklmnopqrstu";

INSTANTIATE_TEST_SUITE_P(
    Rows, FileIssuesTest,
    ::testing::Values(Case{"sound_file", kBackgroundConfig, "30", "30", {}},
                      Case{"name_over_20_bytes_is_read_as_the_default_name",
                           kBackgroundConfig,
                           "Ethernet/IP",
                           k21,
                           {{"network_name", Problem::TooLong, k21}}},
                      Case{"user_password_over_20_bytes_is_read_as_none_and_not_shown",
                           kUserConfig,
                           "用户密码\t",
                           "用户密码\t" + k21,
                           {{"user_password", Problem::TooLong, ""}}},
                      Case{"admin_password_over_20_bytes",
                           kBackgroundConfig,
                           "管理员密码\t",
                           "管理员密码\t" + k21,
                           {{"admin_password", Problem::TooLong, ""}}},
                      Case{"port_of_letters_once_not_twice",
                           kUserConfig,
                           "16801",
                           "x9999",
                           {{"report_port", Problem::NotANumber, "x9999"}}},
                      Case{"port_digits_then_letters_is_read_as_80_but_refused",
                           kUserConfig,
                           "16801",
                           "80ab",
                           {{"report_port", Problem::NotANumber, "80ab"}}},
                      Case{"port_out_of_range",
                           kUserConfig,
                           "16801",
                           "70000",
                           {{"report_port", Problem::OutOfRange, "70000"}}},
                      Case{"port_beyond_32_bits",
                           kUserConfig,
                           "16801",
                           "99999999999",
                           {{"report_port", Problem::OutOfRange, "99999999999"}}},
                      Case{"period_out_of_range",
                           kUserConfig,
                           "\t30",
                           "\t7201",
                           {{"report_period", Problem::OutOfRange, "7201"}}},
                      Case{"report_target_the_reader_rejects",
                           kUserConfig,
                           "10.0.0.9",
                           "10.0.0.999",
                           {{"report_target", Problem::NotAnAddress, "10.0.0.999"}}},
                      Case{"report_target_all_ones_is_read_as_none",
                           kUserConfig,
                           "10.0.0.9",
                           "255.255.255.255",
                           {{"report_target", Problem::NotAnAddress, "255.255.255.255"}}},
                      Case{"size_letters_found_by_validate",
                           kBackgroundConfig,
                           "Instance111:\t\t128",
                           "Instance111:\t\tx9999",
                           {{"assembly_sizes[4]", Problem::NotANumber, "x9999"}}}),
    [](const ::testing::TestParamInfo<Case>& row) { return std::string(row.param.name); });

// The reader itself keeps reading leniently: what it stores is unchanged by the notes.
TEST(FileIssues, ReaderStillTakesWhatItAlwaysTook) {
    const ParsedConfigFile port = readConfigFile(fileWith(kUserConfig, "16801", "80ab"), Lang::Zh);
    EXPECT_EQ(port.config.report.port, 80);
    // An administrator password in a user file goes nowhere: nothing to refuse.
    const std::string user = fileWith(kUserConfig, "用户密码\t", "用户密码\tpw");
    const std::string withAdmin = user.substr(0, user.find("\r\n", user.find(gbk("用户密码")))) +
                                  "\r\n" + gbk("管理员密码\t") + "abcdefghijklmnopqrstu" +
                                  user.substr(user.find("\r\n", user.find(gbk("用户密码"))));
    EXPECT_TRUE(readConfigFile(withAdmin, Lang::Zh).notTaken.empty());
}

}  // namespace
}  // namespace kvt
