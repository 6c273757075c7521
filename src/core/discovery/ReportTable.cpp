#include "core/discovery/ReportTable.h"

#include <algorithm>
#include <cstdlib>

#include "core/config/WireFormat.h"
#include "core/platform/LocalTime.h"

namespace kvt {

std::string reportTimeText(std::time_t when) {
    return platform::localTimeOfDayGbk(when);
}

std::optional<std::size_t> ReportTable::apply(std::span<const std::uint8_t> datagram,
                                              const std::string& timeText) {
    const auto report = datagram.first(std::min(datagram.size(), kDatagramSize));
    Gbk mac = wire::macAddress(report, 36);

    const auto found = m_rowOf.find(mac);
    std::size_t index = m_rows.size();
    if (found != m_rowOf.end()) {
        index = found->second;
    } else {
        // Further newcomers are not listed, but counted, so that the window can say so.
        if (m_rows.size() >= kCapacity) {
            if (m_unlisted.size() < kUnlistedCounted) m_unlisted.insert(std::move(mac));
            return std::nullopt;
        }
        m_rows.emplace_back();
        m_rowOf.emplace(mac, index);
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
