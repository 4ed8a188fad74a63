// Cell values of dBASE fields: bytes to values when reading, values to bytes when writing.
// Reading never fails: a cell that does not hold what its type says reads as null and the
// function returns false so that the table can warn. (Reading numbers, decodeNumber and
// canonicalDecimal, is in DecimalText.cpp.)
#pragma once

#include "engine/Value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::dbf {

class TextCodec;

// C: the text without trailing spaces and NULs (leading spaces kept); blank is null.
void decodeCharacter(const std::uint8_t* bytes, std::size_t width, const TextCodec& codec,
                     Value& out);
// N and F: the exact decimal (see canonicalDecimal); blank or all '*' (an overflow mark) is
// null. Returns false, with out null, when the bytes are not a number.
bool decodeNumber(const std::uint8_t* bytes, std::size_t width, Value& out);
// L: T t Y y true, F f N n false, ? space NUL null. Returns false (null) for anything else.
bool decodeLogical(std::uint8_t byte, Value& out);
// D: YYYYMMDD; spaces, zeros and NULs alone are null. Returns false (null) for anything else,
// including days that do not exist.
bool decodeDate(const std::uint8_t* bytes, std::size_t width, Value& out);
// M, B, G: the memo block number, digits padded with spaces or zeros; 0 (no memo) when blank or
// zero. Returns false for anything else.
bool decodeMemoPointer(const std::uint8_t* bytes, std::size_t width, std::uint32_t& block);

// Normalises a decimal number written in a table or typed by a user: spaces and NULs are
// ignored, a sign, leading zeros and an exponent are accepted, and (when allowComma) a comma
// serves as the decimal point if there is no point. The canonical form has no "+", no leading
// zeros, no exponent and no "-" before zero ("-0012.50" -> "-12.50", "1.5E3" -> "1500",
// ".5" -> "0.5"). Returns false when the text is not a number or is blank.
bool canonicalDecimal(std::string_view text, bool allowComma, std::string& canonical);
// The double nearest a canonical decimal.
double decimalValue(std::string_view canonical);
// The canonical decimal of a number value: its exact text when it carries one, else the shortest
// decimal that reads back as its double. False when the double is too large to write out.
bool decimalTextOf(const Value& number, std::string& canonical);
// The digits after the point of a canonical decimal, trailing zeros not counted ("2.50" has 1).
std::size_t significantDecimals(std::string_view canonical);
// Whether a canonical decimal has at most that many decimals; if not, the reason ("it has 3
// decimals and the field holds 2").
bool fitsDecimals(std::string_view canonical, int decimals, std::string& reason);
// A canonical decimal of at most that many decimals as a whole number times 10^decimals, exactly
// (never through a double); false when its magnitude would pass limit.
bool scaleDecimal(std::string_view canonical, int decimals, std::uint64_t limit, std::int64_t& out);

// Conversions of a value a caller assigns into what a field of that type holds. Each returns
// false with a reason ("it is not a number") when the value cannot be converted. Blank text
// becomes null.
bool toNumberValue(const Value& in, Value& out, std::string& reason);
bool toLogicalValue(const Value& in, Value& out, std::string& reason);
bool toDateValue(const Value& in, Value& out, std::string& reason);
// Date-time fields: a date-time, a date (its time of day kept, midnight when none), or text
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM", "YYYY-MM-DD HH:MM:SS" or with ".f" to ".fff" (a "T" may stand
// for the space). Kept to the millisecond: anything finer is refused.
bool toDateTimeValue(const Value& in, Value& out, std::string& reason);
// C and memo fields take any value in its text form.
Value toTextValue(const Value& in);

// Writes a number right-aligned in exactly width characters with exactly decimals digits after
// the point. A number that carries its decimal text is written from that text, a double from its
// shortest decimal form, never through binary floating point. Nothing is rounded: a number with
// more decimals than the field holds (trailing zeros not counted: 2.50 has one) does not fit.
// Returns false with a reason when it does not fit.
bool formatNumber(const Value& number, int width, int decimals, std::string& out,
                  std::string& reason);
// YYYYMMDD into 8 bytes.
void formatDate(const DateTime& date, std::uint8_t* out);

}  // namespace engine::dbf
