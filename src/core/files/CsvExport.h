#pragma once
// The device list and the report list as CSV files for spreadsheet programs: UTF-8 behind a
// byte order mark (without it they take the Chinese texts for the ANSI code page), fields
// quoted as RFC 4180 asks, CR LF line ends.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/Configuration.h"
#include "core/discovery/ReportTable.h"
#include "core/text/ExtraText.h"

namespace kvt {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Column texts of the device list and of the report list, which the windows show and the files
// carry as headers, so that both read the same. The device file adds three columns after the
// list's seven (the list tells them otherwise).
inline constexpr std::array<std::uint32_t, 10> kDeviceListColumns = {
    4001, 4002, 4003, 4004, 4005, 4006, 4007, 4009, 4008, kTxtInterfaceColumn};
inline constexpr std::array<std::uint32_t, 7> kReportListColumns = {4501, 4502, 4503, 4504,
                                                                    4505, 4506, 4507};

// One field: as it is, or in double quotes (inner quotes doubled) when it holds a comma, a
// double quote, CR or LF.
std::string csvField(std::string_view utf8);

// Collects rows of UTF-8 fields after the byte order mark.
class CsvWriter {
public:
    CsvWriter() : m_text(kUtf8Bom) {}
    void addRow(const std::vector<std::string>& utf8Fields);
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// The device table: the list's seven columns (row, name, model, IP, MAC, firmware, user
// password), then administrator password, remote configuration and the interface the device
// was heard on, under headers in `lang`. GBK texts become UTF-8 (bytes that are not GBK show as
// U+FFFD); row numbers lose the padding of the list.
std::string deviceTableCsv(const std::vector<CEquipment>& devices, Lang lang);

// The report table's seven columns under headers in `lang`; the row number, the count and the
// two times lose the padding of the list, so that spreadsheets read numbers and times.
std::string reportTableCsv(const std::vector<ReportRecord>& rows, Lang lang);

}  // namespace kvt
