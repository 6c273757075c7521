#include "core/files/CsvExport.h"

#include <array>
#include <cstdint>

#include "core/config/DeviceTexts.h"

namespace kvt {
namespace {

template <std::size_t N>
std::vector<std::string> headerRow(const std::array<std::uint32_t, N>& headers, Lang lang) {
    std::vector<std::string> row;
    for (const std::uint32_t id : headers) row.push_back(textUtf8(id, lang));
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
    csv.addRow(headerRow(kDeviceListColumns, lang));
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
    csv.addRow(headerRow(kReportListColumns, lang));
    for (const ReportRecord& r : rows) {
        csv.addRow({unpadded(r.row), utf8(r.name), utf8(r.ip), utf8(r.mac), unpadded(r.count),
                    unpadded(r.previous), unpadded(r.latest)});
    }
    return csv.text();
}

}  // namespace kvt
