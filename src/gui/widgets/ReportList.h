#pragma once
// The report-style lists of the main window and the report window: grid lines, full-row
// selection, centred cells, columns of the product's widths that widen to a longer text, the
// last filling the list's width.
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class QTableWidget;

namespace kvt::gui {

struct ReportColumn {
    std::uint32_t header;  // UI text id
    int width;             // pixels at the product's 8-point dialog font
};

// The first N of `headers` (the column texts the list shares with its CSV file) with `widths`.
template <std::size_t N, std::size_t M>
constexpr std::array<ReportColumn, N> columnsOf(const std::array<std::uint32_t, M>& headers,
                                                const std::array<int, N>& widths) {
    static_assert(N <= M);
    std::array<ReportColumn, N> columns{};
    for (std::size_t i = 0; i < N; ++i) columns[i] = {headers[i], widths[i]};
    return columns;
}

// The widths are those of the product's lists at its small dialog font. A larger font widens
// every column in the same proportion, just enough for a MAC address to fit its 115 pixels,
// so that no address is cut off.
int scaledColumnWidth(const QTableWidget* list, int width);

// Columns start at the given widths, wider where a header text needs it.
void setUpReportList(QTableWidget* list, std::span<const ReportColumn> columns);

// The list asks for room for all its columns (and a margin for the last to stretch).
void fitMinimumWidth(QTableWidget* list);

// Replaces row `row` (growing the list if needed) with centred cells.
void setReportRow(QTableWidget* list, int row, const std::vector<QString>& cells);

}  // namespace kvt::gui
