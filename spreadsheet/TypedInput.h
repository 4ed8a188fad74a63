// How a value assigned to a cell becomes the cell's content ("typed input").
//
// A value that carries its type is stored as that type:
//   - Empty and Null: an empty cell.
//   - Boolean: a boolean. Number: a number (NaN and infinities are refused with error 13).
//   - Date: a date cell (shown as a date, or as date and time when it has a time of day). A date
//     before 1900-01-01, which a workbook cannot hold as a date, is stored as its text
//     "YYYY-MM-DD" (with the time when it has one), so that nothing is lost.
//   - Object: its default value, taken as typed data. Text from an object is stored exactly as
//     it is, never parsed: no number, no boolean, leading zeros, spaces and a leading "=" or "'"
//     all kept; empty text gives an empty cell. A record set's field therefore reaches the cell
//     as its own type.
//
// Plain text follows the typed-input rules of a spreadsheet:
//   - "" is an empty cell.
//   - A leading apostrophe marks text: the rest is stored as text ("'00123" -> "00123"); an
//     apostrophe alone gives an empty cell.
//   - TRUE and FALSE, in any case, are booleans.
//   - A number is a number: an optional sign, digits (thousands may be grouped by commas: "1,000"),
//     an optional decimal point with digits, an optional exponent ("1E5", "2.5e-3"), an optional
//     "%" that divides by 100 ("50%" -> 0.5). Written in parentheses without a sign it is negative
//     ("(5)" -> -5). Leading zeros are dropped ("00123" -> 123). The decimal point is ".".
//   - Spaces around a number or a boolean are ignored.
//   - Everything else is text, stored as given, trailing spaces included. Among it: text starting
//     with "=" (this component has no formulas, so it is never evaluated), dates and times
//     written as text, currency amounts, and numbers with more than 15 significant digits (a
//     workbook keeps 15; as text no digit of an account number or a code is lost).
//
// Text longer than a cell can hold is refused where the value is stored (Worksheet::setValue and
// Worksheet::assign).
#pragma once

#include "spreadsheet/CellValue.h"

#include <string>
#include <string_view>

namespace spreadsheet {

class Variant;

// The cell content for an assigned value, by the rules above. Throws SpreadsheetError (13) for
// a number that is not finite, a date that does not exist, or an object nested too deeply, and
// passes on the failure of an object's default value.
CellValue typedInput(const Variant& dat);

// The content typed input gives, with its text viewed where it is instead of copied: storing a
// cell this way allocates nothing for its text.
struct TypedCell {
    CellValue::Kind kind = CellValue::Kind::Empty;  // never Error
    double number = 0;                              // Number; Date: the serial
    DateStyle style = DateStyle::Date;              // Date
    bool boolean = false;                           // Boolean
    std::string_view text;                          // Text, never empty
};

// The content for a value that is data rather than typed text: as typed input gives for an
// object's default value, so text is stored exactly as it is. Rows from a RowSource are stored
// so. The text views as readTypedInput's does; throws as typedInput does.
TypedCell readCellData(const Variant& value, std::string& madeText);

// typedInput without copies. The text views dat, the current value of an object in dat, or
// madeText (where text that dat does not hold, a date before 1900, is written); it is valid
// until dat, that object or madeText changes. Throws as typedInput does.
TypedCell readTypedInput(const Variant& dat, std::string& madeText);

}  // namespace spreadsheet
