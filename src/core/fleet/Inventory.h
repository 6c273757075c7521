#pragma once
// The inventory of a batch: one gateway a row, found by MAC or by its current address, with the
// values to set under the keys of `show --json`. Everything wrong with it is found before
// anything is sent, naming row and column.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/config/Configuration.h"

namespace kvt {

// RFC 4180 records (libcsv, strict): fields separated by commas, records by CR LF or LF, a
// field in double quotes may hold commas, line breaks and "" for a quote; nothing is trimmed.
// A UTF-8 byte order mark at the start is skipped, blank lines are no records. nullopt with
// `error` (and the 1-based record in `errorRecord`) for a quote out of place or not closed.
std::optional<std::vector<std::vector<std::string>>> readCsvRecords(std::string_view text,
                                                                    std::string* error,
                                                                    std::size_t* errorRecord);

struct InventoryRow {
    std::size_t row = 0;  // the record's number in the file, the header being 1
    std::string mac;      // "02-00-00-00-00-01" as discovery lists it; empty when not given
    std::string ip;       // the current address; empty when not given
    std::optional<Gbk> currentPassword;  // column current_password: to get in with
    // The values to set: `show --json` key and cell (UTF-8), for the cells that are not empty.
    std::vector<std::pair<std::string, std::string>> values;

    bool sets(std::string_view key) const;
};

struct InventoryError {
    std::size_t row = 0;
    std::string column;  // empty when the row as a whole is wrong
    std::string message;
    std::string text() const;  // "row 3, column ip_address: ..."
};

struct Inventory {
    std::vector<InventoryRow> rows;
    std::vector<InventoryError> errors;  // when not empty, nothing may be sent
};

// Columns: `mac` and/or `ip` (at least one; every row fills one), `current_password`, and the
// fields that `kind` carries to a device (Diff.h's comparedFields). Refused: an unknown or
// repeated column, a field the kind does not carry, a row with the wrong number of cells, a
// bad MAC or address, the same MAC or current address twice, two rows setting the same new
// ip_address, a value the field cannot hold, and a value the editor's pages refuse (judged
// on `base` with the row's values).
Inventory parseInventory(std::string_view csv, ConfigKind kind, const CConfiguration& base);

// `base` with the row's values set. The row's cells were checked by parseInventory.
CConfiguration withRowValues(const CConfiguration& base, const InventoryRow& row, ConfigKind kind);

}  // namespace kvt
