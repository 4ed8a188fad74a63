#include "spreadsheet/PivotTable.h"

#include "base/AsciiCase.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Worksheet.h"
#include "spreadsheet/detail/Ordering.h"
#include "spreadsheet/detail/Text.h"

#include <algorithm>
#include <map>

namespace spreadsheet {

namespace {

using Key = std::vector<CellValue>;

struct KeyLess {
    bool operator()(const Key& a, const Key& b) const {
        for (std::size_t i = 0; i < a.size(); ++i) {
            int compared = detail::compareCells(a[i], b[i], false);
            if (compared != 0) return compared < 0;
        }
        return false;
    }
};

Key keyOf(const std::vector<CellValue>& record, const std::vector<int>& fields) {
    Key key;
    for (int field : fields) key.push_back(record[static_cast<std::size_t>(field)]);
    return key;
}

CellValue label(const CellValue& value) {
    return value.isEmpty() ? CellValue::text("(blank)") : value;
}

// Positions of the distinct keys in ascending order.
std::map<Key, int, KeyLess> distinctKeys(const std::vector<std::vector<CellValue>>& records,
                                         const std::vector<int>& fields) {
    std::map<Key, int, KeyLess> keys;
    for (const auto& record : records) keys.emplace(keyOf(record, fields), 0);
    int position = 0;
    for (auto& entry : keys) entry.second = position++;
    return keys;
}

}  // namespace

const std::string& PivotField::Name() const { return m_table->fieldName(m_index); }

int PivotField::Orientation() const { return m_table->orientation(m_index); }

void PivotField::SetOrientation(int orientation) { m_table->setOrientation(m_index, orientation); }

PivotTable::PivotTable(Worksheet& sheet, std::string name, std::vector<std::string> fieldNames,
                       std::vector<std::vector<CellValue>> records)
    : m_sheet(&sheet),
      m_name(std::move(name)),
      m_fieldNames(std::move(fieldNames)),
      m_records(std::move(records)) {
    draw();
}

int PivotTable::fieldIndex(const std::string& name) const {
    for (std::size_t i = 0; i < m_fieldNames.size(); ++i) {
        if (base::equalsIgnoringCase(m_fieldNames[i], name)) return static_cast<int>(i);
    }
    throw SpreadsheetError::operationFailed("the pivot table " + m_name + " has no field named " +
                                            name + ".");
}

PivotField PivotTable::PivotFields(const std::string& name) { return {*this, fieldIndex(name)}; }

void PivotTable::AddFields(const std::vector<std::string>& rowFields,
                           const std::vector<std::string>& columnFields) {
    std::vector<int> rows;
    std::vector<int> columns;
    rows.reserve(rowFields.size());
    columns.reserve(columnFields.size());
    for (const std::string& name : rowFields) rows.push_back(fieldIndex(name));
    for (const std::string& name : columnFields) columns.push_back(fieldIndex(name));
    auto saved = std::tuple(m_rowFields, m_columnFields, m_dataField);
    m_rowFields = rows;
    m_columnFields = columns;
    if (m_dataField && (std::count(rows.begin(), rows.end(), *m_dataField) != 0 ||
                        std::count(columns.begin(), columns.end(), *m_dataField) != 0)) {
        m_dataField.reset();
    }
    try {
        draw();
    } catch (...) {
        std::tie(m_rowFields, m_columnFields, m_dataField) = saved;
        throw;
    }
}

int PivotTable::orientation(int index) const {
    if (m_dataField == index) return kPivotDataField;
    if (std::count(m_rowFields.begin(), m_rowFields.end(), index) != 0) return kPivotRowField;
    if (std::count(m_columnFields.begin(), m_columnFields.end(), index) != 0) {
        return kPivotColumnField;
    }
    return kPivotHidden;
}

void PivotTable::setOrientation(int index, int orientation) {
    if (orientation != kPivotHidden && orientation != kPivotRowField &&
        orientation != kPivotColumnField && orientation != kPivotDataField) {
        throw SpreadsheetError::operationFailed(
            "the pivot field " + m_fieldNames[static_cast<std::size_t>(index)] +
            " cannot take the orientation " + std::to_string(orientation) +
            " (page fields are not available).");
    }
    auto saved = std::tuple(m_rowFields, m_columnFields, m_dataField);
    std::erase(m_rowFields, index);
    std::erase(m_columnFields, index);
    if (m_dataField == index) m_dataField.reset();
    if (orientation == kPivotRowField) m_rowFields.push_back(index);
    if (orientation == kPivotColumnField) m_columnFields.push_back(index);
    if (orientation == kPivotDataField) m_dataField = index;
    try {
        draw();
    } catch (...) {
        std::tie(m_rowFields, m_columnFields, m_dataField) = saved;
        throw;
    }
}

void PivotTable::draw() {
    std::map<Key, int, KeyLess> rowKeys = distinctKeys(m_records, m_rowFields);
    std::map<Key, int, KeyLess> columnKeys = distinctKeys(m_records, m_columnFields);
    bool hasData = m_dataField.has_value();
    int labelColumns = std::max<int>(static_cast<int>(m_rowFields.size()), 1);
    int dataColumns = static_cast<int>(columnKeys.size());
    int dataRows = static_cast<int>(rowKeys.size());
    int namesRow = 1 + static_cast<int>(m_columnFields.size());
    bool totalColumn = hasData && !m_columnFields.empty();
    bool totalRow = hasData && !m_rowFields.empty();
    int shownColumns = std::max(dataColumns, hasData && m_columnFields.empty() ? 1 : 0);
    int lastColumn = labelColumns + shownColumns - 1 + (totalColumn ? 1 : 0);
    int lastRow = namesRow + dataRows + (totalRow ? 1 : 0);
    if (lastColumn >= kColumnCount || lastRow >= kRowCount) {
        throw SpreadsheetError::operationFailed(
            "the pivot table " + m_name + " would need " + std::to_string(lastRow + 1) +
            " rows and " + std::to_string(lastColumn + 1) +
            " columns; a worksheet has 65536 rows and 256 columns.");
    }

    // Sums by row key and column key; a cell stays empty without records.
    std::vector<std::vector<std::optional<double>>> sums(
        static_cast<std::size_t>(dataRows),
        std::vector<std::optional<double>>(static_cast<std::size_t>(dataColumns)));
    if (hasData) {
        for (const auto& record : m_records) {
            auto row = static_cast<std::size_t>(rowKeys.at(keyOf(record, m_rowFields)));
            auto column = static_cast<std::size_t>(columnKeys.at(keyOf(record, m_columnFields)));
            const CellValue& value = record[static_cast<std::size_t>(*m_dataField)];
            double add = value.kind() == CellValue::Kind::Number ? value.asNumber() : 0;
            sums[row][column] = sums[row][column].value_or(0) + add;
        }
    }

    if (m_drawn) m_sheet->store().eraseArea(*m_drawn);
    auto put = [&](int row, int column, CellValue value) {
        m_sheet->setValue(row, column, std::move(value));
    };
    if (hasData) {
        put(0, 0,
            CellValue::text("Sum of " + m_fieldNames[static_cast<std::size_t>(*m_dataField)]));
    }
    for (std::size_t i = 0; i < m_columnFields.size(); ++i) {
        int row = 1 + static_cast<int>(i);
        put(row, labelColumns - 1,
            CellValue::text(m_fieldNames[static_cast<std::size_t>(m_columnFields[i])]));
        for (const auto& [key, position] : columnKeys)
            put(row, labelColumns + position, label(key[i]));
    }
    if (totalColumn) put(1, lastColumn, CellValue::text("Grand Total"));
    for (std::size_t k = 0; k < m_rowFields.size(); ++k) {
        put(namesRow, static_cast<int>(k),
            CellValue::text(m_fieldNames[static_cast<std::size_t>(m_rowFields[k])]));
    }
    if (hasData && m_columnFields.empty()) put(namesRow, labelColumns, CellValue::text("Total"));

    std::vector<std::optional<double>> columnTotals(static_cast<std::size_t>(dataColumns));
    std::optional<double> grandTotal;
    for (const auto& [key, position] : rowKeys) {
        int row = namesRow + 1 + position;
        if (m_rowFields.empty()) {
            put(row, 0, CellValue::text("Total"));
        } else {
            for (std::size_t k = 0; k < key.size(); ++k)
                put(row, static_cast<int>(k), label(key[k]));
        }
        if (!hasData) continue;
        std::optional<double> rowTotal;
        for (std::size_t column = 0; column < sums[0].size(); ++column) {
            const std::optional<double>& sum = sums[static_cast<std::size_t>(position)][column];
            if (!sum) continue;
            put(row, labelColumns + static_cast<int>(column), CellValue::number(*sum));
            rowTotal = rowTotal.value_or(0) + *sum;
            columnTotals[column] = columnTotals[column].value_or(0) + *sum;
        }
        if (totalColumn && rowTotal) put(row, lastColumn, CellValue::number(*rowTotal));
        if (rowTotal) grandTotal = grandTotal.value_or(0) + *rowTotal;
    }
    if (totalRow) {
        put(lastRow, 0, CellValue::text("Grand Total"));
        for (std::size_t column = 0; column < columnTotals.size(); ++column) {
            if (columnTotals[column]) {
                put(lastRow, labelColumns + static_cast<int>(column),
                    CellValue::number(*columnTotals[column]));
            }
        }
        if (totalColumn && grandTotal) put(lastRow, lastColumn, CellValue::number(*grandTotal));
    }
    m_drawn = CellArea{0, 0, lastRow, std::max(lastColumn, labelColumns - 1)};
}

}  // namespace spreadsheet
