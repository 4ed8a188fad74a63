// Range::Sort: rows of a range ordered by up to two key columns.
#include "spreadsheet/Range.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Worksheet.h"
#include "spreadsheet/detail/Ordering.h"

#include <algorithm>
#include <numeric>

namespace spreadsheet {

namespace {

struct Key {
    int column;  // within the sorted area
    bool descending;
};

bool isText(const CellValue& value) { return value.kind() == CellValue::Kind::Text; }

// The rule stated at SortOptions.
bool looksLikeHeader(const std::vector<std::vector<CellValue>>& rows) {
    if (rows.size() < 2) return false;
    const std::vector<CellValue>& first = rows[0];
    const std::vector<CellValue>& second = rows[1];
    bool anyText = false;
    bool textAboveOther = false;
    for (std::size_t column = 0; column < first.size(); ++column) {
        if (first[column].isEmpty()) continue;
        if (!isText(first[column])) return false;
        anyText = true;
        const CellValue& below = second[column];
        if (!below.isEmpty() && !isText(below) && below.kind() != CellValue::Kind::Error) {
            textAboveOther = true;
        }
    }
    return anyText && textAboveOther;
}

}  // namespace

void Range::Sort(const SortOptions& options) const {
    auto refuse = [&](const std::string& why) {
        return SpreadsheetError::operationFailed("cannot sort " + Address() + " on " +
                                                 m_sheet->Name() + ": " + why);
    };
    if (options.orientation != kSortRows) throw refuse("only rows can be sorted.");
    if (options.orderCustom != 1) throw refuse("only the normal sort order is available.");
    if (!options.key1) throw refuse("no sort key was given.");
    for (int order : {options.order1, options.order2}) {
        if (order != kSortAscending && order != kSortDescending) {
            throw refuse("the sort order " + std::to_string(order) + " is unknown.");
        }
    }
    if (options.header != kHeaderGuess && options.header != kHeaderYes &&
        options.header != kHeaderNo) {
        throw refuse("the header code " + std::to_string(options.header) + " is unknown.");
    }

    CellArea area = CurrentRegion().area();
    std::vector<Key> keys;
    auto addKey = [&](const std::optional<spreadsheet::Range>& key, int order) {
        if (!key) return;
        if (&key->sheet() != m_sheet) {
            throw refuse("the sort key " + key->Address() + " is on the sheet " +
                         key->sheet().Name() + ".");
        }
        int column = key->area().left;
        if (column < area.left || column > area.right) {
            throw refuse("the sort key " + key->Address() + " is outside the sorted columns " +
                         columnLetters(area.left) + " to " + columnLetters(area.right) + ".");
        }
        keys.push_back({column - area.left, order == kSortDescending});
    };
    addKey(options.key1, options.order1);
    addKey(options.key2, options.order2);

    // Only rows up to the last used one matter: empty rows sort last and stay empty.
    std::optional<CellArea> used = m_sheet->usedArea();
    if (!used) return;
    area.bottom = std::min(area.bottom, used->bottom);
    if (area.bottom <= area.top) return;

    auto columns = static_cast<std::size_t>(area.columnCount());
    std::vector<std::vector<CellValue>> rows(static_cast<std::size_t>(area.rowCount()),
                                             std::vector<CellValue>(columns));
    for (const xls::Cell* cell : m_sheet->store().cellsIn(area)) {
        rows[cell->row - static_cast<std::size_t>(area.top)]
            [static_cast<std::size_t>(cell->column - area.left)] = detail::fromXlsCell(*cell);
    }
    bool header =
        options.header == kHeaderYes || (options.header == kHeaderGuess && looksLikeHeader(rows));
    std::size_t first = header ? 1 : 0;

    std::vector<std::size_t> order(rows.size() - first);
    std::iota(order.begin(), order.end(), first);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        for (const Key& key : keys) {
            const CellValue& x = rows[a][static_cast<std::size_t>(key.column)];
            const CellValue& y = rows[b][static_cast<std::size_t>(key.column)];
            if (x.isEmpty() || y.isEmpty()) {
                if (x.isEmpty() != y.isEmpty()) return y.isEmpty();
                continue;
            }
            int compared = detail::compareCells(x, y, options.matchCase);
            if (compared != 0) return key.descending ? compared > 0 : compared < 0;
        }
        return false;
    });

    CellArea sorted{area.top + static_cast<int>(first), area.left, area.bottom, area.right};
    m_sheet->store().eraseArea(sorted);
    for (std::size_t i = 0; i < order.size(); ++i) {
        std::vector<CellValue>& row = rows[order[i]];
        for (std::size_t column = 0; column < columns; ++column) {
            if (row[column].isEmpty()) continue;
            m_sheet->setValue(sorted.top + static_cast<int>(i),
                              area.left + static_cast<int>(column), std::move(row[column]));
        }
    }
}

}  // namespace spreadsheet
