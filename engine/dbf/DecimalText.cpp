// Decimal numbers as text: a number stored in a field, read in one pass when it has the usual
// form, and the canonical form of any decimal a table or a user writes (FieldCodec.h declares
// them).
#include "engine/dbf/FieldCodec.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace engine::dbf {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The usual form of a stored number, an optional sign, digits and an optional point with
// digits ("-1234.50"), of at most 19 digits, read in one pass. Gives exactly what
// canonicalDecimal and from_chars give for such text: a whole number is converted with correct
// rounding, and digits of at most 2^53 divided by a power of ten up to 10^22 are two exact
// doubles, so their quotient is correctly rounded as from_chars is. Returns false, leaving out
// alone, for any other text.
bool decodePlainDecimal(std::string_view text, Value& out) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const std::size_t n = text.size();
    std::size_t i = 0;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // 19 digits cannot overflow 64 bits. Leading zeros of the whole part are not counted.
    std::uint64_t digits = 0;
    std::size_t counted = 0;
    const std::size_t integerStart = i;
    std::size_t significant = 0;  // where the whole part's digits start, once counted > 0
    for (; i < n && isDigit(text[i]); ++i) {
        if (counted == 0) {
            if (text[i] == '0') continue;
            significant = i;
        }
        if (++counted > 19) return false;
        digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    const std::size_t integerEnd = i;
    const std::size_t integerDigits = counted;
    std::size_t fractionStart = i;
    if (i < n && text[i] == '.') {
        fractionStart = ++i;
        for (; i < n && isDigit(text[i]); ++i) {
            if (++counted > 19) return false;
            digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
        }
    }
    const std::size_t fractionDigits = i - fractionStart;
    if (i != n || (integerEnd == integerStart && fractionDigits == 0)) return false;
    double value = static_cast<double>(digits);
    if (fractionDigits > 0) {
        if (digits > (std::uint64_t{1} << 53) || fractionDigits > 22) return false;
        value /= kPowersOfTen[fractionDigits];
    }
    // Zero is written without its sign ("-0.00" is "0.00", and +0).
    bool minus = negative && digits != 0;
    std::string& exact = out.assignNumber(minus ? -value : value);
    if (minus) exact.push_back('-');
    if (integerDigits == 0) {
        exact.push_back('0');
    } else {
        exact.append(text.substr(significant, integerEnd - significant));
    }
    if (fractionDigits > 0) {
        exact.push_back('.');
        exact.append(text.substr(fractionStart, fractionDigits));
    }
    return true;
}

}  // namespace

bool decimalTextOf(const Value& number, std::string& canonical) {
    canonical = number.exactNumberText();
    if (!canonical.empty()) return true;
    // The shortest decimal that reads back as the double: 2.675 is 2.675 as the user wrote it,
    // not the binary value just below it.
    std::array<char, 400> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      number.asNumber(), std::chars_format::fixed);
    return error == std::errc() &&
           canonicalDecimal(std::string_view(buffer.data(), end), false, canonical);
}

std::size_t significantDecimals(std::string_view canonical) {
    const std::size_t point = canonical.find('.');
    if (point == std::string_view::npos) return 0;
    const std::size_t last = canonical.find_last_not_of('0');
    return last > point ? last - point : 0;
}

bool fitsDecimals(std::string_view canonical, int decimals, std::string& reason) {
    const std::size_t has = significantDecimals(canonical);
    if (has <= static_cast<std::size_t>(decimals)) return true;
    reason = "it has " + std::to_string(has) + (has == 1 ? " decimal" : " decimals") +
             " and the field holds " +
             (decimals == 0 ? std::string("whole numbers only") : std::to_string(decimals));
    return false;
}

bool scaleDecimal(std::string_view canonical, int decimals, std::uint64_t limit,
                  std::int64_t& out) {
    const bool negative = !canonical.empty() && canonical[0] == '-';
    std::uint64_t magnitude = 0;
    int fraction = -1;  // digits taken after the point; -1 before it
    for (char c : canonical.substr(negative ? 1 : 0)) {
        if (c == '.') {
            fraction = 0;
            continue;
        }
        if (fraction >= decimals) continue;  // trailing zeros (the caller checked)
        if (fraction >= 0) ++fraction;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (limit - digit) / 10) return false;
        magnitude = magnitude * 10 + digit;
    }
    for (int i = std::max(fraction, 0); i < decimals; ++i) {
        if (magnitude > limit / 10) return false;
        magnitude *= 10;
    }
    out = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

double decimalValue(std::string_view canonical) {
    double value = 0;
    std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    return value;
}

bool canonicalDecimal(std::string_view text, bool allowComma, std::string& canonical) {
    canonical.clear();
    std::size_t i = 0, n = text.size();
    auto skipBlank = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\0')) ++i;
    };
    skipBlank();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Digits of the mantissa, and where the point falls among them.
    std::array<char, 128> digits{};
    std::size_t count = 0;
    long pointAt = -1;
    bool anyDigit = false;
    for (; i < n; ++i) {
        char c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            if (count == 0 && c == '0' && pointAt < 0) continue;  // leading zero
            if (count == digits.size()) return false;
            digits[count++] = c;
        } else if ((c == '.' || (c == ',' && allowComma && text.find('.') == text.npos)) &&
                   pointAt < 0) {
            pointAt = static_cast<long>(count);
        } else {
            break;
        }
    }
    if (!anyDigit) return false;
    if (pointAt < 0) pointAt = static_cast<long>(count);
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
        if (i >= n || !isDigit(text[i])) return false;
        for (; i < n && isDigit(text[i]); ++i) {
            exponent = exponent * 10 + (text[i] - '0');
            if (exponent > 400) return false;
        }
        if (negativeExponent) exponent = -exponent;
    }
    skipBlank();
    if (i != n) return false;

    long point = pointAt + exponent;  // digits before the point
    auto total = static_cast<long>(count);
    // (Characters are pushed rather than assigned: GCC 12 at -O3 warns falsely on assigning a
    // literal to a string here.)
    if (point <= 0) {
        canonical.push_back('0');
        if (total > 0) {
            canonical.push_back('.');
            canonical.append(static_cast<std::size_t>(-point), '0');
            canonical.append(digits.data(), count);
        }
    } else if (point >= total) {
        canonical.append(digits.data(), count);
        canonical.append(static_cast<std::size_t>(point - total), '0');
        if (canonical.empty()) canonical.push_back('0');
    } else {
        canonical.append(digits.data(), static_cast<std::size_t>(point));
        canonical.push_back('.');
        canonical.append(digits.data() + point, static_cast<std::size_t>(total - point));
    }
    // Keep the fraction's digits as written ("12.50"), but say "0" rather than "0." or "".
    if (canonical.empty() || canonical[0] == '.') canonical.insert(canonical.begin(), '0');
    bool zero = canonical.find_first_of("123456789") == std::string::npos;
    if (negative && !zero) canonical.insert(canonical.begin(), '-');
    return true;
}

bool decodeNumber(const std::uint8_t* bytes, std::size_t width, Value& out) {
    // Plain loops rather than find_first_not_of: this runs for every numeric cell read.
    std::size_t first = 0, last = width;
    while (first < last && (bytes[first] == ' ' || bytes[first] == 0)) ++first;
    while (last > first && (bytes[last - 1] == ' ' || bytes[last - 1] == 0)) --last;
    if (first == last) {
        out.setNull();
        return true;
    }
    bool overflowMark = true;
    for (std::size_t i = first; i < last && overflowMark; ++i) overflowMark = bytes[i] == '*';
    if (overflowMark) {
        out.setNull();
        return true;
    }
    std::string_view body(reinterpret_cast<const char*>(bytes) + first, last - first);
    if (decodePlainDecimal(body, out)) return true;
    // The canonical text goes through a scratch buffer and is then copied into the value's own
    // string, whose capacity survives from record to record.
    thread_local std::string scratch;
    if (!canonicalDecimal(body, true, scratch)) {
        out.setNull();
        return false;
    }
    out.assignNumber(decimalValue(scratch)).assign(scratch);
    return true;
}

}  // namespace engine::dbf
