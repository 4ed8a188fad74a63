// What a cell holds: nothing, a number, text, a boolean, a date, or (read from a file) an error.
#pragma once

#include "base/CivilDate.h"

#include <compare>
#include <cstdint>
#include <string>
#include <variant>

namespace spreadsheet {

// A calendar date with an optional time of day, as the component's callers pass dates.
using base::DateTime;

// Dates are stored as the workbook stores them: a serial number of days in the 1900 date system
// (1 = 1900-01-01, 61 = 1900-03-01; serial 60 stands for 1900-02-29, a day that the system
// counts although it did not exist) with the time of day as the fraction.
inline constexpr double kFirstDateSerial = 1;       // 1900-01-01
inline constexpr double kLastDateSerial = 2958466;  // the end of 9999-12-31

// The serial of a valid date from 1900-01-01 on. Throws SpreadsheetError (13) for an invalid
// date or one before 1900-01-01.
double dateToSerial(const DateTime& date);
// The calendar date of a serial in [0, kLastDateSerial): serials below 1 are times of day on
// 1899-12-30, and the nonexistent serial 60 is read as 1900-02-28 at the same time of day. The
// time is rounded to the microsecond. Throws SpreadsheetError (13) outside that range.
DateTime serialToDate(double serial);

// How a date cell is shown: the day, the day and time, or the time of day only.
enum class DateStyle { Date, DateTime, Time };

class CellValue {
public:
    enum class Kind { Empty, Number, Text, Boolean, Date, Error };

    CellValue() = default;
    static CellValue number(double value);
    static CellValue text(std::string utf8);
    static CellValue boolean(bool value);
    // A date cell from a calendar date; its style is DateTime when it has a time of day, else
    // Date. Throws SpreadsheetError (13) as dateToSerial does.
    static CellValue date(const DateTime& date);
    static CellValue dateSerial(double serial, DateStyle style);
    // An error value (0x07 #DIV/0!, 0x2A #N/A, ...), as read from a workbook file.
    static CellValue error(std::uint8_t code);

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }

    // Accessors; each throws SpreadsheetError (13) when the value is of another kind.
    double asNumber() const;
    const std::string& asText() const;
    bool asBoolean() const;
    double asDateSerial() const;
    DateStyle dateStyle() const;
    DateTime asDate() const;
    std::uint8_t asError() const;
    // Moves the text out of a Text value, to store it without a copy.
    std::string takeText() &&;

    // The text a reader sees in the cell: numbers with up to 15 significant digits, dates as
    // "YYYY-MM-DD" (with " HH:MM:SS" or alone as a time by their style), TRUE or FALSE, the
    // error's name ("#N/A"), text as it is, "" for an empty cell.
    std::string displayText() const;

    friend bool operator==(const CellValue&, const CellValue&) = default;

private:
    Kind m_kind = Kind::Empty;
    double m_number = 0;  // Number, Date (serial)
    std::string m_text;
    bool m_boolean = false;
    std::uint8_t m_error = 0;
    DateStyle m_style = DateStyle::Date;
};

}  // namespace spreadsheet
