#include "engine/dbf/FieldCodec.h"

#include "base/AsciiCase.h"
#include "engine/dbf/CodePage.h"

#include <array>
#include <charconv>
#include <cmath>

namespace engine::dbf {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A canonical decimal with exactly `decimals` digits after the point: trailing zeros are added
// or dropped. The caller has made sure that no other digit is dropped.
std::string withDecimals(const std::string& canonical, int decimals) {
    const auto keep = static_cast<std::size_t>(decimals);
    const std::size_t point = canonical.find('.');
    std::string out = canonical.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : canonical.substr(point + 1);
    fraction.resize(keep, '0');
    if (keep > 0) out += "." + fraction;
    return out;
}

}  // namespace

void decodeCharacter(const std::uint8_t* bytes, std::size_t width, const TextCodec& codec,
                     Value& out) {
    std::size_t end = width;
    while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == 0)) --end;
    if (end == 0) {
        out.setNull();
        return;
    }
    codec.decode(bytes, end, out.assignText());
}

bool decodeLogical(std::uint8_t byte, Value& out) {
    switch (byte) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            out.setBoolean(true);
            return true;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            out.setBoolean(false);
            return true;
        case '?':
        case ' ':
        case 0:
            out.setNull();
            return true;
        default:
            out.setNull();
            return false;
    }
}

bool decodeDate(const std::uint8_t* bytes, std::size_t width, Value& out) {
    bool blank = true;
    for (std::size_t i = 0; i < width; ++i) {
        if (bytes[i] != ' ' && bytes[i] != '0' && bytes[i] != 0) blank = false;
    }
    out.setNull();
    if (blank) return true;
    if (width < 8) return false;
    int parts[8];
    for (std::size_t i = 0; i < 8; ++i) {
        if (!isDigit(static_cast<char>(bytes[i]))) return false;
        parts[i] = bytes[i] - '0';
    }
    for (std::size_t i = 8; i < width; ++i) {
        if (bytes[i] != ' ' && bytes[i] != 0) return false;
    }
    DateTime date;
    date.year = parts[0] * 1000 + parts[1] * 100 + parts[2] * 10 + parts[3];
    date.month = parts[4] * 10 + parts[5];
    date.day = parts[6] * 10 + parts[7];
    if (!date.isValid()) return false;
    out.setDate(date);
    return true;
}

bool decodeMemoPointer(const std::uint8_t* bytes, std::size_t width, std::uint32_t& block) {
    std::size_t begin = 0, end = width;
    while (begin < end && (bytes[begin] == ' ' || bytes[begin] == 0)) ++begin;
    while (end > begin && (bytes[end - 1] == ' ' || bytes[end - 1] == 0)) --end;
    std::uint64_t value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (!isDigit(static_cast<char>(bytes[i]))) return false;
        value = value * 10 + static_cast<std::uint64_t>(bytes[i] - '0');
        if (value > 0xFFFF'FFFFu) return false;
    }
    block = static_cast<std::uint32_t>(value);
    return true;
}

bool toNumberValue(const Value& in, Value& out, std::string& reason) {
    switch (in.kind()) {
        case Value::Kind::Null:
            out = Value();
            return true;
        case Value::Kind::Number:
            if (!std::isfinite(in.asNumber())) {
                reason = "it is not a finite number";
                return false;
            }
            out = in;
            return true;
        case Value::Kind::Text: {
            const std::string& text = in.asText();
            if (text.find_first_not_of(" \t") == std::string::npos) {
                out = Value();
                return true;
            }
            std::string canonical;
            if (!canonicalDecimal(text, false, canonical)) {
                reason = "\"" + text + "\" is not a number";
                return false;
            }
            out = Value::number(decimalValue(canonical), canonical);
            return true;
        }
        default:
            reason = "it is not a number";
            return false;
    }
}

bool toLogicalValue(const Value& in, Value& out, std::string& reason) {
    switch (in.kind()) {
        case Value::Kind::Null:
            out = Value();
            return true;
        case Value::Kind::Boolean:
            out = in;
            return true;
        case Value::Kind::Text: {
            std::string text;
            for (char c : in.asText()) {
                if (c != ' ' && c != '\t') {
                    text.push_back(base::asciiUpper(c));
                }
            }
            if (text.empty() || text == "?") {
                out = Value();
                return true;
            }
            if (text == "T" || text == "Y" || text == "TRUE" || text == "YES" || text == ".T.") {
                out = Value::boolean(true);
                return true;
            }
            if (text == "F" || text == "N" || text == "FALSE" || text == "NO" || text == ".F.") {
                out = Value::boolean(false);
                return true;
            }
            reason = "\"" + in.asText() + "\" is not a logical value (T, F, Y, N, true, false)";
            return false;
        }
        default:
            reason = "it is not a logical value";
            return false;
    }
}

bool toDateValue(const Value& in, Value& out, std::string& reason) {
    switch (in.kind()) {
        case Value::Kind::Null:
            out = Value();
            return true;
        case Value::Kind::Date:
        case Value::Kind::DateTime: {
            DateTime date = in.kind() == Value::Kind::Date ? in.asDate() : in.asDateTime();
            date.microsecondsOfDay = 0;  // dBASE dates have no time of day
            if (!date.isValid()) {
                reason = "it is not a date between the years 1 and 9999";
                return false;
            }
            out = Value::date(date);
            return true;
        }
        case Value::Kind::Text: {
            const std::string& text = in.asText();
            std::size_t begin = text.find_first_not_of(" \t");
            if (begin == std::string::npos) {
                out = Value();
                return true;
            }
            std::size_t end = text.find_last_not_of(" \t") + 1;
            std::string_view body(text.data() + begin, end - begin);
            // YYYY-MM-DD or YYYYMMDD, optionally followed by a time of day, which is dropped.
            std::string digits;
            if (body.size() >= 10 && body[4] == '-' && body[7] == '-') {
                digits = std::string(body.substr(0, 4)) + std::string(body.substr(5, 2)) +
                         std::string(body.substr(8, 2));
                std::string_view rest = body.substr(10);
                if (!rest.empty() && rest[0] != 'T' && rest[0] != ' ') digits.clear();
            } else if (body.size() == 8) {
                digits = std::string(body);
            }
            Value parsed;
            if (digits.size() != 8 ||
                !decodeDate(reinterpret_cast<const std::uint8_t*>(digits.data()), 8, parsed) ||
                parsed.isNull()) {
                reason = "\"" + text + "\" is not a date (YYYY-MM-DD)";
                return false;
            }
            out = parsed;
            return true;
        }
        default:
            reason = "it is not a date";
            return false;
    }
}

namespace {

// Reads "HH:MM", "HH:MM:SS" or "HH:MM:SS.f" (1 to 3 fraction digits) into microseconds.
bool parseTimeOfDay(std::string_view text, std::int64_t& microseconds) {
    auto twoDigits = [&](std::size_t at, int limit, std::int64_t& value) {
        if (at + 2 > text.size() || !isDigit(text[at]) || !isDigit(text[at + 1])) return false;
        value = (text[at] - '0') * 10 + (text[at + 1] - '0');
        return value < limit;
    };
    std::int64_t hours = 0, minutes = 0, seconds = 0, fraction = 0;
    if (!twoDigits(0, 24, hours) || text.size() < 5 || text[2] != ':' ||
        !twoDigits(3, 60, minutes)) {
        return false;
    }
    std::size_t at = 5;
    if (at < text.size()) {
        if (text[at] != ':' || !twoDigits(at + 1, 60, seconds)) return false;
        at += 3;
    }
    if (at < text.size()) {
        if (text[at] != '.' || at + 1 == text.size() || text.size() - at - 1 > 3) return false;
        for (std::size_t i = at + 1; i < at + 4; ++i) {
            if (i < text.size() && !isDigit(text[i])) return false;
            fraction = fraction * 10 + (i < text.size() ? text[i] - '0' : 0);
        }
    }
    microseconds = ((hours * 60 + minutes) * 60 + seconds) * 1'000'000 + fraction * 1000;
    return true;
}

}  // namespace

bool toDateTimeValue(const Value& in, Value& out, std::string& reason) {
    DateTime moment;
    switch (in.kind()) {
        case Value::Kind::Null:
            out = Value();
            return true;
        case Value::Kind::Date:
            moment = in.asDate();
            break;
        case Value::Kind::DateTime:
            moment = in.asDateTime();
            break;
        case Value::Kind::Text: {
            const std::string& text = in.asText();
            const std::size_t begin = text.find_first_not_of(" \t");
            if (begin == std::string::npos) {
                out = Value();
                return true;
            }
            const std::size_t end = text.find_last_not_of(" \t") + 1;
            const std::string_view body(text.data() + begin, end - begin);
            const std::size_t split = body.find_first_of(" T", 8);
            const std::size_t time =
                split == std::string_view::npos ? split : body.find_first_not_of(" T", split);
            Value day;
            std::string dayReason;
            if (!toDateValue(Value::text(std::string(body.substr(0, split))), day, dayReason) ||
                day.isNull() ||
                (split != std::string_view::npos && time == std::string_view::npos) ||
                (time != std::string_view::npos &&
                 !parseTimeOfDay(body.substr(time), moment.microsecondsOfDay))) {
                reason = "\"" + text + "\" is not a date and time (YYYY-MM-DD HH:MM:SS)";
                return false;
            }
            const std::int64_t ofDay = moment.microsecondsOfDay;
            moment = day.asDate();
            moment.microsecondsOfDay = ofDay;
            break;
        }
        default:
            reason = "it is not a date and time";
            return false;
    }
    if (!moment.isValid()) {
        reason = "it is not a date and time between the years 1 and 9999";
        return false;
    }
    if (moment.microsecondsOfDay % 1000 != 0) {
        reason = "it is more precise than a millisecond";
        return false;
    }
    out = Value::dateTime(moment);
    return true;
}

Value toTextValue(const Value& in) {
    if (in.isNull() || in.kind() == Value::Kind::Text) return in;
    return Value::text(in.toString());
}

bool formatNumber(const Value& number, int width, int decimals, std::string& out,
                  std::string& reason) {
    std::string canonical;
    if (!decimalTextOf(number, canonical)) {
        reason = "it is too large";
        return false;
    }
    // Storing fewer decimals than the number has would store another number.
    if (!fitsDecimals(canonical, decimals, reason)) return false;
    std::string text = withDecimals(canonical, decimals);
    auto fieldWidth = static_cast<std::size_t>(width);
    if (text.size() > fieldWidth) {
        // "0.50" fits N(3,2) as ".50".
        if (text.rfind("0.", 0) == 0 && text.size() - 1 <= fieldWidth) {
            text.erase(0, 1);
        } else if (text.rfind("-0.", 0) == 0 && text.size() - 1 <= fieldWidth) {
            text.erase(1, 1);
        } else {
            reason = "it needs " + std::to_string(text.size()) + " characters (" + text +
                     ") and the field holds " + std::to_string(width);
            return false;
        }
    }
    out.assign(fieldWidth - text.size(), ' ');
    out += text;
    return true;
}

void formatDate(const DateTime& date, std::uint8_t* out) {
    int values[3] = {date.year, date.month, date.day};
    int widths[3] = {4, 2, 2};
    std::size_t pos = 0;
    for (int part = 0; part < 3; ++part) {
        int value = values[part];
        for (int i = widths[part] - 1; i >= 0; --i) {
            out[pos + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>('0' + value % 10);
            value /= 10;
        }
        pos += static_cast<std::size_t>(widths[part]);
    }
}

}  // namespace engine::dbf
