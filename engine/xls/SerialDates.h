// Worksheet date serials as calendar dates, and times of day or durations as text.
#pragma once

#include "engine/Value.h"

#include <optional>
#include <string>

namespace engine::xlsdates {

// The day and time a date serial stands for. In the 1900 system serial 1 is 1900-01-01 and the
// count includes 29 February 1900, a day that never was (serial 60, kept by the format for
// compatibility); from serial 61 (1900-03-01) on, serial n is n days after 1899-12-30. In the
// 1904 system serial 0 is 1904-01-01. The fraction is the time of day, rounded to the
// microsecond. Returns nothing, with the reason in *problem, for a serial that names no real
// day: negative, day 0 of the 1900 system ("1900-01-00"), serial 60, or past 9999-12-31.
std::optional<DateTime> dateFromSerial(double serial, bool date1904, std::string* problem);

// A time of day or a duration as "H:MM:SS", with ".ffffff" (trailing zeros dropped) when there
// are fractions of a second; hours go past 23 for durations ("255:10:10"). Rounded to the
// microsecond. "#NUM!" for a value that is not a finite number.
std::string timeText(double serial);

}  // namespace engine::xlsdates
