// Cell values of Visual FoxPro's binary types, little-endian in the record: integers (I),
// currency (Y), doubles (B) and date-times (T). Reading never fails silently: a cell that holds
// no such value reads as null and the function returns false so that the table can warn.
#pragma once

#include "engine/Value.h"

#include <cstdint>
#include <string>

namespace engine::dbf {

inline constexpr int kBinaryNumberWidth = 8;  // Y, B and T
inline constexpr int kIntegerWidth = 4;
inline constexpr std::uint64_t kMaxInteger = 2'147'483'647;  // I holds -kMaxInteger..kMaxInteger
inline constexpr std::uint64_t kMaxCurrencyScaled = 0x7FFF'FFFF'FFFF'FFFF;
inline constexpr int kCurrencyDecimals = 4;
inline constexpr double kMaxDouble = 8.9884656743115E307;  // the largest magnitude B holds
// Julian day numbers of 1970-01-01, 0001-01-01 and 9999-12-31.
inline constexpr std::int64_t kJulianDay1970 = 2'440'588;
inline constexpr std::int64_t kJulianDayFirst = 1'721'426;
inline constexpr std::int64_t kJulianDayLast = 5'373'484;

// I: int32; zeros read as 0.
void decodeInteger(const std::uint8_t* bytes, Value& out);
// The int32 a number value is; false with the reason when it has decimals or is out of range.
bool integerOfNumber(const Value& number, std::int32_t& out, std::string& reason);

// Y: int64, the value times 10 000, read as an exact decimal with four decimals.
void decodeCurrency(const std::uint8_t* bytes, Value& out);
// The number a scaled currency is, with its exact text: 123400 is 12.3400.
Value currencyValue(std::int64_t scaled);
// A number value times 10 000, exactly; false with the reason when it has more than four
// decimals or is out of range.
bool currencyOfNumber(const Value& number, std::int64_t& scaled, std::string& reason);

// B: an IEEE double; zeros read as 0. False (null) for NaN and infinities.
bool decodeDouble(const std::uint8_t* bytes, Value& out);
// False with the reason when the number is beyond the range of B.
bool doubleOfNumber(const Value& number, double& out, std::string& reason);

// T: the Julian day number, then milliseconds since midnight, each an int32. Day 0 is empty
// (null). Milliseconds are rounded to the second (a stored time is often one millisecond short
// of a whole second). False (null) for a day or time out of range.
bool decodeDateTime(const std::uint8_t* bytes, Value& out);
// The 8 bytes of a moment, which must be whole seconds; false with the reason otherwise.
bool encodeDateTime(const DateTime& moment, std::uint8_t* out, std::string& reason);

}  // namespace engine::dbf
