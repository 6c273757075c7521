#include "core/files/CsvExport.h"

#include <array>
#include <cstdint>

#include "core/config/DeviceTexts.h"

namespace kvt {
namespace {

struct Header {
    std::uint32_t textId;  // 0: not in the UI text table
    const char* zh;        // used when textId is 0
    const char* en;
};

constexpr std::array<Header, 10> kDeviceHeaders = {{
    {4001, nullptr, "No."},
    {4002, nullptr, "Name"},
    {4003, nullptr, "Model"},
    {4004, nullptr, "IP address"},
    {4005, nullptr, "MAC address"},
    {4006, nullptr, "Firmware version"},
    {4007, nullptr, "User password"},
    {4009, nullptr, "Administrator password"},
    {4008, nullptr, "Remote configuration"},
    {0, "网络接口", "Interface"},
}};

constexpr std::array<Header, 7> kReportHeaders = {{
    {4501, nullptr, "No."},
    {4502, nullptr, "Device name"},
    {4503, nullptr, "IP address"},
    {4504, nullptr, "MAC address"},
    {4505, nullptr, "Count"},
    {4506, nullptr, "Previous report"},
    {4507, nullptr, "Latest report"},
}};

template <std::size_t N>
std::vector<std::string> headerRow(const std::array<Header, N>& headers, Lang lang) {
    std::vector<std::string> row;
    for (const Header& header : headers) {
        if (lang == Lang::En)
            row.emplace_back(header.en);
        else
            row.push_back(header.textId != 0 ? uiTextUtf8(header.textId) : header.zh);
    }
    return row;
}

std::string utf8(const Gbk& text) {
    return gbkToUtf8(text);
}

// The list pads numbers and times with spaces for its fixed-width columns.
std::string unpadded(const Gbk& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == Gbk::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return gbkToUtf8(std::string_view(text).substr(first, last - first + 1));
}

}  // namespace

std::string csvField(std::string_view utf8Text) {
    if (utf8Text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(utf8Text);
    std::string quoted = "\"";
    for (const char c : utf8Text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void CsvWriter::addRow(const std::vector<std::string>& utf8Fields) {
    for (std::size_t i = 0; i < utf8Fields.size(); ++i) {
        if (i > 0) m_text += ',';
        m_text += csvField(utf8Fields[i]);
    }
    m_text += "\r\n";
}

std::string deviceTableCsv(const std::vector<CEquipment>& devices, Lang lang) {
    CsvWriter csv;
    csv.addRow(headerRow(kDeviceHeaders, lang));
    for (const CEquipment& d : devices) {
        // The interface name is the system's own (ASCII in practice), not a device text.
        csv.addRow({unpadded(d.rowNumber), utf8(nameText(d)), utf8(modelText(d)), utf8(d.ipAddress),
                    utf8(d.macAddress), utf8(d.firmwareVersion),
                    utf8(passwordSetText(d.userPasswordSet)),
                    utf8(passwordSetText(d.adminPasswordSet)), utf8(remoteConfigText(d)),
                    d.interfaceName});
    }
    return csv.text();
}

std::string reportTableCsv(const std::vector<ReportRecord>& rows, Lang lang) {
    CsvWriter csv;
    csv.addRow(headerRow(kReportHeaders, lang));
    for (const ReportRecord& r : rows) {
        csv.addRow({unpadded(r.row), utf8(r.name), utf8(r.ip), utf8(r.mac), unpadded(r.count),
                    unpadded(r.previous), unpadded(r.latest)});
    }
    return csv.text();
}

}  // namespace kvt
