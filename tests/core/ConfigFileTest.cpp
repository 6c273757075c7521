#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

#include "core/files/ConfigFile.h"
#include "core/text/Gbk.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

// Test texts are written in UTF-8 with \n line ends; files hold GBK with CR LF.
std::string file(std::string_view utf8) {
    std::string out;
    for (char c : gbk(utf8)) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

ParsedConfigFile read(std::string_view utf8, Lang lang = Lang::Zh) {
    return readConfigFile(file(utf8), lang);
}

TEST(ConfigFileWriter, NewUserConfigurationIsTheDocumentedExample) {
    const std::string expected = file(
        "用户配置/后台配置标志\t\t用户配置\n"
        "产品型号代码\t\t134103\n"
        "固件版本号\t\t\n"
        "配置文件版本号\t\t1.0\n"
        "\n"
        "IP配置方式\tDHCP\n"
        "IP地址\t\t192.168.0.15\n"
        "子网掩码\t\t255.255.255.0\n"
        "默认网关\t\t192.168.0.1\n"
        "DNS1\t\t0.0.0.0\n"
        "DNS2\t\t0.0.0.0\n"
        "\n"
        "用户密码\t\n"
        "\n"
        "自动回复开关\t\tclosed\n"
        "\n");
    const CConfiguration config = newConfiguration(kUserConfig);
    EXPECT_EQ(writeConfigFile(config, kUserConfig, config.identity.firmwareVersion, Lang::Zh),
              expected);
}

TEST(ConfigFileWriter, BackgroundFileWithStaticMethodReportAndEnglishKeys) {
    CConfiguration config = newConfiguration(kBackgroundConfig);
    config.ethernet.ipMethod = 0;
    config.advance.userPassword = "u1";
    config.advance.adminPassword = "a1";
    config.report = {1, "10.0.0.9", 16801, 30};
    config.parameter.ipSettingMethod = 1;
    const std::string expected = file(
        "用户配置/后台配置标志\t\t后台配置\n"
        "产品名称\t\tKVT-275R\n"
        "产品型号代码\t\t134103\n"
        "固件版本号\t\t2.5\n"
        "配置文件版本号\t\t1.0\n"
        "\n"
        "网络名称\t\tEthernet/IP\n"
        "IP配置方式\t静态配置\n"
        "IP地址\t\t192.168.0.15\n"
        "子网掩码\t\t255.255.255.0\n"
        "默认网关\t\t192.168.0.1\n"
        "DNS1\t\t0.0.0.0\n"
        "DNS2\t\t0.0.0.0\n"
        "\n"
        "Password\tu1\n"
        "Admin_Password\ta1\n"
        "\n"
        "自动回复开关\t\topen\n"
        "自动回复IP地址\t\t10.0.0.9\n"
        "自动回复端口\t\t16801\n"
        "自动回复周期\t\t30\n"
        "\n"
        "用户配置方式\t\t使用串口（UART）设置\n"
        "Ethernet/IP连接参数\n"
        "Assembly Instance102:\t\t64\n"
        "Assembly Instance101:\t\t64\n"
        "Assembly Instance103:\t\t0\n"
        "Assembly Instance112:\t\t128\n"
        "Assembly Instance111:\t\t128\n"
        "Assembly Instance113:\t\t0\n"
        "Assembly Instance122:\t\t256\n"
        "Assembly Instance121:\t\t256\n"
        "Assembly Instance123:\t\t0\n");
    EXPECT_EQ(writeConfigFile(config, kBackgroundConfig, "2.5", Lang::En), expected);
}

CConfiguration filled(ConfigKind kind) {
    CConfiguration config = newConfiguration(kind);
    config.productCode = 4294967295u;  // survives the trip through a signed number read
    config.identity.firmwareVersion = "3.14";
    config.identity.fileVersion = "2.0";
    config.ethernet.ipMethod = 2;
    config.ethernet.ipAddress = "10.1.2.3";
    config.ethernet.subnetMask = "255.255.0.0";
    config.ethernet.gateway = "10.1.0.1";
    config.ethernet.dns1 = "8.8.8.8";
    config.ethernet.dns2 = "8.8.4.4";
    config.advance.userPassword = gbk("用户12345678901234");  // 20 bytes
    config.report = {1, "10.1.9.9", 65535, 7200};
    if (kind == kBackgroundConfig) {
        config.ethernet.networkName = gbk("网关A");
        config.advance.adminPassword = "admin";
        config.parameter.ipSettingMethod = 1;
        config.parameter.assemblySizes = {"1", "2", "3", "4", "5", "6", "7", "8", "500"};
    }
    return config;
}

struct RoundTrip {
    const char* why;
    ConfigKind kind;
    Lang lang;
    std::function<void(CConfiguration&)> change;
};

void PrintTo(const RoundTrip& c, std::ostream* os) {
    *os << c.why;
}

class ConfigFileRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ConfigFileRoundTrip, ReadsBackWhatWasWritten) {
    const RoundTrip& c = GetParam();
    CConfiguration config = filled(c.kind);
    if (c.change) c.change(config);
    const std::string bytes =
        writeConfigFile(config, c.kind, config.identity.firmwareVersion, c.lang);
    const ParsedConfigFile parsed = readConfigFile(bytes, c.lang);
    EXPECT_EQ(parsed.kind, c.kind);
    EXPECT_EQ(parsed.config, config);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigFileRoundTrip,
    ::testing::Values(
        RoundTrip{"user", kUserConfig, Lang::Zh, nullptr},
        RoundTrip{"background", kBackgroundConfig, Lang::Zh, nullptr},
        RoundTrip{"background, English keys", kBackgroundConfig, Lang::En, nullptr},
        RoundTrip{"static method", kBackgroundConfig, Lang::Zh,
                  [](CConfiguration& c) { c.ethernet.ipMethod = 0; }},
        RoundTrip{"DHCP", kUserConfig, Lang::Zh,
                  [](CConfiguration& c) { c.ethernet.ipMethod = 1; }},
        RoundTrip{"empty firmware, name, passwords and report target", kBackgroundConfig, Lang::Zh,
                  [](CConfiguration& c) {
                      c.identity.firmwareVersion.clear();
                      c.ethernet.networkName.clear();
                      c.advance = {};
                      c.report.targetIp.clear();
                  }},
        RoundTrip{"empty user password only", kBackgroundConfig, Lang::Zh,
                  [](CConfiguration& c) { c.advance.userPassword.clear(); }},
        RoundTrip{"empty administrator password only", kBackgroundConfig, Lang::Zh,
                  [](CConfiguration& c) { c.advance.adminPassword.clear(); }},
        RoundTrip{"empty user password, user file", kUserConfig, Lang::Zh,
                  [](CConfiguration& c) { c.advance.userPassword.clear(); }},
        // A disabled report writes no details: they come back as construction defaults.
        RoundTrip{"report disabled", kBackgroundConfig, Lang::Zh,
                  [](CConfiguration& c) { c.report = {}; }},
        RoundTrip{"UART IP setting off", kBackgroundConfig, Lang::Zh,
                  [](CConfiguration& c) { c.parameter.ipSettingMethod = 0; }}));

TEST(ConfigFileReader, EmptyFileIsADefaultUserConfiguration) {
    const ParsedConfigFile parsed = readConfigFile("", Lang::Zh);
    EXPECT_EQ(parsed.kind, kUserConfig);
    CConfiguration expected = newConfiguration(kUserConfig);
    EXPECT_EQ(parsed.config, expected);
}

// A user file with the given lines in place of the standard ones.
std::string userFile(std::string_view addresses, std::string_view rest =
                                                     "用户密码\tpw\n"
                                                     "\n"
                                                     "自动回复开关\t\tclosed\n") {
    return std::string(
               "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t134103\n"
               "固件版本号\t\t1.2\n配置文件版本号\t\t1.0\n\nIP配置方式\tDHCP\n") +
           std::string(addresses) + "\n" + std::string(rest) + "\n";
}

constexpr std::string_view kAddresses =
    "IP地址\t\t10.0.0.2\n子网掩码\t\t255.0.0.0\n默认网关\t\t10.0.0.1\n"
    "DNS1\t\t1.1.1.1\nDNS2\t\t2.2.2.2\n";

struct ReaderCase {
    const char* why;
    std::string text;  // UTF-8, \n
    std::function<void(const ParsedConfigFile&)> check;
    Lang lang = Lang::Zh;
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.why;
}

class ConfigFileReaderCases : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ConfigFileReaderCases, Check) {
    SCOPED_TRACE(GetParam().why);
    GetParam().check(read(GetParam().text, GetParam().lang));
}

const Gbk k21 = "abcdefghijklmnopqrstu";

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigFileReaderCases,
    ::testing::Values(
        ReaderCase{"first word not the kind key: read as a user configuration",
                   "配置\t\t后台配置\n" + userFile(kAddresses),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.kind, kUserConfig);
                       // The kind value was taken as the product code key and dropped.
                       EXPECT_EQ(p.config.productCode, kProductKvt275r);
                   }},
        ReaderCase{"unknown kind value reads as user", "用户配置/后台配置标志\t\t其它\n",
                   [](const ParsedConfigFile& p) { EXPECT_EQ(p.kind, kUserConfig); }},
        ReaderCase{"empty address value takes the mask key and drops the mask",
                   userFile("IP地址\t\t\n子网掩码\t\t255.0.0.0\n默认网关\t\t10.0.0.1\n"
                            "DNS1\t\t1.1.1.1\nDNS2\t\t2.2.2.2\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.ethernet.ipAddress, "");
                       // The mask row reads "255.0.0.0" as its key: default.
                       EXPECT_EQ(p.config.ethernet.subnetMask, "255.255.255.0");
                       EXPECT_EQ(p.config.ethernet.gateway, "10.0.0.1");
                       EXPECT_EQ(p.config.ethernet.dns2, "2.2.2.2");
                       EXPECT_EQ(p.config.advance.userPassword, "pw");
                   }},
        ReaderCase{"255.255.255.255 is rejected like the platform parser rejects it",
                   userFile("IP地址\t\t255.255.255.255\n子网掩码\t\t255.255.255.254\n"
                            "默认网关\t\t1.2.3.256\nDNS1\t\t1.1.1.1\nDNS2\t\t0.0.0.0\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.ethernet.ipAddress, "");
                       EXPECT_EQ(p.config.ethernet.subnetMask, "255.255.255.254");
                       EXPECT_EQ(p.config.ethernet.gateway, "");
                   }},
        ReaderCase{"a value with a blank misaligns the following keys",
                   userFile("IP地址\t\t10.0.0.2 x\n子网掩码\t\t255.0.0.0\n默认网关\t\t10.0.0.1\n"
                            "DNS1\t\t1.1.1.1\nDNS2\t\t2.2.2.2\n",
                            "用户密码\tpw\n\n自动回复开关\t\topen\n自动回复IP地址\t\t1.2.3.4\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.ethernet.ipAddress, "10.0.0.2");
                       EXPECT_EQ(p.config.ethernet.subnetMask, "255.255.255.0");
                       EXPECT_EQ(p.config.ethernet.gateway, "192.168.0.1");
                       EXPECT_EQ(p.config.ethernet.dns1, "0.0.0.0");
                       EXPECT_EQ(p.config.ethernet.dns2, "0.0.0.0");
                       // The password step meets the gateway value: nothing taken.
                       EXPECT_EQ(p.config.advance.userPassword, "");
                       EXPECT_EQ(p.config.report.enabled, 0);
                   }},
        ReaderCase{"method words",
                   "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t1\n固件版本号\t\tx\n"
                   "配置文件版本号\t\t1.0\nIP配置方式\tBOOTP\n",
                   [](const ParsedConfigFile& p) { EXPECT_EQ(p.config.ethernet.ipMethod, 2); }},
        ReaderCase{"unknown method word gives DHCP",
                   "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t1\n固件版本号\t\tx\n"
                   "配置文件版本号\t\t1.0\nIP配置方式\tSTATIC\n",
                   [](const ParsedConfigFile& p) { EXPECT_EQ(p.config.ethernet.ipMethod, 1); }},
        ReaderCase{"static value gives 0",
                   "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t1\n固件版本号\t\tx\n"
                   "配置文件版本号\t\t1.0\nIP配置方式\t静态配置\n",
                   [](const ParsedConfigFile& p) { EXPECT_EQ(p.config.ethernet.ipMethod, 0); }},
        ReaderCase{"product code that is no number is -1; the word stays for the next read",
                   "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\tabc 固件版本号\t\t9.9\n",
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.productCode, 0xFFFFFFFFu);
                       // "abc" was read as the firmware key: no match.
                       EXPECT_EQ(p.config.identity.firmwareVersion, "");
                       EXPECT_EQ(p.config.identity.fileVersion, "1.0");
                   }},
        ReaderCase{"digits end a number; the rest is the next word",
                   "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t12固件版本号\t\t9.9\n",
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.productCode, 12u);
                       EXPECT_EQ(p.config.identity.firmwareVersion, "9.9");
                       EXPECT_EQ(p.config.identity.fileVersion, "");
                   }},
        ReaderCase{"empty firmware value: the file version key follows directly",
                   "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t5\n固件版本号\t\t\n"
                   "配置文件版本号\t\t7.0\n",
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.identity.firmwareVersion, "");
                       EXPECT_EQ(p.config.identity.fileVersion, "7.0");
                   }},
        ReaderCase{"at the end of the file a word read repeats the last word",
                   "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t5\n固件版本号",
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.identity.firmwareVersion, gbk("固件版本号"));
                       EXPECT_EQ(p.config.identity.fileVersion, "");
                   }},
        ReaderCase{"ports and periods that are no numbers are -1",
                   userFile(kAddresses,
                            "用户密码\tpw\n\n自动回复开关\t\topen\n自动回复IP地址\t\t1.2.3.4\n"
                            "自动回复端口\t\tx\n自动回复周期\t\t-\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.report.enabled, 1);
                       EXPECT_EQ(p.config.report.targetIp, "1.2.3.4");
                       EXPECT_EQ(p.config.report.port, -1);
                       // "x" was read as the period key.
                       EXPECT_EQ(p.config.report.period, 10);
                   }},
        ReaderCase{"a number at the end of the file is -1",
                   userFile(kAddresses,
                            "用户密码\tpw\n\n自动回复开关\t\topen\n自动回复IP地址\t\t1.2.3.4\n"
                            "自动回复端口\t\t80\n自动回复周期\t\t"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.report.port, 80);
                       EXPECT_EQ(p.config.report.period, -1);
                   }},
        ReaderCase{"empty report address: the target keeps its value, the port is read",
                   userFile(kAddresses,
                            "用户密码\t\n\n自动回复开关\t\topen\n自动回复IP地址\t\t\n"
                            "自动回复端口\t\t81\n自动回复周期\t\t5\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.advance.userPassword, "");
                       EXPECT_EQ(p.config.report.targetIp, "");
                       EXPECT_EQ(p.config.report.port, 81);
                       EXPECT_EQ(p.config.report.period, 5);
                   }},
        ReaderCase{"without the address line the port key is dropped and the period not found",
                   userFile(kAddresses,
                            "用户密码\tpw\n\n自动回复开关\t\topen\n自动回复端口\t\t81\n"
                            "自动回复周期\t\t9\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.report.enabled, 1);
                       EXPECT_EQ(p.config.report.port, 16800);
                       EXPECT_EQ(p.config.report.period, 10);
                   }},
        ReaderCase{"English keys read with Chinese resources",
                   userFile(kAddresses,
                            "Password\tpw\n\n自动回复开关\t\topen\n自动回复IP地址\t\t1.2.3.4\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.advance.userPassword, "");
                       EXPECT_EQ(p.config.report, IPReport{});
                   }},
        ReaderCase{"Chinese keys read with English resources",
                   userFile(kAddresses, "用户密码\tpw\n\n自动回复开关\t\topen\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.advance.userPassword, "");
                       EXPECT_EQ(p.config.report.enabled, 0);
                   },
                   Lang::En},
        ReaderCase{"a 21-byte password is dropped",
                   userFile(kAddresses, "用户密码\t" + k21 + "\n\n自动回复开关\t\topen\n"),
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.advance.userPassword, "");
                       EXPECT_EQ(p.config.report.enabled, 1);
                   }},
        ReaderCase{"a word far longer than 127 bytes is read whole",
                   userFile(kAddresses,
                            "用户密码\t" + std::string(300, 'p') + "\n\n自动回复开关\t\topen\n"),
                   [](const ParsedConfigFile& p) {
                       // Cut into buffer-sized pieces it would have misaligned the switch.
                       EXPECT_EQ(p.config.advance.userPassword, "");
                       EXPECT_EQ(p.config.report.enabled, 1);
                   }},
        ReaderCase{"long firmware word kept whole",
                   "用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t5\n固件版本号\t\t" +
                       std::string(200, 'f') + "\n配置文件版本号\t\t3.0\n",
                   [](const ParsedConfigFile& p) {
                       EXPECT_EQ(p.config.identity.firmwareVersion, std::string(200, 'f'));
                       EXPECT_EQ(p.config.identity.fileVersion, "3.0");
                   }}));

std::string backgroundHead(std::string_view nameLines) {
    return "用户配置/后台配置标志\t\t后台配置\n产品名称\t\tKVT-275R\n产品型号代码\t\t134103\n"
           "固件版本号\t\t1.2\n配置文件版本号\t\t1.0\n\n" +
           std::string(nameLines) + std::string(kAddresses) + "\n";
}

TEST(ConfigFileReader, BackgroundNameRules) {
    EXPECT_EQ(read(backgroundHead("网络名称\t\t" + k21 + "\nIP配置方式\tBOOTP\n"))
                  .config.ethernet.networkName,
              "Ethernet/IP");
    const ParsedConfigFile empty = read(backgroundHead("网络名称\t\t\nIP配置方式\tBOOTP\n"));
    EXPECT_EQ(empty.config.ethernet.networkName, "");
    EXPECT_EQ(empty.config.ethernet.ipMethod, 2);
    EXPECT_EQ(empty.config.ethernet.ipAddress, "10.0.0.2");

    // The name line missing: the method keeps its construction default and the words no
    // longer line up with the keys.
    const ParsedConfigFile missing = read(backgroundHead("IP配置方式\tBOOTP\n"));
    EXPECT_EQ(missing.config.ethernet.networkName, "Ethernet/IP");
    EXPECT_EQ(missing.config.ethernet.ipMethod, 0);
    EXPECT_EQ(missing.config.ethernet.ipAddress, "192.168.0.15");
    EXPECT_EQ(missing.config.ethernet.subnetMask, "255.255.255.0");
}

TEST(ConfigFileReader, BackgroundPasswordAndParameterSteps) {
    const std::string tail =
        "\n自动回复开关\t\tclosed\n\n用户配置方式\t\t使用串口（UART）设置\n"
        "Ethernet/IP连接参数\nAssembly Instance102:\t\t1\nAssembly Instance999:\t\t2\n"
        "Assembly Instance103:\t\t3\n";
    const std::string head = backgroundHead("网络名称\t\tn\nIP配置方式\tDHCP\n");

    const ParsedConfigFile emptyUser = read(head + "用户密码\t\n管理员密码\tadm\n" + tail);
    EXPECT_EQ(emptyUser.config.advance.userPassword, "");
    EXPECT_EQ(emptyUser.config.advance.adminPassword, "adm");
    EXPECT_EQ(emptyUser.config.parameter.ipSettingMethod, 1);
    const auto& sizes = emptyUser.config.parameter.assemblySizes;
    EXPECT_EQ(sizes[0], "1");
    // A wrong key drops its two words; its value is then read as the next key's first word.
    EXPECT_EQ(sizes[1], "64");
    EXPECT_EQ(sizes[2], "0");

    const ParsedConfigFile emptyAdmin = read(head + "用户密码\tu\n管理员密码\t\n" + tail);
    EXPECT_EQ(emptyAdmin.config.advance.userPassword, "u");
    EXPECT_EQ(emptyAdmin.config.advance.adminPassword, "");
    EXPECT_EQ(emptyAdmin.config.parameter.ipSettingMethod, 1);

    const ParsedConfigFile longAdmin =
        read(head + "用户密码\tu\n管理员密码\t" + std::string(21, 'a') + "\n" + tail);
    EXPECT_EQ(longAdmin.config.advance.adminPassword, "");
    EXPECT_EQ(longAdmin.config.parameter.ipSettingMethod, 1);

    // English keys with Chinese resources: everything from the passwords on is lost.
    const ParsedConfigFile english = read(head + "Password\tu\nAdmin_Password\ta\n" + tail);
    EXPECT_EQ(english.config.advance, CAdvance{});
    EXPECT_EQ(english.config.parameter, CParameter{});
}

// ---------------------------------------------------------------- files on disk

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("kvt-configfile-" + std::to_string(std::random_device{}()));
        ASSERT_TRUE(std::filesystem::create_directory(dir));
        m_dir = dir.string();
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string path(const char* name) const { return m_dir + "/" + name; }
    std::string slurp(const std::string& p) const {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int entries() const {
        return static_cast<int>(std::distance(std::filesystem::directory_iterator(m_dir), {}));
    }

    std::string m_dir;
};

using AtomicWrite = TempDir;

// Also as a name relative to the current folder, as a shell passes it.
TEST_F(AtomicWrite, CreatesAndReplacesWithoutLeavingTemporaries) {
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(m_dir);
    for (const std::string& target : {path("a.inf"), std::string("b.inf")}) {
        std::string error;
        EXPECT_TRUE(writeFileAtomically(target, "first, longer content", &error)) << error;
        EXPECT_TRUE(writeFileAtomically(target, "second", &error)) << target << ": " << error;
        EXPECT_EQ(slurp(target), "second");
    }
    std::filesystem::current_path(before);
    EXPECT_EQ(entries(), 2);
}

TEST_F(AtomicWrite, MissingFolderIsAnErrorWithText) {
    std::string error;
    const std::string file = path("no/such/a.inf");
    EXPECT_FALSE(writeFileAtomically(file, "x", &error));
    // The file's name, then the system's own words (Windows words them in its language).
    EXPECT_EQ(error.rfind(file + ": ", 0), 0u) << error;
    EXPECT_GT(error.size(), file.size() + 2) << error;
#ifndef _WIN32
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
#endif
}

// Windows names in UTF-16: a Chinese name is the same name in the folder listing.
TEST_F(AtomicWrite, ChineseFileNameRoundTrip) {
    const std::string name = "网关配置.inf";
    ASSERT_TRUE(writeFileAtomically(path(name.c_str()), "x", nullptr));
    std::string bytes;
    EXPECT_EQ(readWholeFile(path(name.c_str()), bytes), FileReadStatus::Ok);
    EXPECT_EQ(bytes, "x");
    const auto listed = std::filesystem::directory_iterator(m_dir)->path().filename().u8string();
    EXPECT_EQ(std::string(listed.begin(), listed.end()), name);
}

// A reader that holds the file open (on Windows it does not share deleting) must not make a
// save fail: the file is replaced once the reader lets go.
TEST_F(AtomicWrite, ReplacesAFileAnotherProgramReadsForAMoment) {
    const std::string target = path("a.inf");
    ASSERT_TRUE(writeFileAtomically(target, "old", nullptr));
    auto reader = std::make_unique<std::ifstream>(target, std::ios::binary);
    ASSERT_TRUE(reader->is_open());
    std::thread closer([&reader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        reader.reset();
    });
    std::string error;
    const bool saved = writeFileAtomically(target, "new", &error);
    closer.join();
    EXPECT_TRUE(saved) << error;
    EXPECT_EQ(slurp(target), "new");
    EXPECT_EQ(entries(), 1);
}

TEST_F(AtomicWrite, FailedWriteLeavesTheOldFileWhole) {
#ifdef _WIN32
    GTEST_SKIP() << "needs fork and a file size limit (POSIX)";
#else
    const std::string target = path("a.inf");
    ASSERT_TRUE(writeFileAtomically(target, "old content", nullptr));
    // The child cannot write more than 4 bytes to any file: the write fails midway.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4, 4};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool ok = writeFileAtomically(target, std::string(1000, 'n'), &error);
        ::_exit(!ok && error.find("too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(slurp(target), "old content");
    EXPECT_EQ(entries(), 1);
#endif
}

TEST_F(AtomicWrite, ReplacedFileKeepsItsPermissions) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permission bits";
#else
    const std::string target = path("a.inf");
    ASSERT_TRUE(writeFileAtomically(target, "1", nullptr));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(target, "2", nullptr));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
#endif
}

using WholeFile = TempDir;

TEST_F(WholeFile, MissingAndFolderCannotBeOpened) {
    std::string bytes = "stale";
    EXPECT_EQ(readWholeFile(path("none.inf"), bytes), FileReadStatus::CannotOpen);
    EXPECT_EQ(readWholeFile(m_dir, bytes), FileReadStatus::CannotOpen);
    ASSERT_TRUE(writeFileAtomically(path("a.inf"), std::string(20000, 'z'), nullptr));
    EXPECT_EQ(readWholeFile(path("a.inf"), bytes), FileReadStatus::Ok);
    EXPECT_EQ(bytes, std::string(20000, 'z'));
}

}  // namespace
}  // namespace kvt
