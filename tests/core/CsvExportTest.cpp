#include <gtest/gtest.h>

#include "core/files/CsvExport.h"
#include "core/text/Gbk.h"

namespace kvt {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// An RFC 4180 reader for the checks: the export must read back field for field.
Rows readCsv(std::string_view text) {
    EXPECT_TRUE(text.starts_with(kUtf8Bom));
    text.remove_prefix(kUtf8Bom.size());
    Rows rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            ++i;
        } else if (c == '\r' || c == '\n') {
            ADD_FAILURE() << "bare line break outside quotes at " << i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.empty() && row.empty()) << "text does not end with CR LF";
    return rows;
}

struct FieldCase {
    const char* why;
    std::string field;
    std::string written;
};

class CsvFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(CsvFieldTest, QuotesOnlyWhatNeedsIt) {
    SCOPED_TRACE(GetParam().why);
    EXPECT_EQ(csvField(GetParam().field), GetParam().written);
    CsvWriter csv;
    csv.addRow({GetParam().field, "next"});
    EXPECT_EQ(readCsv(csv.text()), (Rows{{GetParam().field, "next"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Rfc4180, CsvFieldTest,
    testing::Values(FieldCase{"plain text stays bare", "GW-1", "GW-1"},
                    FieldCase{"empty field stays empty", "", ""},
                    FieldCase{"spaces need no quotes", " a b ", " a b "},
                    FieldCase{"a comma would split the field", "a,b", "\"a,b\""},
                    FieldCase{"quotes are doubled inside quotes", "say \"hi\"",
                              "\"say \"\"hi\"\"\""},
                    FieldCase{"LF would end the row", "a\nb", "\"a\nb\""},
                    FieldCase{"CR LF inside a field", "a\r\nb", "\"a\r\nb\""},
                    FieldCase{"Chinese text passes as UTF-8", "网关", "网关"}));

CEquipment device(const Gbk& row, const Gbk& name) {
    CEquipment d;
    d.rowNumber = row;
    d.name = name;
    d.ipAddress = "10.0.0.5";
    d.macAddress = "02-00-00-00-00-01";
    d.firmwareVersion = "1.10";
    d.userPasswordSet = true;
    d.adminPasswordSet = false;
    d.remoteConfig = RemoteConfig::Forbidden;
    d.interfaceName = "eth0";
    return d;
}

TEST(CsvExport, DeviceTableStartsWithTheBomAndTheListsHeaders) {
    const std::string zh = deviceTableCsv({}, Lang::Zh);
    EXPECT_EQ(zh,
              "\xEF\xBB\xBF序号,名称,型号,IP地址,MAC地址,固件版本,密码设置,管理员密码,远程配置,"
              "网络接口\r\n");
    const std::string en = deviceTableCsv({}, Lang::En);
    EXPECT_EQ(en,
              "\xEF\xBB\xBFNo.,Name,Model,IP Address,MAC Address,Firmware,Password,Admin password,"
              "Remote configuration,Interface\r\n");
}

TEST(CsvExport, DeviceRowsHoldEveryColumnAsUtf8) {
    CEquipment odd = device("10", "GW,\"B\"");
    odd.interfaceName.clear();  // heard through a search that went to one target
    const Rows rows = readCsv(deviceTableCsv({device(" 1", gbk("一号网关")), odd}, Lang::En));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "一号网关", "KVT-275R", "10.0.0.5",
                                                 "02-00-00-00-00-01", "1.10", "有", "无",
                                                 "禁止远程配置", "eth0"}));
    EXPECT_EQ(rows[2][0], "10");
    EXPECT_EQ(rows[2][1], "GW,\"B\"");
    EXPECT_EQ(rows[2][9], "");
}

TEST(CsvExport, BytesThatAreNotGbkShowAsReplacementCharacters) {
    // 0xFF is no GBK byte; 0x81 at the end is half a character. The text around them survives.
    const Gbk broken = std::string("A\xFF") + gbk("网") + "B\x81";
    const Rows rows = readCsv(deviceTableCsv({device("1", broken)}, Lang::Zh));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][1], "A\uFFFD网B\uFFFD");
}

TEST(CsvExport, ReportTableHeadersAndUnpaddedNumbersAndTimes) {
    EXPECT_EQ(reportTableCsv({}, Lang::Zh),
              "\xEF\xBB\xBF序号,设备名称,IP地址,MAC地址,次数,之前一次时间,最近一次时间\r\n");
    EXPECT_EQ(reportTableCsv({}, Lang::En),
              "\xEF\xBB\xBFNo.,Device Name,IP Address,MAC Address,Count,Previous Report,"
              "Latest Report\r\n");

    const std::vector<ReportRecord> table = {
        {"1", gbk("二号"), "192.168.0.7", "00-1a-2b-3c-4d-01", " 2", " 10:00:00 ", " 10:00:10 "},
        {"2", "a\"b", "192.168.0.8", "00-1a-2b-3c-4d-02", "12", " 9:05:01 AM ", " 9:05:01 AM "},
    };
    const Rows rows = readCsv(reportTableCsv(table, Lang::Zh));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "二号", "192.168.0.7", "00-1a-2b-3c-4d-01",
                                                 "2", "10:00:00", "10:00:10"}));
    // Spaces inside a time stay; only the list's padding goes.
    EXPECT_EQ(rows[2], (std::vector<std::string>{"2", "a\"b", "192.168.0.8", "00-1a-2b-3c-4d-02",
                                                 "12", "9:05:01 AM", "9:05:01 AM"}));
}

}  // namespace
}  // namespace kvt
