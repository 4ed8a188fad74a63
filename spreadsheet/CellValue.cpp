#include "spreadsheet/CellValue.h"

#include "spreadsheet/SpreadsheetError.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace spreadsheet {

namespace {

using base::kMicrosecondsPerDay;

const std::int64_t kDay18991230 = base::daysSince1970(1899, 12, 30);
const std::int64_t kDay19000301 = base::daysSince1970(1900, 3, 1);

std::string twoDigits(std::int64_t n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

std::string timeText(std::int64_t microseconds) {
    std::int64_t seconds = microseconds / 1'000'000;
    std::string text = twoDigits(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
                       twoDigits(seconds % 60);
    if (std::int64_t fraction = microseconds % 1'000'000; fraction != 0) {
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, ".%06lld", static_cast<long long>(fraction));
        text += buffer;
    }
    return text;
}

std::string dayText(const DateTime& date) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

const char* errorName(std::uint8_t code) {
    switch (code) {
        case 0x00:
            return "#NULL!";
        case 0x07:
            return "#DIV/0!";
        case 0x0F:
            return "#VALUE!";
        case 0x17:
            return "#REF!";
        case 0x1D:
            return "#NAME?";
        case 0x24:
            return "#NUM!";
        case 0x2A:
            return "#N/A";
        default:
            return "#ERROR!";
    }
}

}  // namespace

double dateToSerial(const DateTime& date) {
    if (!date.isValid()) {
        throw SpreadsheetError::typeMismatch("the date " + date.toText() + " does not exist.");
    }
    if (date.year < 1900) {
        throw SpreadsheetError::typeMismatch("the date " + date.toText() +
                                             " is before 1900-01-01, the first date a "
                                             "workbook can hold.");
    }
    std::int64_t days = base::daysSince1970(date.year, date.month, date.day);
    // The 1900 date system counts a 29 February 1900, so days before March are one lower.
    std::int64_t serial = days - kDay18991230 - (days < kDay19000301 ? 1 : 0);
    return static_cast<double>(serial) +
           static_cast<double>(date.microsecondsOfDay) / static_cast<double>(kMicrosecondsPerDay);
}

DateTime serialToDate(double serial) {
    if (!(serial >= 0 && serial < kLastDateSerial)) {
        throw SpreadsheetError::typeMismatch("the number " + std::to_string(serial) +
                                             " is not a date between 1900 and 9999.");
    }
    double wholeDays = std::floor(serial);
    auto days = static_cast<std::int64_t>(wholeDays);
    auto microseconds = static_cast<std::int64_t>(
        std::llround((serial - wholeDays) * static_cast<double>(kMicrosecondsPerDay)));
    if (microseconds >= kMicrosecondsPerDay) {
        ++days;
        microseconds -= kMicrosecondsPerDay;
    }
    if (days == 60) days = 59;  // the nonexistent 1900-02-29
    DateTime date = base::dateOfDay(kDay18991230 + days + (days >= 1 && days < 60 ? 1 : 0));
    if (date.year > 9999) date = {9999, 12, 31, kMicrosecondsPerDay - 1};
    date.microsecondsOfDay = microseconds;
    return date;
}

CellValue CellValue::number(double value) {
    CellValue cell;
    cell.m_kind = Kind::Number;
    cell.m_number = value;
    return cell;
}

CellValue CellValue::text(std::string utf8) {
    CellValue cell;
    cell.m_kind = Kind::Text;
    cell.m_text = std::move(utf8);
    return cell;
}

CellValue CellValue::boolean(bool value) {
    CellValue cell;
    cell.m_kind = Kind::Boolean;
    cell.m_boolean = value;
    return cell;
}

CellValue CellValue::date(const DateTime& date) {
    return dateSerial(dateToSerial(date),
                      date.microsecondsOfDay != 0 ? DateStyle::DateTime : DateStyle::Date);
}

CellValue CellValue::dateSerial(double serial, DateStyle style) {
    CellValue cell;
    cell.m_kind = Kind::Date;
    cell.m_number = serial;
    cell.m_style = style;
    return cell;
}

CellValue CellValue::error(std::uint8_t code) {
    CellValue cell;
    cell.m_kind = Kind::Error;
    cell.m_error = code;
    return cell;
}

namespace {

SpreadsheetError wrongKind(const char* wanted) {
    return SpreadsheetError::typeMismatch(std::string("the cell does not hold ") + wanted + ".");
}

}  // namespace

double CellValue::asNumber() const {
    if (m_kind != Kind::Number) throw wrongKind("a number");
    return m_number;
}

const std::string& CellValue::asText() const {
    if (m_kind != Kind::Text) throw wrongKind("text");
    return m_text;
}

bool CellValue::asBoolean() const {
    if (m_kind != Kind::Boolean) throw wrongKind("a boolean");
    return m_boolean;
}

double CellValue::asDateSerial() const {
    if (m_kind != Kind::Date) throw wrongKind("a date");
    return m_number;
}

DateStyle CellValue::dateStyle() const {
    if (m_kind != Kind::Date) throw wrongKind("a date");
    return m_style;
}

std::string CellValue::takeText() && {
    if (m_kind != Kind::Text) throw wrongKind("text");
    return std::move(m_text);
}

DateTime CellValue::asDate() const { return serialToDate(asDateSerial()); }

std::uint8_t CellValue::asError() const {
    if (m_kind != Kind::Error) throw wrongKind("an error value");
    return m_error;
}

std::string CellValue::displayText() const {
    switch (m_kind) {
        case Kind::Empty:
            return {};
        case Kind::Text:
            return m_text;
        case Kind::Boolean:
            return m_boolean ? "TRUE" : "FALSE";
        case Kind::Error:
            return errorName(m_error);
        case Kind::Number: {
            if (m_number == 0) return "0";  // also -0
            char buffer[32];
            auto result = std::to_chars(buffer, buffer + sizeof buffer, m_number,
                                        std::chars_format::general, 15);
            return std::string(buffer, result.ptr);
        }
        case Kind::Date: {
            if (!(m_number >= 0 && m_number < kLastDateSerial)) return "#########";
            DateTime date = serialToDate(m_number);
            // Seconds are shown whole, as a cell shows them.
            std::int64_t shown = (date.microsecondsOfDay + 500'000) / 1'000'000 * 1'000'000;
            if (shown >= kMicrosecondsPerDay) shown = kMicrosecondsPerDay - 1'000'000;
            switch (m_style) {
                case DateStyle::Date:
                    return dayText(date);
                case DateStyle::Time:
                    return timeText(shown);
                case DateStyle::DateTime:
                    return dayText(date) + " " + timeText(shown);
            }
        }
    }
    return {};
}

}  // namespace spreadsheet
