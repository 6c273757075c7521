#include "core/discovery/ReportTable.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <string_view>

#include "core/config/WireFormat.h"
#include "core/text/Gbk.h"

namespace kvt {

namespace {

// The charset the LC_TIME locale writes its texts in ("UTF-8" on today's Chinese desktops).
std::string timeCharset() {
    const char* name = std::setlocale(LC_TIME, nullptr);
    const locale_t time = ::newlocale(LC_CTYPE_MASK, name ? name : "C", locale_t{});
    if (time == locale_t{}) return "ANSI_X3.4-1968";
    std::string charset = ::nl_langinfo_l(CODESET, time);
    ::freelocale(time);
    return charset;
}

bool ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string reportTimeText(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    char text[64];
    std::size_t n = std::strftime(text, sizeof text, " %X ", &local);
    const std::string_view written(text, n);
    if (ascii(written)) return std::string(written);
    // The locale's words for the time of day come in its own charset; the table holds GBK.
    if (auto converted = toGbk(written, timeCharset().c_str())) return *converted;
    // A charset with characters GBK cannot hold: the plain 24-hour time instead.
    n = std::strftime(text, sizeof text, " %H:%M:%S ", &local);
    return std::string(text, n);
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
