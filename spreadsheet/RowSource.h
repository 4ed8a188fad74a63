// Rows that a worksheet takes from its owner's data as the workbook is saved, instead of holding
// them cell by cell.
#pragma once

#include <span>

namespace spreadsheet {

class Variant;

// A block of rows x columns values. The values are data, each cell taking a value's own type as
// an object's default value does (spreadsheet/TypedInput.h): text stays text, never a number, a
// boolean or a formula.
class RowSource {
public:
    virtual ~RowSource() = default;

    virtual long rowCount() const = 0;
    virtual int columnCount() const = 0;
    // Called before the first row each time the rows are produced.
    virtual void rewind() = 0;
    // The next row's values, columnCount() of them, valid until the next call; called rowCount()
    // times after rewind(). What it throws passes to the caller of the operation that asked for
    // the rows (a save, or the first use of the sheet's cells).
    virtual std::span<const Variant> nextRow() = 0;
};

}  // namespace spreadsheet
