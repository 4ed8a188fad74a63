// The records of the open set as rows of a worksheet, and the one rule for how a table value
// becomes a cell's value, whatever format the workbook is saved in.
#pragma once

#include "engine/Progress.h"
#include "spreadsheet/RowSource.h"
#include "spreadsheet/Variant.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
class Recordset;
class Value;
}  // namespace engine

namespace tableexport {

// A spreadsheet number holds 15 significant digits exactly.
inline constexpr int kSpreadsheetDigits = 15;

// True when a plain decimal text ("-0.0012345", "1234567890123456789") has more significant
// digits than a spreadsheet number holds; leading and trailing zeros are not counted.
bool exceedsSpreadsheetDigits(std::string_view decimal);

// Refills cell from value, in place (text keeps its string's capacity): null gives null (an empty
// cell), text text (stored as it is: never a number, a boolean or a formula), a number the
// number, a date the date with its time of day (a date cell), a boolean the boolean. A number
// whose exact text has more significant digits than a spreadsheet number holds becomes that
// text, so that no digit is lost; only then it returns true.
bool assignCellValue(const engine::Value& value, spreadsheet::Variant& cell);

// Thrown by RecordRows when its progress asks to stop; the export ends quietly on it.
class ExportCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "The export was cancelled."; }
};

// The set's records from its first, one value per field. rewind() moves to the first record (a
// set without records does not move); each nextRow() reads the current record, then moves to the
// next one, so every move raises the record-position event and after the last row the set is
// past its last record. progress hears of every row; when it answers false, nextRow() throws
// ExportCancelled. The set must stay open while the rows are produced.
// It notes the fields whose numbers became text (assignCellValue) for the export to say so.
class RecordRows : public spreadsheet::RowSource {
public:
    RecordRows(engine::Recordset& recordset, engine::Progress progress);
    ~RecordRows() override;

    long rowCount() const override;
    int columnCount() const override;
    void rewind() override;
    std::span<const spreadsheet::Variant> nextRow() override;

    // The names of the fields of which a number went in as text, in field order.
    std::vector<std::string> fieldsWithNumbersAsText() const;

private:
    engine::Recordset& m_recordset;
    engine::Progress m_progress;
    std::vector<engine::Value> m_read;
    std::vector<spreadsheet::Variant> m_values;
    std::vector<std::uint8_t> m_numbersAsText;  // per field
    long m_done = 0;
};

}  // namespace tableexport
