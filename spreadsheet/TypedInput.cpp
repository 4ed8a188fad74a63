#include "spreadsheet/TypedInput.h"

#include "base/AsciiCase.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/detail/Text.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace spreadsheet {

namespace {

constexpr int kMaxSignificantDigits = 15;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Reads digits grouped by commas in threes ("1,234,567") or plain digits, appending the digits
// to out. Returns false when commas are present but misplaced.
bool readIntegerPart(std::string_view& text, std::string& out) {
    std::size_t i = 0;
    while (i < text.size() && isDigit(text[i])) ++i;
    std::size_t firstGroup = i;
    out.append(text.substr(0, i));
    while (i < text.size() && text[i] == ',') {
        if (firstGroup == 0 || firstGroup > 3) return false;
        for (std::size_t k = 1; k <= 3; ++k) {
            if (i + k >= text.size() || !isDigit(text[i + k])) return false;
        }
        out.append(text.substr(i + 1, 3));
        i += 4;
        if (i < text.size() && isDigit(text[i])) return false;
    }
    text.remove_prefix(i);
    return true;
}

// The number in text (already without spaces around it), or nothing.
std::optional<double> parseNumber(std::string_view text) {
    bool negative = false;
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
        negative = true;
        text = text.substr(1, text.size() - 2);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) return std::nullopt;
    } else if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool percent = false;
    if (!text.empty() && text.back() == '%') {
        percent = true;
        text.remove_suffix(1);
    }
    // Rebuild the number without grouping, in the form from_chars reads.
    std::string plain;
    if (!readIntegerPart(text, plain)) return std::nullopt;
    std::size_t integerDigits = plain.size();
    std::size_t fractionDigits = 0;
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
        plain.push_back('.');
        while (!text.empty() && isDigit(text.front())) {
            plain.push_back(text.front());
            text.remove_prefix(1);
            ++fractionDigits;
        }
    }
    if (integerDigits + fractionDigits == 0) return std::nullopt;
    std::string mantissaDigits;
    for (char c : plain) {
        if (isDigit(c)) mantissaDigits.push_back(c);
    }
    if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
        plain.push_back('e');
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            plain.push_back(text.front());
            text.remove_prefix(1);
        }
        std::size_t exponentDigits = 0;
        while (!text.empty() && isDigit(text.front())) {
            plain.push_back(text.front());
            text.remove_prefix(1);
            ++exponentDigits;
        }
        if (exponentDigits == 0) return std::nullopt;
    }
    if (!text.empty()) return std::nullopt;

    std::size_t first = mantissaDigits.find_first_not_of('0');
    if (first != std::string::npos) {
        std::size_t last = mantissaDigits.find_last_not_of('0');
        if (last - first + 1 > kMaxSignificantDigits) return std::nullopt;
    }
    double value = 0;
    auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    if (percent) value /= 100;
    return negative ? -value : value;
}

TypedCell textCell(std::string_view text) {
    TypedCell cell;
    if (text.empty()) return cell;
    cell.kind = CellValue::Kind::Text;
    cell.text = text;
    return cell;
}

TypedCell numberCell(double value) {
    TypedCell cell;
    cell.kind = CellValue::Kind::Number;
    cell.number = value;
    return cell;
}

TypedCell booleanCell(bool value) {
    TypedCell cell;
    cell.kind = CellValue::Kind::Boolean;
    cell.boolean = value;
    return cell;
}

TypedCell readTypedText(std::string_view text) {
    if (text.empty()) return {};
    if (text.front() == '\'') return textCell(text.substr(1));
    std::string_view trimmed = trimSpaces(text);
    if (base::equalsIgnoringCase(trimmed, "TRUE")) return booleanCell(true);
    if (base::equalsIgnoringCase(trimmed, "FALSE")) return booleanCell(false);
    if (std::optional<double> number = parseNumber(trimmed)) return numberCell(*number);
    return textCell(text);
}

CellValue toCellValue(const TypedCell& cell) {
    switch (cell.kind) {
        case CellValue::Kind::Number:
            return CellValue::number(cell.number);
        case CellValue::Kind::Text:
            return CellValue::text(std::string(cell.text));
        case CellValue::Kind::Boolean:
            return CellValue::boolean(cell.boolean);
        case CellValue::Kind::Date:
            return CellValue::dateSerial(cell.number, cell.style);
        case CellValue::Kind::Empty:
        case CellValue::Kind::Error:
            break;
    }
    return {};
}

}  // namespace

TypedCell readCellData(const Variant& dat, std::string& madeText) {
    const Variant& value = dat.plainValue();
    switch (value.kind()) {
        case Variant::Kind::Empty:
        case Variant::Kind::Null:
        case Variant::Kind::Object:
            return {};
        case Variant::Kind::Boolean:
            return booleanCell(value.asBoolean());
        case Variant::Kind::Number:
            if (!std::isfinite(value.asNumber())) {
                throw SpreadsheetError::typeMismatch("a cell cannot hold " +
                                                     std::to_string(value.asNumber()) + ".");
            }
            return numberCell(value.asNumber());
        case Variant::Kind::Date:
        case Variant::Kind::DateTime: {
            const bool moment = value.kind() == Variant::Kind::DateTime;
            const DateTime& date = moment ? value.asDateTime() : value.asDate();
            if (date.isValid() && date.year < 1900) {
                madeText.clear();
                if (moment) {
                    date.appendMoment(madeText);
                } else {
                    madeText = date.toText();
                }
                return textCell(madeText);
            }
            TypedCell cell;
            cell.kind = CellValue::Kind::Date;
            cell.number = dateToSerial(date);
            cell.style = moment || date.hasTime() ? DateStyle::DateTime : DateStyle::Date;
            return cell;
        }
        case Variant::Kind::Text:
            return textCell(value.asText());
    }
    return {};
}

TypedCell readTypedInput(const Variant& dat, std::string& madeText) {
    // Only text typed in plain is read by the typing rules; an object's value is data.
    if (dat.kind() == Variant::Kind::Text) return readTypedText(dat.asText());
    return readCellData(dat, madeText);
}

CellValue typedInput(const Variant& dat) {
    std::string madeText;
    return toCellValue(readTypedInput(dat, madeText));
}

}  // namespace spreadsheet
