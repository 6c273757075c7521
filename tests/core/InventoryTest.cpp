// The inventory of a batch: RFC 4180 records, and every mistake named by row and column before
// anything could be sent.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/fleet/Inventory.h"

namespace kvt {
namespace {

using Records = std::vector<std::vector<std::string>>;

struct CsvCase {
    const char* why;
    std::string text;
    Records records;
};

void PrintTo(const CsvCase& row, std::ostream* out) {
    *out << row.why;
}

class CsvRecords : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvRecords, ReadAsSpreadsheetsWriteThem) {
    std::string error;
    const auto records = readCsvRecords(GetParam().text, &error, nullptr);
    ASSERT_TRUE(records) << error;
    EXPECT_EQ(*records, GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CsvRecords,
    testing::Values(
        CsvCase{"a byte order mark is no part of the first column",
                "\xEF\xBB\xBFmac,ip\r\n1,2\r\n",
                {{"mac", "ip"}, {"1", "2"}}},
        CsvCase{"quotes keep commas, line breaks and doubled quotes",
                "a,b\n\"x,y\",\"line\nbreak \"\"q\"\"\"\n",
                {{"a", "b"}, {"x,y", "line\nbreak \"q\""}}},
        CsvCase{"empty cells and a last line without its break",
                "a,b,c\n,,\n1,,3",
                {{"a", "b", "c"}, {"", "", ""}, {"1", "", "3"}}},
        CsvCase{"blank lines a spreadsheet leaves at the end", "a\n1\n\n\r\n", {{"a"}, {"1"}}},
        CsvCase{"a quoted empty cell is a cell", "a,b\n\"\",x\n", {{"a", "b"}, {"", "x"}}}));

TEST(CsvRecords, BrokenQuotingNamesTheRecord) {
    std::string error;
    std::size_t record = 0;
    EXPECT_FALSE(readCsvRecords("a\n\"open\n", &error, &record));
    EXPECT_EQ(record, 2u);
    EXPECT_FALSE(readCsvRecords("a,b\n1,2\n\"x\"y,3\n", &error, &record));
    EXPECT_EQ(record, 3u);
    EXPECT_NE(error.find("quote out of place"), std::string::npos);
}

struct RefusedCase {
    const char* why;
    ConfigKind kind;
    std::string csv;
    std::size_t row;
    const char* column;
    const char* says;
};

void PrintTo(const RefusedCase& row, std::ostream* out) {
    *out << row.why;
}

class InventoryRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(InventoryRefused, NamesRowAndColumn) {
    const RefusedCase& c = GetParam();
    const Inventory inventory = parseInventory(c.csv, c.kind, newConfiguration(c.kind));
    ASSERT_FALSE(inventory.errors.empty()) << c.why;
    const InventoryError& error = inventory.errors.front();
    EXPECT_EQ(error.row, c.row) << c.why;
    EXPECT_EQ(error.column, c.column) << c.why;
    EXPECT_NE(error.message.find(c.says), std::string::npos) << c.why << ": " << error.message;
    for (const InventoryError& e : inventory.errors)
        EXPECT_EQ(e.text().find("toolongpassword"), std::string::npos) << "a password was shown";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InventoryRefused,
    testing::Values(
        RefusedCase{"a misspelt field", kUserConfig, "mac,ip_adress\n", 1, "ip_adress",
                    "unknown column"},
        RefusedCase{"a field the user image does not carry", kUserConfig, "mac,network_name\n", 1,
                    "network_name", "user configuration"},
        RefusedCase{"identity texts are not written", kBackgroundConfig, "mac,firmware_version\n",
                    1, "firmware_version", "writes"},
        RefusedCase{"a column twice", kUserConfig, "mac,gateway,gateway\n", 1, "gateway", "twice"},
        RefusedCase{"nothing to find the gateway by", kUserConfig, "ip_address\n1.2.3.4\n", 1, "",
                    "mac or ip"},
        RefusedCase{"a row with a cell too many", kUserConfig, "mac,ip_address\na,b,c\n", 2, "",
                    "3 cells under 2"},
        RefusedCase{"a MAC that is not one", kUserConfig, "mac\n02:00:00:00:01\n", 2, "mac",
                    "not a MAC"},
        RefusedCase{"the same MAC written two ways", kUserConfig,
                    "mac\n02:00:00:00:00:0A\n02-00-00-00-00-0a\n", 3, "mac", "also in row 2"},
        RefusedCase{"the same current address twice", kUserConfig,
                    "ip\n127.0.0.2\n127.0.0.3\n127.0.0.2\n", 4, "ip", "also in row 2"},
        RefusedCase{"two rows moving to one address", kUserConfig,
                    "mac,ip_address\n02:00:00:00:00:01,10.0.0.5\n02:00:00:00:00:02,10.0.0.5\n", 3,
                    "ip_address", "also in row 2"},
        RefusedCase{"one new address written with a leading zero", kUserConfig,
                    "mac,ip_address\n02:00:00:00:00:01,10.0.0.5\n02:00:00:00:00:02,10.0.0.05\n", 3,
                    "ip_address", "also in row 2"},
        RefusedCase{"one current address written with a leading zero", kUserConfig,
                    "ip\n127.0.0.2\n127.0.0.02\n", 3, "ip", "also in row 2"},
        RefusedCase{"a new address that is no address", kUserConfig,
                    "mac,ip_address\n02:00:00:00:00:01,10.0.0\n", 2, "ip_address", "not an IPv4"},
        RefusedCase{"letters in a number", kUserConfig, "mac,report_port\n02:00:00:00:00:01,80a\n",
                    2, "report_port", "cannot be set"},
        RefusedCase{"a number the pages refuse", kUserConfig,
                    "mac,report_enabled,report_target,report_port\n"
                    "02:00:00:00:00:01,1,127.0.0.1,70000\n",
                    2, "report_port", "out of range"},
        RefusedCase{"eight sizes where nine belong", kBackgroundConfig,
                    "mac,assembly_sizes\n02:00:00:00:00:01,1;2;3;4;5;6;7;8\n", 2, "assembly_sizes",
                    "cannot be set"},
        RefusedCase{"a password over 20 bytes, not shown", kUserConfig,
                    "mac,user_password\n02:00:00:00:00:01,toolongpasswordtoolongpassword\n", 2,
                    "user_password", "20"},
        RefusedCase{"a row that names no gateway", kUserConfig, "mac,ip,gateway\n,,1.2.3.4\n", 2,
                    "", "neither"}));

TEST(Inventory, RowsCarryTheirValuesOntoAnyBase) {
    const std::string csv =
        "\xEF\xBB\xBFmac,ip,current_password,ip_address,user_password,report_period\r\n"
        "02:00:00:00:00:0A,,,10.0.0.21,\"p,w\",\r\n"
        ",127.0.0.3,old,10.0.0.22,,30\r\n";
    const Inventory inventory = parseInventory(csv, kUserConfig, newConfiguration(kUserConfig));
    ASSERT_TRUE(inventory.errors.empty()) << inventory.errors.front().text();
    ASSERT_EQ(inventory.rows.size(), 2u);
    const InventoryRow& first = inventory.rows[0];
    EXPECT_EQ(first.row, 2u);
    EXPECT_EQ(first.mac, "02-00-00-00-00-0a");  // as discovery lists it
    EXPECT_FALSE(first.currentPassword);
    EXPECT_TRUE(first.sets("user_password"));
    EXPECT_FALSE(first.sets("report_period"));  // an empty cell sets nothing
    const InventoryRow& second = inventory.rows[1];
    EXPECT_EQ(second.ip, "127.0.0.3");
    EXPECT_EQ(second.currentPassword, Gbk("old"));

    CConfiguration base = newConfiguration(kUserConfig);
    base.ethernet.subnetMask = "255.0.0.0";
    base.report.period = 99;
    const CConfiguration a = withRowValues(base, first, kUserConfig);
    EXPECT_EQ(a.ethernet.ipAddress, "10.0.0.21");
    EXPECT_EQ(a.advance.userPassword, "p,w");
    EXPECT_EQ(a.ethernet.subnetMask, "255.0.0.0");
    EXPECT_EQ(a.report.period, 99);
    const CConfiguration b = withRowValues(base, second, kUserConfig);
    EXPECT_EQ(b.report.period, 30);
    EXPECT_EQ(b.advance.userPassword, base.advance.userPassword);
}

TEST(Inventory, SizesAndChineseNamesOfABackgroundRow) {
    const std::string csv =
        "mac,network_name,assembly_sizes\n02:00:00:00:00:01,线体-3,32;32;0;64;64;0;128;128;0\n";
    const Inventory inventory =
        parseInventory(csv, kBackgroundConfig, newConfiguration(kBackgroundConfig));
    ASSERT_TRUE(inventory.errors.empty()) << inventory.errors.front().text();
    const CConfiguration c =
        withRowValues(newConfiguration(kBackgroundConfig), inventory.rows[0], kBackgroundConfig);
    EXPECT_EQ(c.ethernet.networkName, gbk("线体-3"));
    EXPECT_EQ(c.parameter.assemblySizes[3], "64");
}

}  // namespace
}  // namespace kvt
