// A value of any kind held by a table cell: null, text, number, date, boolean, date-time or
// binary data.
#pragma once

#include "base/CivilDate.h"

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace engine {

// Dates, optionally with a time of day (worksheet cells carry times; dBASE dates do not).
using base::DateTime;

// The engine's variant. Text is UTF-8. A number read from a table keeps the exact decimal text
// it was stored as (a dBASE N(20,0) field can hold integers a double cannot), so that displays
// and exports show what the file holds; arithmetic uses the double.
class Value {
public:
    // Date is a calendar day (a worksheet date may carry a time of day); DateTime a moment of a
    // date-time field, kept to the millisecond; Binary bytes that are never text.
    enum class Kind { Null, Text, Number, Date, Boolean, DateTime, Binary };

    Value() = default;
    static Value text(std::string utf8);
    static Value number(double value);
    // exactText: the canonical decimal form ("-12.50", "1234567890123456789"), or empty.
    static Value number(double value, std::string exactText);
    static Value date(const DateTime& date);
    static Value boolean(bool value);
    static Value dateTime(const DateTime& moment);
    static Value binary(std::string bytes);

    Kind kind() const;
    bool isNull() const { return kind() == Kind::Null; }

    // Accessors; each throws EngineError when the value is of another kind.
    const std::string& asText() const;
    double asNumber() const;
    const DateTime& asDate() const;
    bool asBoolean() const;
    const DateTime& asDateTime() const;
    const std::string& asBinary() const;

    // The exact decimal text of a number read from a table; empty when none was kept.
    const std::string& exactNumberText() const;

    // Plain text form: null "", text as is, numbers in plain decimal (the exact text when kept,
    // otherwise the shortest text that reads back as the same double, never exponent notation),
    // dates as DateTime::toIsoString(), booleans "true"/"false", date-times as
    // "YYYY-MM-DD HH:MM:SS" with ".mmm" when the milliseconds are not zero, binary data as "\x"
    // and its bytes in lower-case hex.
    std::string toString() const;
    // Appends toString() to out without a temporary.
    void appendTo(std::string& out) const;

    // In-place assignment for readers that refill one row buffer record after record: a value
    // that already holds text (or an exact number) keeps its string's capacity, so reading a
    // table row by row does not allocate once the buffer has warmed up.
    void setNull();
    // Makes the value an empty text and returns its string to fill.
    std::string& assignText();
    // Makes the value the number `value` and returns its exact text, emptied, for the caller to
    // fill (or leave empty).
    std::string& assignNumber(double value);
    void setDate(const DateTime& date);
    void setBoolean(bool value);
    void setDateTime(const DateTime& moment);
    // Makes the value empty binary data and returns its bytes to fill.
    std::string& assignBinary();

    // Same kind and same value; numbers compare by their double.
    friend bool operator==(const Value& a, const Value& b);

private:
    struct Number {
        double value = 0;
        std::string exact;
    };
    struct Moment {
        DateTime value;
    };
    struct Bytes {
        std::string bytes;
    };
    // The order of the alternatives is that of Kind.
    std::variant<std::monostate, std::string, Number, DateTime, bool, Moment, Bytes> m_data;
};

// Appends the shortest plain decimal text that reads back as value (no exponent).
void appendPlainDecimal(std::string& out, double value);

}  // namespace engine
