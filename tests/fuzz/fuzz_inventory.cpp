// Inventories of batches: whatever the file holds, the reader names a row for every mistake or
// hands over rows that can be sent (each names its gateway, no MAC or new address twice, no
// value the editor refuses), and records written back as CSV read back the same.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/config/Rules.h"
#include "core/config/Validate.h"
#include "core/files/CsvExport.h"
#include "core/fleet/Inventory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const kvt::ConfigKind kind = (data[0] & 1) ? kvt::kBackgroundConfig : kvt::kUserConfig;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string error;
    std::size_t errorRecord = 0;
    const auto records = kvt::readCsvRecords(text, &error, &errorRecord);
    if (records) {
        // As the CSV module writes it: behind a byte order mark, so a field that starts with
        // one keeps it.
        kvt::CsvWriter written;
        for (const auto& record : *records) written.addRow(record);
        const auto again = kvt::readCsvRecords(written.text(), nullptr, nullptr);
        FUZZ_CHECK(again && *again == *records);
    } else {
        FUZZ_CHECK(errorRecord >= 1 && !error.empty());
    }

    const kvt::CConfiguration base = kvt::newConfiguration(kind);
    const kvt::Inventory inventory = kvt::parseInventory(text, kind, base);
    for (const auto& e : inventory.errors) FUZZ_CHECK(e.row >= 1 && !e.message.empty());
    if (!inventory.errors.empty()) return 0;
    FUZZ_CHECK(records.has_value());
    std::set<std::string> macs;
    std::set<std::uint32_t> newAddresses;
    for (const kvt::InventoryRow& row : inventory.rows) {
        FUZZ_CHECK(!row.mac.empty() || !row.ip.empty());
        FUZZ_CHECK(row.mac.empty() || macs.insert(row.mac).second);
        const kvt::CConfiguration config = kvt::withRowValues(base, row, kind);
        if (row.sets("ip_address")) {
            const auto address = kvt::dottedQuad(config.ethernet.ipAddress);
            FUZZ_CHECK(address && newAddresses.insert(*address).second);
        }
        for (const kvt::FieldIssue& issue : kvt::validate(config, kind)) {
            const std::string field = issue.field.substr(0, issue.field.find('['));
            FUZZ_CHECK(issue.severity != kvt::Severity::Error || !row.sets(field));
        }
    }
    return 0;
}
