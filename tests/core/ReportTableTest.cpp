#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "core/discovery/ReportTable.h"
#include "core/text/Gbk.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The time zone as a user sets it; the C runtimes of both systems read TZ.
void setTimeZone(const char* tz) {
#ifdef _WIN32
    ::_putenv_s("TZ", tz);
#else
    ::setenv("TZ", tz, 1);
#endif
    ::tzset();
}

Bytes datagram(std::uint8_t macTail, std::array<std::uint8_t, 4> ip, const std::string& name,
               std::size_t size = ReportTable::kDatagramSize) {
    Bytes d(std::max(size, ReportTable::kDatagramSize), 0x77);  // uninterpreted noise
    const std::array<std::uint8_t, 6> mac = {0x00, 0xAA, 0xBB, 0xCC, 0x0D, macTail};
    std::copy(mac.begin(), mac.end(), d.begin() + 36);
    std::copy(ip.begin(), ip.end(), d.begin() + 44);
    std::fill(d.begin() + 56, d.begin() + 76, 0);
    std::copy(name.begin(), name.end(), d.begin() + 56);
    d.resize(size);
    return d;
}

TEST(ReportTable, FirstAndSecondReport) {
    ReportTable table;
    EXPECT_EQ(table.apply(datagram(1, {10, 0, 0, 5}, "alpha"), " 10:00:00 "), 0u);
    ASSERT_EQ(table.rows().size(), 1u);
    EXPECT_EQ(table.rows()[0], (ReportRecord{"1", "alpha", "10.0.0.5", "00-aa-bb-cc-0d-01", " 1",
                                             " 10:00:00 ", " 10:00:00 "}));

    // Same MAC from a new address and with a new name keeps its row.
    EXPECT_EQ(table.apply(datagram(1, {10, 0, 0, 6}, "beta"), " 10:00:10 "), 0u);
    ASSERT_EQ(table.rows().size(), 1u);
    EXPECT_EQ(table.rows()[0], (ReportRecord{"1", "beta", "10.0.0.6", "00-aa-bb-cc-0d-01", " 2",
                                             " 10:00:00 ", " 10:00:10 "}));
}

TEST(ReportTable, RowsFollowFirstHeardOrderAndCountsArePadded) {
    ReportTable table;
    for (int mac : {7, 3, 9})
        table.apply(datagram(static_cast<std::uint8_t>(mac), {1, 2, 3, 4}, "x"), "t");
    EXPECT_EQ(table.apply(datagram(3, {1, 2, 3, 4}, "x"), "t"), 1u);
    ASSERT_EQ(table.rows().size(), 3u);
    EXPECT_EQ(table.rows()[0].row, "1");
    EXPECT_EQ(table.rows()[1].row, "2");
    EXPECT_EQ(table.rows()[2].row, "3");
    EXPECT_EQ(table.rows()[1].count, " 2");
    for (int i = 0; i < 8; ++i) table.apply(datagram(3, {1, 2, 3, 4}, "x"), "t");
    EXPECT_EQ(table.rows()[1].count, "10");
    for (int i = 0; i < 90; ++i) table.apply(datagram(3, {1, 2, 3, 4}, "x"), "t");
    EXPECT_EQ(table.rows()[1].count, "100");
    table.clear();
    EXPECT_TRUE(table.rows().empty());
}

// Far more than 255 devices are listed; past the limit newcomers are counted, not listed.
TEST(ReportTable, DevicesPastTheLimitAreCountedNotListed) {
    static_assert(ReportTable::kCapacity >= 10'000);
    ReportTable table;
    Bytes d = datagram(0, {1, 1, 1, 1}, "n");
    const auto setMac = [&d](std::size_t i) {
        d[39] = static_cast<std::uint8_t>(i >> 16);
        d[40] = static_cast<std::uint8_t>(i >> 8);
        d[41] = static_cast<std::uint8_t>(i);
    };
    for (std::size_t i = 0; i < ReportTable::kCapacity; ++i) {
        setMac(i);
        ASSERT_EQ(table.apply(d, "t"), i);
    }
    EXPECT_EQ(table.rows()[255].row, "256");
    EXPECT_EQ(table.rows().back().row, std::to_string(ReportTable::kCapacity));
    EXPECT_EQ(table.notListed(), 0u);
    for (std::size_t extra : {0, 1, 0, 2}) {  // a device that reports again counts once
        setMac(ReportTable::kCapacity + extra);
        EXPECT_EQ(table.apply(d, "t"), std::nullopt);
    }
    EXPECT_EQ(table.notListed(), 3u);
    EXPECT_EQ(table.rows().size(), ReportTable::kCapacity);
    d[39] = 0;
    // Devices already listed keep being counted.
    d[40] = 0;
    d[41] = 200;
    EXPECT_EQ(table.apply(d, "t2"), 200u);
    EXPECT_EQ(table.rows()[200].count, " 2");
    table.clear();
    EXPECT_EQ(table.notListed(), 0u);
}

TEST(ReportTable, DatagramBounds) {
    ReportTable table;
    // Short: the address and name are missing and read as zero, whatever came before.
    table.apply(datagram(5, {9, 9, 9, 9}, "earlier"), "t");
    table.apply(datagram(5, {9, 9, 9, 9}, "", 46), "t");
    EXPECT_EQ(table.rows()[0].ip, "9.9.0.0");
    EXPECT_EQ(table.rows()[0].name, "");

    // Long: a name of 20 bytes is read whole and nothing past byte 75.
    Bytes longer = datagram(6, {1, 2, 3, 4}, "ABCDEFGHIJKLMNOPQRST", 90);
    std::fill(longer.begin() + 76, longer.end(), 'Z');
    table.apply(longer, "t");
    EXPECT_EQ(table.rows()[1].name, "ABCDEFGHIJKLMNOPQRST");

    // Even an empty datagram gives a row, keyed by the all-zero MAC.
    EXPECT_EQ(table.apply({}, "t"), 2u);
    EXPECT_EQ(table.rows()[2].mac, "00-00-00-00-00-00");
}

TEST(ReportTable, TimeTextIsLocalTimeOfDayBetweenSpaces) {
    setTimeZone("UTC0");
    EXPECT_EQ(reportTimeText(0), " 00:00:00 ");
    EXPECT_EQ(reportTimeText(13 * 3600 + 5 * 60 + 9), " 13:05:09 ");
    setTimeZone("UTC-8");  // eight hours east
    EXPECT_EQ(reportTimeText(0), " 08:00:00 ");
}

// The locale a desktop session hands the program (Qt installs it with setlocale). Taken from
// the system when it is there, otherwise built with localedef into a directory of the test's
// own (LOCPATH), which needs the locale sources of Debian's `locales` package but no root.
class LocaleTimeText : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "POSIX locales and localedef";
#else
        setTimeZone("UTC0");
        const std::string name = GetParam();
        if (std::setlocale(LC_ALL, name.c_str())) return;
        const auto dot = name.find('.');
        const std::string source = name.substr(0, dot);
        const std::string charset = name.substr(dot + 1);
        if (!std::filesystem::exists("/usr/share/i18n/locales/" + source))
            GTEST_SKIP() << "no locale sources for " << name << " (Debian package 'locales')";
        m_directory =
            std::filesystem::temp_directory_path() / ("kvt-locale-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_directory);
        const std::string command = "localedef -i " + source + " -f " + charset + " " +
                                    (m_directory / name).string() + " >/dev/null 2>&1";
        [[maybe_unused]] const int status = std::system(command.c_str());
        ::setenv("LOCPATH", m_directory.c_str(), 1);
        if (!std::setlocale(LC_ALL, name.c_str()))
            GTEST_SKIP() << "localedef could not build " << name;
#endif
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
#ifndef _WIN32
        ::unsetenv("LOCPATH");
#endif
        if (!m_directory.empty()) std::filesystem::remove_all(m_directory);
    }
    std::filesystem::path m_directory;
};

// Whatever charset the locale writes its time in, the text is GBK: it is stored and shown as
// such. The locales' own words for the time of day ("13时05分09秒") prove the conversion.
TEST_P(LocaleTimeText, IsGbkWhateverTheLocaleCharset) {
    const std::time_t when = 13 * 3600 + 5 * 60 + 9;
    const Gbk text = reportTimeText(when);
    EXPECT_EQ(gbkToUtf8(text), " 13时05分09秒 ");
    EXPECT_EQ(text, gbk(" 13时05分09秒 "));
}

INSTANTIATE_TEST_SUITE_P(
    ChineseDesktops, LocaleTimeText,
    ::testing::Values("zh_CN.UTF-8",     // today's desktops: the locale writes UTF-8
                      "zh_CN.GB18030"),  // older ones: a GBK superset, kept byte for byte
    [](const auto& param) {
        std::string name = param.param;
        for (char& c : name)
            if (c == '.' || c == '-') c = '_';
        return name;
    });

}  // namespace
}  // namespace kvt
