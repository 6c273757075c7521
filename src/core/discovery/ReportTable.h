#pragma once
// IP address report datagrams and the listener's table of reporting devices.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/text/Gbk.h"

namespace kvt {

struct ReportRecord {
    Gbk row;       // "%d", 1-based, in order of first report
    Gbk name;      // bytes 56..75 up to the first NUL
    Gbk ip;        // bytes 44..47
    Gbk mac;       // bytes 36..41, lower-case, '-' separated; the record's key
    Gbk count;     // "%2d"
    Gbk previous;  // " %X " time of the report before the latest
    Gbk latest;    // " %X " time of the latest report
    bool operator==(const ReportRecord&) const = default;
};

// Time text of the listener's columns: strftime " %X " in local time, in GBK whatever charset
// the locale writes (" 13时05分09秒 " under zh_CN.UTF-8).
std::string reportTimeText(std::time_t when);

class ReportTable {
public:
    // Devices listed; reports of further devices are counted (notListed), not listed. A plant's
    // segment holds far fewer gateways; the limit only bounds a flood of made-up addresses.
    static constexpr std::size_t kCapacity = 10'000;
    // Distinct unlisted devices counted; beyond, the count stays (a flood, not a plant).
    static constexpr std::size_t kUnlistedCounted = 100'000;
    static constexpr std::size_t kDatagramSize = 76;  // at most this much is read

    // Applies one datagram (bytes past its end read as zero). Returns the updated row index,
    // or nullopt when the table is full and the MAC is new (the report is counted in
    // notListed() and otherwise ignored).
    std::optional<std::size_t> apply(std::span<const std::uint8_t> datagram,
                                     const std::string& timeText);
    void clear() {
        m_rows.clear();
        m_rowOf.clear();
        m_unlisted.clear();
    }
    // How many devices reported while the table was full.
    std::size_t notListed() const { return m_unlisted.size(); }
    const std::vector<ReportRecord>& rows() const { return m_rows; }

private:
    std::vector<ReportRecord> m_rows;
    // Row of each MAC text: a flood of reports must not scan 255 rows per report.
    std::unordered_map<Gbk, std::size_t> m_rowOf;
    std::unordered_set<Gbk> m_unlisted;
};

}  // namespace kvt
