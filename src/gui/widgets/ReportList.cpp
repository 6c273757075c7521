#include "gui/widgets/ReportList.h"

#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "gui/base/Texts.h"

namespace kvt::gui {

namespace {
// What the last column needs; it is stretched beyond that to the list's width.
constexpr const char* kLastColumnWidth = "kvtLastColumnWidth";
}  // namespace

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
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const ReportColumn& column = columns[static_cast<std::size_t>(c)];
        list->setHorizontalHeaderItem(c, new QTableWidgetItem(uiString(column.header)));
        // The product's width, or the header's where a translation needs more.
        list->setColumnWidth(c, std::max(scaledColumnWidth(list, column.width),
                                         list->horizontalHeader()->sectionSizeHint(c)));
    }
    list->setProperty(kLastColumnWidth, list->columnWidth(list->columnCount() - 1));
    fitMinimumWidth(list);
}

void fitMinimumWidth(QTableWidget* list) {
    // The last column stretches: what it needs counts, not what it was stretched to.
    const int last = list->columnCount() - 1;
    int total = list->property(kLastColumnWidth).toInt();
    for (int c = 0; c < last; ++c) total += list->columnWidth(c);
    list->setMinimumWidth(total + 2 * list->frameWidth() + 20);
}

void setReportRow(QTableWidget* list, int row, const std::vector<QString>& cells) {
    if (row >= list->rowCount()) list->setRowCount(row + 1);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
        auto* item = new QTableWidgetItem(cells[static_cast<std::size_t>(c)]);
        item->setTextAlignment(Qt::AlignCenter);
        list->setItem(row, c, item);
    }
    // Columns widen to a text that would be cut ("Unsupported device" in English), and
    // never narrow: the list does not jump about as rows come and go. The last column takes
    // the list's minimum width along, so that it is never squeezed below its own text.
    bool widened = false;
    const int last = list->columnCount() - 1;
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
        // The grid line takes a pixel of the column.
        const int needed = list->sizeHintForIndex(list->model()->index(row, c)).width() +
                           (list->showGrid() ? 1 : 0);
        if (c == last) {
            if (needed <= list->property(kLastColumnWidth).toInt()) continue;
            list->setProperty(kLastColumnWidth, needed);
        } else {
            if (needed <= list->columnWidth(c)) continue;
            list->setColumnWidth(c, needed);
        }
        widened = true;
    }
    if (widened) fitMinimumWidth(list);
}

}  // namespace kvt::gui
