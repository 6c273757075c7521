#include "gui/widgets/ReportList.h"

#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "gui/app/Texts.h"

namespace kvt::gui {

int scaledColumnWidth(const QTableWidget* list, int width) {
    constexpr int kMacColumn = 115;
    const int mac = list->fontMetrics().horizontalAdvance(QStringLiteral("00-00-00-00-00-00")) + 14;
    const double scale = std::max(1.0, static_cast<double>(mac) / kMacColumn);
    return static_cast<int>(std::lround(width * scale));
}

void setUpReportList(QTableWidget* list, std::span<const ReportColumn> columns) {
    list->setColumnCount(static_cast<int>(columns.size()));
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->horizontalHeader()->setHighlightSections(false);
    // The last column takes what the window gives beyond the fixed widths.
    list->horizontalHeader()->setStretchLastSection(true);
    int total = 0;
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const ReportColumn& column = columns[static_cast<std::size_t>(c)];
        list->setHorizontalHeaderItem(c, new QTableWidgetItem(uiString(column.header)));
        const int width = scaledColumnWidth(list, column.width);
        list->setColumnWidth(c, width);
        total += width;
    }
    list->setMinimumWidth(total + 2 * list->frameWidth() + 20);
}

void setReportRow(QTableWidget* list, int row, const std::vector<QString>& cells) {
    if (row >= list->rowCount()) list->setRowCount(row + 1);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
        auto* item = new QTableWidgetItem(cells[static_cast<std::size_t>(c)]);
        item->setTextAlignment(Qt::AlignCenter);
        list->setItem(row, c, item);
    }
}

}  // namespace kvt::gui
