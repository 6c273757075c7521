#include "core/discovery/ReportTable.h"

#include <algorithm>
#include <cstdlib>

#include "core/config/WireFormat.h"

namespace kvt {

std::string reportTimeText(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, " %X ", &local);
    return std::string(text, n);
}

std::optional<std::size_t> ReportTable::apply(std::span<const std::uint8_t> datagram,
                                              const std::string& timeText) {
    const auto report = datagram.first(std::min(datagram.size(), kDatagramSize));
    Gbk mac = wire::macAddress(report, 36);

    const auto found = std::find_if(m_rows.begin(), m_rows.end(),
                                    [&](const ReportRecord& r) { return r.mac == mac; });
    std::size_t index = static_cast<std::size_t>(found - m_rows.begin());
    if (found == m_rows.end()) {
        // The table has room for 255 devices; further newcomers are not listed.
        if (m_rows.size() >= kCapacity) return std::nullopt;
        m_rows.emplace_back();
    }

    ReportRecord& record = m_rows[index];
    record.mac = std::move(mac);
    record.row = wire::decimalText(static_cast<long long>(index) + 1);
    record.previous = record.latest;
    record.latest = timeText;
    if (record.previous.empty()) record.previous = record.latest;
    record.ip = wire::dottedAddress(report, 44);
    record.name = wire::textField(report, 56, 20);
    record.count = wire::paddedDecimalText(std::atoll(record.count.c_str()) + 1);
    return index;
}

}  // namespace kvt
