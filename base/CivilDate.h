// Calendar dates of the proleptic Gregorian calendar, with an optional time of day: the date type
// the table engine and the spreadsheet component share, and its conversion to and from a count
// of days (over std::chrono's calendar).
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace base {

inline constexpr std::int64_t kMicrosecondsPerDay = 86'400'000'000;

struct DateTime {
    int year = 1;                        // 1..9999
    int month = 1;                       // 1..12
    int day = 1;                         // 1..31, valid for the month
    std::int64_t microsecondsOfDay = 0;  // 0 ..< kMicrosecondsPerDay

    friend bool operator==(const DateTime&, const DateTime&) = default;
    friend auto operator<=>(const DateTime&, const DateTime&) = default;

    bool hasTime() const { return microsecondsOfDay != 0; }
    // True for a real day in the years 1 to 9999 with a time of day inside the day.
    bool isValid() const;
    // "YYYY-MM-DD", or "YYYY-MM-DDTHH:MM:SS[.ffffff]" when there is a time of day.
    std::string toIsoString() const;
    // Appends toIsoString() to out without a temporary.
    void appendIso(std::string& out) const;
    // As toIsoString(), with a space instead of the "T": "YYYY-MM-DD HH:MM:SS[.ffffff]".
    std::string toText() const;
    // A moment of a date-time field, kept to the millisecond: always with its time of day,
    // milliseconds only when there are any: "YYYY-MM-DD HH:MM:SS[.mmm]".
    void appendMoment(std::string& out) const;
};

// True when year, month and day name a real day of the calendar in the years 1 to 9999.
bool isRealDay(int year, int month, int day);

// The days from 1970-01-01 to that day (negative before it). A day past the end of its month
// counts on into the next (2023-02-30 is 2023-03-02); month is 1..12.
std::int64_t daysSince1970(int year, int month, int day);
// The day that many days after 1970-01-01, at midnight.
DateTime dateOfDay(std::int64_t daysSince1970);

}  // namespace base
