#include "base/CivilDate.h"

#include <array>
#include <charconv>
#include <chrono>

namespace base {

namespace {

std::chrono::year_month_day calendarDay(int year, int month, int day) {
    return {std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
            std::chrono::day{static_cast<unsigned>(day)}};
}

void appendDigits(std::string& out, std::int64_t value, int width) {
    std::array<char, 24> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)error;
    auto length = static_cast<int>(end - buffer.data());
    if (length < width) out.append(static_cast<std::size_t>(width - length), '0');
    out.append(buffer.data(), end);
}

void appendDay(std::string& out, const DateTime& date) {
    appendDigits(out, date.year, 4);
    out.push_back('-');
    appendDigits(out, date.month, 2);
    out.push_back('-');
    appendDigits(out, date.day, 2);
}

// HH:MM:SS, then the fraction of the second in `digits` places (1 to 6) when it is not zero.
void appendTime(std::string& out, std::int64_t microseconds, int digits) {
    std::int64_t seconds = microseconds / 1'000'000;
    std::int64_t fraction = microseconds % 1'000'000;
    appendDigits(out, seconds / 3600, 2);
    out.push_back(':');
    appendDigits(out, seconds / 60 % 60, 2);
    out.push_back(':');
    appendDigits(out, seconds % 60, 2);
    for (int i = digits; i < 6; ++i) fraction /= 10;
    if (fraction != 0) {
        out.push_back('.');
        appendDigits(out, fraction, digits);
    }
}

void appendDateTime(std::string& out, const DateTime& date, char separator) {
    appendDay(out, date);
    if (!date.hasTime()) return;
    out.push_back(separator);
    appendTime(out, date.microsecondsOfDay, 6);
}

}  // namespace

bool isRealDay(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
           calendarDay(year, month, day).ok();
}

bool DateTime::isValid() const {
    return isRealDay(year, month, day) && microsecondsOfDay >= 0 &&
           microsecondsOfDay < kMicrosecondsPerDay;
}

std::string DateTime::toIsoString() const {
    std::string out;
    appendIso(out);
    return out;
}

void DateTime::appendIso(std::string& out) const { appendDateTime(out, *this, 'T'); }

std::string DateTime::toText() const {
    std::string out;
    appendDateTime(out, *this, ' ');
    return out;
}

void DateTime::appendMoment(std::string& out) const {
    appendDay(out, *this);
    out.push_back(' ');
    appendTime(out, microsecondsOfDay, 3);
}

std::int64_t daysSince1970(int year, int month, int day) {
    // A month's first day plus the days after it, so that a day past the month's end counts on.
    const std::chrono::sys_days first{calendarDay(year, month, 1)};
    return first.time_since_epoch().count() + (day - 1);
}

DateTime dateOfDay(std::int64_t days) {
    const std::chrono::year_month_day calendar{std::chrono::sys_days{std::chrono::days{days}}};
    DateTime date;
    date.year = static_cast<int>(calendar.year());
    date.month = static_cast<int>(static_cast<unsigned>(calendar.month()));
    date.day = static_cast<int>(static_cast<unsigned>(calendar.day()));
    return date;
}

}  // namespace base
