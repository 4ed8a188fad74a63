#include "xls/biff8/NumberFormats.h"

#include "base/AsciiCase.h"

#include <string>

namespace xls::biff8 {

namespace {

// True for [h], [hh], [mm], [ss] and the like: elapsed hours, minutes or seconds.
bool isElapsedTime(std::string_view inside) {
    if (inside.empty()) return false;
    char first = base::asciiLower(inside.front());
    if (first != 'h' && first != 'm' && first != 's') return false;
    for (char c : inside) {
        if (base::asciiLower(c) != first) return false;
    }
    return true;
}

}  // namespace

NumberFormat classifyBuiltInFormat(std::uint16_t index) {
    if (index == 0) return NumberFormat::General;
    if (index >= 14 && index <= 17) return NumberFormat::Date;
    if (index >= 18 && index <= 21) return NumberFormat::Time;
    if (index == 22) return NumberFormat::DateTime;
    if (index >= 45 && index <= 47) return NumberFormat::Time;
    // East Asian built-ins: era and year-month-day dates, and two times (32, 33).
    if (index == 32 || index == 33) return NumberFormat::Time;
    if ((index >= 27 && index <= 36) || (index >= 50 && index <= 58)) return NumberFormat::Date;
    return NumberFormat::Other;
}

NumberFormat classifyFormatString(std::string_view format) {
    bool date = false, time = false, month = false;
    std::size_t i = 0;
    // Leading whitespace aside, a format that is just "General" is the general format.
    while (i < format.size() && format[i] == ' ') ++i;
    if (base::startsWithIgnoringCase(format.substr(i), "general")) {
        std::size_t end = i + 7;
        while (end < format.size() && format[end] == ' ') ++end;
        if (end == format.size() || format[end] == ';') return NumberFormat::General;
    }
    for (i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == ';') break;
        if (c == '"') {
            std::size_t close = format.find('"', i + 1);
            if (close == std::string_view::npos) break;
            i = close;
            continue;
        }
        if (c == '\\' || c == '_' || c == '*') {
            ++i;
            continue;
        }
        if (c == '[') {
            std::size_t close = format.find(']', i + 1);
            if (close == std::string_view::npos) break;
            if (isElapsedTime(format.substr(i + 1, close - i - 1))) time = true;
            i = close;
            continue;
        }
        if (base::startsWithIgnoringCase(format.substr(i), "am/pm")) {
            time = true;
            i += 4;
            continue;
        }
        if (base::startsWithIgnoringCase(format.substr(i), "a/p")) {
            time = true;
            i += 2;
            continue;
        }
        switch (base::asciiLower(c)) {
            case 'y':
            case 'd':
            case 'g':
                date = true;
                break;
            case 'e':
                if (i + 1 < format.size() && (format[i + 1] == '+' || format[i + 1] == '-')) {
                    ++i;  // exponent of a scientific format
                } else {
                    date = true;
                }
                break;
            case 'h':
            case 's':
                time = true;
                break;
            case 'm':
                month = true;
                break;
            default:
                break;
        }
    }
    if (date && time) return NumberFormat::DateTime;
    if (date) return NumberFormat::Date;
    if (time) return NumberFormat::Time;
    if (month) return NumberFormat::Date;
    return NumberFormat::Other;
}

}  // namespace xls::biff8
