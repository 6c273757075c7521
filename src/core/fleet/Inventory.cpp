#include "core/fleet/Inventory.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "core/config/ConfigJson.h"
#include "core/config/Fields.h"
#include "core/config/Rules.h"
#include "core/config/Validate.h"
#include "core/files/CsvExport.h"
#include "core/fleet/Diff.h"
#include "core/text/DottedAddress.h"

namespace kvt {
namespace {

constexpr std::string_view kMacColumn = "mac";
constexpr std::string_view kIpColumn = "ip";
constexpr std::string_view kPasswordColumn = "current_password";

// "02:00:00:00:00:0A" or "02-00-00-00-00-0a" -> "02-00-00-00-00-0a".
std::optional<std::string> normalMac(std::string_view text) {
    if (text.size() != 17) return std::nullopt;
    std::string mac;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != ':' && c != '-') return std::nullopt;
            mac.push_back('-');
        } else {
            if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
            mac.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    return mac;
}

// The JSON value of a cell for `key`, typed as the JSON form types the field: whole numbers,
// texts, and the nine assembly sizes separated by ';'.
std::optional<OrderedJson> cellValue(const OrderedJson& shape, const std::string& cell) {
    if (shape.is_number()) {
        std::size_t start = cell.starts_with('-') ? 1 : 0;
        if (cell.size() == start || cell.size() > 11) return std::nullopt;
        if (!std::all_of(cell.begin() + static_cast<long>(start), cell.end(),
                         [](unsigned char c) { return std::isdigit(c); }))
            return std::nullopt;
        return OrderedJson(std::stoll(cell));
    }
    if (shape.is_array()) {
        OrderedJson sizes = OrderedJson::array();
        std::size_t from = 0;
        for (;;) {
            const std::size_t to = cell.find(';', from);
            sizes.push_back(cell.substr(from, to - from));
            if (to == std::string::npos) break;
            from = to + 1;
        }
        if (sizes.size() != shape.size()) return std::nullopt;
        return sizes;
    }
    return OrderedJson(cell);
}

bool isSecret(std::string_view key) {
    const ConfigField* field = findField(key);
    return field && field->secret;
}

const OrderedJson& fieldShapes() {
    static const OrderedJson shapes = configurationToJson(CConfiguration{}, kBackgroundConfig);
    return shapes;
}

std::string kindWord(ConfigKind kind) {
    return kind == kUserConfig ? "user" : "background";
}

}  // namespace

std::optional<std::vector<std::vector<std::string>>> readCsvRecords(std::string_view text,
                                                                    std::string* error,
                                                                    std::size_t* errorRecord) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    struct Collected {
        std::vector<std::vector<std::string>> records;
        std::vector<std::string> record;
    } collected;
    const auto field = [](void* bytes, std::size_t size, void* data) {
        static_cast<Collected*>(data)->record.emplace_back(static_cast<const char*>(bytes), size);
    };
    const auto recordEnd = [](int, void* data) {
        auto* c = static_cast<Collected*>(data);
        c->records.push_back(std::move(c->record));
        c->record.clear();
    };
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
        if (error) *error = "out of memory";
        return std::nullopt;
    }
    // Blanks belong to the value (a password may hold them): nothing is trimmed.
    csv_set_space_func(&parser, [](unsigned char) { return 0; });
    const bool parsed =
        csv_parse(&parser, text.data(), text.size(), field, recordEnd, &collected) == text.size();
    const bool finished = parsed && csv_fini(&parser, field, recordEnd, &collected) == 0;
    const int status = csv_error(&parser);
    csv_free(&parser);
    if (!finished) {
        if (error)
            *error =
                status == CSV_EPARSE ? "a quote out of place or not closed" : csv_strerror(status);
        if (errorRecord) *errorRecord = collected.records.size() + 1;
        return std::nullopt;
    }
    // Blank lines (a spreadsheet's trailing ones) are no rows.
    std::erase_if(collected.records, [](const auto& r) { return r.size() == 1 && r[0].empty(); });
    return std::move(collected.records);
}

bool InventoryRow::sets(std::string_view key) const {
    return std::any_of(values.begin(), values.end(),
                       [key](const auto& value) { return value.first == key; });
}

std::string InventoryError::text() const {
    std::string out = "row " + std::to_string(row);
    if (!column.empty()) out += ", column " + column;
    return out + ": " + message;
}

Inventory parseInventory(std::string_view csv, ConfigKind kind, const CConfiguration& base) {
    Inventory inventory;
    auto refuse = [&](std::size_t row, std::string column, std::string message) {
        inventory.errors.push_back({row, std::move(column), std::move(message)});
    };
    std::string error;
    std::size_t errorRecord = 0;
    const auto records = readCsvRecords(csv, &error, &errorRecord);
    if (!records) {
        refuse(errorRecord, "", error);
        return inventory;
    }
    if (records->empty()) {
        refuse(1, "", "no header row");
        return inventory;
    }

    const std::vector<std::string>& header = records->front();
    const std::vector<std::string_view> carried = comparedFields(kind);
    std::map<std::string, std::size_t> columns;
    for (const std::string& name : header) {
        if (columns.contains(name)) {
            refuse(1, name, "the column is there twice");
        } else if (name != kMacColumn && name != kIpColumn && name != kPasswordColumn &&
                   std::find(carried.begin(), carried.end(), name) == carried.end()) {
            refuse(1, name,
                   fieldShapes().contains(name) && name != fieldKey(FieldId::Kind)
                       ? "not a field that a " + kindWord(kind) + " configuration writes"
                       : "unknown column");
        }
        columns.emplace(name, columns.size());
    }
    if (!columns.contains(std::string(kMacColumn)) && !columns.contains(std::string(kIpColumn)))
        refuse(1, "", "a column mac or ip is needed to find each gateway");
    if (!inventory.errors.empty()) return inventory;

    std::map<std::string, std::size_t> macs, currentIps, newIps;
    const auto once = [&](std::map<std::string, std::size_t>& seen, const std::string& value,
                          std::size_t row, const std::string& column, const char* what) {
        const auto [at, fresh] = seen.emplace(value, row);
        if (!fresh)
            refuse(
                row, column,
                std::string(what) + " " + value + " is also in row " + std::to_string(at->second));
    };
    for (std::size_t r = 1; r < records->size(); ++r) {
        const std::vector<std::string>& cells = (*records)[r];
        const std::size_t rowNumber = r + 1;
        if (cells.size() != header.size()) {
            refuse(rowNumber, "",
                   std::to_string(cells.size()) + " cells under " + std::to_string(header.size()) +
                       " columns");
            continue;
        }
        InventoryRow row;
        row.row = rowNumber;
        const std::size_t before = inventory.errors.size();
        OrderedJson set = OrderedJson::object();
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string& name = header[c];
            const std::string& cell = cells[c];
            if (cell.empty()) continue;
            if (name == kMacColumn) {
                const auto mac = normalMac(cell);
                if (!mac) refuse(rowNumber, name, "not a MAC address: " + cell);
                row.mac = mac.value_or("");
            } else if (name == kIpColumn) {
                const auto address = dottedQuad(cell);
                if (!address) refuse(rowNumber, name, "not an IPv4 address: " + cell);
                // As discovery lists it, whatever zeros it was typed with.
                row.ip = address ? dottedHostOrder(*address) : cell;
            } else if (name == kPasswordColumn) {
                row.currentPassword = utf8ToGbk(cell);
                if (!row.currentPassword) refuse(rowNumber, name, "a character GBK cannot hold");
            } else {
                const auto value = cellValue(fieldShapes()[name], cell);
                std::string why;
                if (!value ||
                    !configurationFromJson(OrderedJson{{name, *value}}, base, kind, &why)) {
                    refuse(
                        rowNumber, name,
                        "cannot be set to " + (isSecret(name) ? std::string("that value") : cell));
                    continue;
                }
                set[name] = *value;
                row.values.emplace_back(name, cell);
            }
        }
        if (row.mac.empty() && row.ip.empty() && inventory.errors.size() == before)
            refuse(rowNumber, "", "neither mac nor ip says which gateway");
        if (!row.mac.empty()) once(macs, row.mac, rowNumber, "mac", "MAC");
        if (!row.ip.empty()) once(currentIps, row.ip, rowNumber, "ip", "address");
        const std::string newIpKey(fieldKey(FieldId::IpAddress));
        if (set.contains(newIpKey)) {
            const std::string address = set[newIpKey].get<std::string>();
            if (const auto value = dottedQuad(address)) {
                // 10.0.0.5 and 10.0.0.05 are one address.
                once(newIps, dottedHostOrder(*value), rowNumber, newIpKey, "the new address");
            } else {
                refuse(rowNumber, newIpKey, "not an IPv4 address: " + address);
            }
        }
        // What the editor would refuse in the row's own values.
        if (inventory.errors.size() == before) {
            const auto config = configurationFromJson(set, base, kind, nullptr);
            for (const FieldIssue& issue : validate(config->config, kind)) {
                const std::string field = issue.field.substr(0, issue.field.find('['));
                if (issue.severity == Severity::Error && set.contains(field))
                    refuse(rowNumber, field, issueMessage(issue, Lang::En));
            }
        }
        inventory.rows.push_back(std::move(row));
    }
    return inventory;
}

CConfiguration withRowValues(const CConfiguration& base, const InventoryRow& row, ConfigKind kind) {
    OrderedJson set = OrderedJson::object();
    for (const auto& [key, cell] : row.values) {
        if (auto value = cellValue(fieldShapes()[key], cell)) set[key] = std::move(*value);
    }
    auto config = configurationFromJson(set, base, kind, nullptr);
    return config ? std::move(config->config) : base;
}

}  // namespace kvt
