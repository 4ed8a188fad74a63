#include "engine/xls/SerialDates.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace engine::xlsdates {

namespace {

using base::kMicrosecondsPerDay;
constexpr double kMaxSerial = 2'958'466.0;  // 10000-01-01 in the 1900 system

std::string twoDigits(std::int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(value));
    return text;
}

// ":SS" or ":SS.ffffff" with trailing zeros dropped.
std::string secondsText(std::int64_t microseconds) {
    std::string text = ":";
    text.append(twoDigits(microseconds / 1'000'000));
    if (std::int64_t fraction = microseconds % 1'000'000; fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%06d", static_cast<int>(fraction));
        std::string part = digits;
        while (part.back() == '0') part.pop_back();
        text += "." + part;
    }
    return text;
}

}  // namespace

std::optional<DateTime> dateFromSerial(double serial, bool date1904, std::string* problem) {
    auto refuse = [&](const std::string& why) -> std::optional<DateTime> {
        if (problem != nullptr) *problem = why;
        return std::nullopt;
    };
    if (!std::isfinite(serial)) return refuse("a value that is not a number");
    if (serial < 0) return refuse("a negative date serial");
    if (serial >= kMaxSerial) return refuse("a date after 9999-12-31");
    auto total = static_cast<std::int64_t>(std::llround(serial * double(kMicrosecondsPerDay)));
    std::int64_t day = total / kMicrosecondsPerDay;
    std::int64_t microseconds = total % kMicrosecondsPerDay;

    std::int64_t epochDays = 0;
    if (date1904) {
        epochDays = base::daysSince1970(1904, 1, 1) + day;
    } else if (day == 0) {
        return refuse("day 0 of the 1900 date system (1900-01-00), which is no real day");
    } else if (day == 60) {
        return refuse(
            "29 February 1900, a day that did not exist (serial 60 of the 1900 date "
            "system)");
    } else if (day < 60) {
        epochDays = base::daysSince1970(1899, 12, 31) + day;
    } else {
        epochDays = base::daysSince1970(1899, 12, 30) + day;
    }
    DateTime date = base::dateOfDay(epochDays);
    if (date.year > 9999) return refuse("a date after 9999-12-31");
    date.microsecondsOfDay = microseconds;
    return date;
}

std::string timeText(double serial) {
    if (!std::isfinite(serial)) return "#NUM!";
    if (std::fabs(serial) >= 1e8) {
        // Past what a count of microseconds holds; no worksheet shows such a duration anyway.
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", serial);
        return text;
    }
    auto total =
        static_cast<std::int64_t>(std::llround(std::fabs(serial) * double(kMicrosecondsPerDay)));
    std::string text = serial < 0 ? "-" : "";
    text.append(std::to_string(total / 3'600'000'000)).append(":");
    text.append(twoDigits(total / 60'000'000 % 60)).append(secondsText(total % 60'000'000));
    return text;
}

}  // namespace engine::xlsdates
