// A pivot table: the sums of one field of a list of records, by the values of other fields in
// rows and in columns, drawn as plain cells on its worksheet.
#pragma once

#include "spreadsheet/CellReference.h"
#include "spreadsheet/CellValue.h"

#include <optional>
#include <string>
#include <vector>

namespace spreadsheet {

class PivotTable;
class Worksheet;

// Field orientations, with the object model's codes.
inline constexpr int kPivotHidden = 0;
inline constexpr int kPivotRowField = 1;
inline constexpr int kPivotColumnField = 2;
inline constexpr int kPivotPageField = 3;
inline constexpr int kPivotDataField = 4;

class PivotField {
public:
    PivotField(PivotTable& table, int index) : m_table(&table), m_index(index) {}
    const std::string& Name() const;
    int Orientation() const;
    // Moves the field to rows, columns or the data (its values are then summed; the table has
    // one data field, so this replaces another), or hides it, and redraws the table. Throws
    // SpreadsheetError (1004) for page fields and unknown codes.
    void SetOrientation(int orientation);

private:
    PivotTable* m_table;
    int m_index;
};

// The layout, from A1 of the table's sheet, for row fields R, column fields C and data field D:
//
//   Sum of D
//   <C1>          <value>  <value>  ...  Grand Total     one heading row per column field,
//   <C2>          <value>  <value>  ...                  the field's name at the left
//   <R1> <R2>...                                         the row fields' names
//   <value> ...   <sum>    <sum>    ...  <row total>     one row per combination of row values
//   Grand Total   <total>  <total>  ...  <total>
//
// Row and column values are the distinct values (or combinations of values) of the fields,
// ascending as Range::Sort orders them, with "(blank)" for an empty one, last. Sums add the
// numbers among D's values; a combination without records has an empty cell. Without column
// fields the one data column is headed "Total" and there is no Grand Total column; without row
// fields the one data row is labelled "Total" and there is no Grand Total row. Without a data
// field only the headings are drawn. Every change redraws the table in place of the old one.
class PivotTable {
public:
    PivotTable(Worksheet& sheet, std::string name, std::vector<std::string> fieldNames,
               std::vector<std::vector<CellValue>> records);

    const std::string& Name() const { return m_name; }
    Worksheet& sheet() const { return *m_sheet; }

    // Makes these the row and column fields (replacing the earlier ones) and redraws. Throws
    // SpreadsheetError (1004), changing nothing, when a name is not a field of the table.
    void AddFields(const std::vector<std::string>& rowFields,
                   const std::vector<std::string>& columnFields = {});
    // A field by name (case ignored); SpreadsheetError (1004) when there is none.
    PivotField PivotFields(const std::string& name);

    const std::string& fieldName(int index) const {
        return m_fieldNames[static_cast<std::size_t>(index)];
    }
    int orientation(int index) const;
    void setOrientation(int index, int orientation);

private:
    int fieldIndex(const std::string& name) const;
    void draw();

    Worksheet* m_sheet;
    std::string m_name;
    std::vector<std::string> m_fieldNames;
    std::vector<std::vector<CellValue>> m_records;
    std::vector<int> m_rowFields;
    std::vector<int> m_columnFields;
    std::optional<int> m_dataField;
    std::optional<CellArea> m_drawn;
};

}  // namespace spreadsheet
