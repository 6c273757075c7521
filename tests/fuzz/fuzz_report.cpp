// A stream of report datagrams: the table never exceeds its 255 rows, keys stay unique and
// every count matches the number of datagrams seen for that MAC while it was listed.
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "core/discovery/ReportTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvt::ReportTable table;
    std::map<std::string, int> seen;
    std::size_t pos = 0;
    while (pos < size) {
        // First byte: datagram length (0..255); short lengths exercise zero fill.
        const std::size_t length = std::min<std::size_t>(data[pos], size - pos - 1);
        const std::span<const std::uint8_t> datagram(data + pos + 1, length);
        pos += 1 + length;
        const auto row = table.apply(datagram, " 12:00:00 ");
        if (!row) {
            FUZZ_CHECK(table.rows().size() == kvt::ReportTable::kCapacity);
            continue;
        }
        FUZZ_CHECK(*row < table.rows().size());
        const auto& record = table.rows()[*row];
        const int count = ++seen[record.mac];
        FUZZ_CHECK(std::stoi(record.count) == count);
        FUZZ_CHECK(record.row == std::to_string(*row + 1));
        FUZZ_CHECK(record.name.size() <= 20);
    }
    FUZZ_CHECK(table.rows().size() <= kvt::ReportTable::kCapacity);
    FUZZ_CHECK(table.rows().size() == seen.size());
    return 0;
}
