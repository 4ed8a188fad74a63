#include "engine/dbf/BinaryCodec.h"

#include "base/Endian.h"
#include "engine/dbf/FieldCodec.h"

#include <bit>
#include <cmath>

namespace engine::dbf {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

}  // namespace

void decodeInteger(const std::uint8_t* bytes, Value& out) {
    const auto value = base::loadLittle<std::int32_t>(bytes);
    out.assignNumber(value).assign(std::to_string(value));
}

bool integerOfNumber(const Value& number, std::int32_t& out, std::string& reason) {
    std::string canonical;
    std::int64_t value = 0;
    if (!decimalTextOf(number, canonical) || !fitsDecimals(canonical, 0, reason) ||
        !scaleDecimal(canonical, 0, kMaxInteger, value)) {
        if (reason.empty()) {
            reason = "it is outside the range of an integer field (-2147483647 to 2147483647)";
        }
        return false;
    }
    out = static_cast<std::int32_t>(value);
    return true;
}

Value currencyValue(std::int64_t scaled) {
    // The magnitude as unsigned, so that the most negative value has one too.
    const bool negative = scaled < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    std::string digits = std::to_string(magnitude);
    if (digits.size() <= kCurrencyDecimals) {
        digits.insert(0, kCurrencyDecimals + 1 - digits.size(), '0');
    }
    std::string text = negative ? "-" : "";
    text += digits.substr(0, digits.size() - kCurrencyDecimals);
    text += ".";
    text += digits.substr(digits.size() - kCurrencyDecimals);
    return Value::number(decimalValue(text), text);
}

void decodeCurrency(const std::uint8_t* bytes, Value& out) {
    out = currencyValue(base::loadLittle<std::int64_t>(bytes));
}

bool currencyOfNumber(const Value& number, std::int64_t& scaled, std::string& reason) {
    std::string canonical;
    if (!decimalTextOf(number, canonical) || !fitsDecimals(canonical, kCurrencyDecimals, reason) ||
        !scaleDecimal(canonical, kCurrencyDecimals, kMaxCurrencyScaled, scaled)) {
        if (reason.empty()) {
            reason =
                "it is outside the range of a currency field (-922337203685477.5807 to "
                "922337203685477.5807)";
        }
        return false;
    }
    return true;
}

bool decodeDouble(const std::uint8_t* bytes, Value& out) {
    const double value = std::bit_cast<double>(base::loadLittle<std::uint64_t>(bytes));
    if (!std::isfinite(value)) {
        out.setNull();
        return false;
    }
    out.assignNumber(value);
    return true;
}

bool doubleOfNumber(const Value& number, double& out, std::string& reason) {
    out = number.asNumber();
    if (std::isfinite(out) && std::fabs(out) <= kMaxDouble) return true;
    reason = "it is outside the range of a double field (8.9884656743115E+307 either way)";
    return false;
}

bool decodeDateTime(const std::uint8_t* bytes, Value& out) {
    std::int64_t day = base::loadLittle<std::int32_t>(bytes);
    std::int64_t milliseconds = base::loadLittle<std::int32_t>(bytes + 4);
    out.setNull();
    if (day == 0) return true;
    if (day < kJulianDayFirst || day > kJulianDayLast || milliseconds < 0 ||
        milliseconds >= kMillisecondsPerDay) {
        return false;
    }
    milliseconds = (milliseconds + 500) / 1000 * 1000;
    if (milliseconds == kMillisecondsPerDay) {
        // The last second of 9999-12-31 stays there rather than leave the calendar.
        if (day == kJulianDayLast) {
            milliseconds -= 1000;
        } else {
            ++day;
            milliseconds = 0;
        }
    }
    DateTime moment = base::dateOfDay(day - kJulianDay1970);
    moment.microsecondsOfDay = milliseconds * 1000;
    out.setDateTime(moment);
    return true;
}

bool encodeDateTime(const DateTime& moment, std::uint8_t* out, std::string& reason) {
    if (!moment.isValid()) {
        reason = "it is not a date and time between the years 1 and 9999";
        return false;
    }
    if (moment.microsecondsOfDay % 1'000'000 != 0) {
        reason = "the field holds whole seconds only";
        return false;
    }
    const std::int64_t day =
        base::daysSince1970(moment.year, moment.month, moment.day) + kJulianDay1970;
    base::storeLittle(out, static_cast<std::int32_t>(day));
    base::storeLittle(out + 4, static_cast<std::int32_t>(moment.microsecondsOfDay / 1000));
    return true;
}

}  // namespace engine::dbf
