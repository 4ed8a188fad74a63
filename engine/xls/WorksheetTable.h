// One worksheet's cells as a table: field names from the first row, records from the rows below,
// one type per column. The rules of the worksheet driver live here.
#pragma once

#include "engine/FieldInfo.h"
#include "engine/Value.h"
#include "xls/WorkbookData.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// Rules:
// - Row 1 gives the field names; the records are rows 2 .. the last row holding a cell, and the
//   fields are columns A .. the last column holding a cell (in any row). A sheet without cells
//   has one field, F1, and no records.
// - A header cell's text is its name; a number, date, boolean or error gives its displayed text
//   (plain decimal, ISO date, TRUE/FALSE, #DIV/0!...); an empty header cell gives F<n>, n being
//   the 1-based column. Names are compared without regard to case: the first of equal names
//   stays, each later one gets "_<n>" added with the smallest n >= 2 that makes it unique.
// - Each column's type comes from all of its data cells: numbers Numeric, dates and date-times
//   (by their number format) Date, booleans Logical, text Character. Times of day and durations
//   (a time format without a date part) read as text "H:MM:SS", error cells as their error text
//   (#DIV/0!, ...); both count as text. A column whose values are of more than one kind is
//   Character, its other values given as plain text: numbers in plain decimal, dates ISO,
//   booleans TRUE/FALSE. A column without values is Character.
// - Empty cells and empty text are null. Numbers under a date format that name no real day
//   (serial 60 of the 1900 system, 1900-01-00, negative serials) stay numbers; each such cell
//   adds a warning.
// - Formula cells give their cached result.
// Memory follows the cells present, not the sheet's extent: a column keeps only the records that
// hold a value in it.
class WorksheetTable {
public:
    WorksheetTable(const xls::Sheet& sheet, bool date1904);

    const std::vector<FieldInfo>& fields() const { return m_fields; }
    std::uint32_t recordCount() const { return m_records; }
    // The value of one field of one record (both in range).
    Value value(std::uint32_t record, std::size_t field) const;
    const std::vector<std::string>& warnings() const { return m_warnings; }

private:
    // The records holding a value, ascending, and their values, by the field's type.
    struct Column {
        std::vector<std::uint32_t> records;
        std::vector<double> numbers;         // Numeric
        std::vector<DateTime> dates;         // Date
        std::vector<std::uint8_t> booleans;  // Logical
        std::vector<std::string> texts;      // Character
    };

    std::vector<FieldInfo> m_fields;
    std::vector<Column> m_columns;
    std::uint32_t m_records = 0;
    std::vector<std::string> m_warnings;
};

}  // namespace engine
