#include "tablecreate/FieldTypes.h"

#include "engine/TableDefinition.h"

#include <stdexcept>

namespace tablecreate {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const std::array<FieldTypeEntry, 6>& fieldTypes() {
    static const std::array<FieldTypeEntry, 6> types = [] {
        auto width = [](std::int32_t code) {
            return std::to_string(engine::newFieldWidth(code, engine::DbaseVersion::IV));
        };
        return std::array<FieldTypeEntry, 6>{{
            {"Boolean", engine::kTypeBoolean, width(engine::kTypeBoolean)},
            {"Date", engine::kTypeDate, width(engine::kTypeDate)},
            {"Double", engine::kTypeDouble, ""},
            {"Integer", engine::kTypeInteger, ""},
            // The window shows a memo's length as 0: its text is kept in the memo file.
            {"Memo", engine::kTypeMemo, "0"},
            {"Text", engine::kTypeText, ""},
        }};
    }();
    return types;
}

const FieldTypeEntry* findFieldType(std::string_view name) {
    for (const FieldTypeEntry& entry : fieldTypes()) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

std::int16_t convertLength(const std::string& text) {
    const auto notANumber = [&text] {
        return std::invalid_argument("The Length value \"" + text +
                                     "\" is not a whole number or a decimal number.");
    };
    std::size_t pos = 0;
    const std::size_t end = text.size();
    while (pos < end && isSpace(text[pos])) ++pos;
    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t wholeStart = pos;
    while (pos < end && isDigit(text[pos])) ++pos;
    const std::string_view whole(text.data() + wholeStart, pos - wholeStart);
    std::string_view fraction;
    if (pos < end && text[pos] == '.') {
        const std::size_t fractionStart = ++pos;
        while (pos < end && isDigit(text[pos])) ++pos;
        fraction = std::string_view(text.data() + fractionStart, pos - fractionStart);
    }
    while (pos < end && isSpace(text[pos])) ++pos;
    if (pos != end || (whole.empty() && fraction.empty())) throw notANumber();

    // The magnitude, exactly: any number of leading zeros, at most five significant digits.
    std::size_t first = whole.find_first_not_of('0');
    const std::string_view significant =
        first == std::string_view::npos ? std::string_view() : whole.substr(first);
    const auto outOfRange = [&text] {
        return std::out_of_range("The Length value \"" + text +
                                 "\" is out of range: it must lie between -32768 and 32767.");
    };
    if (significant.size() > 5) throw outOfRange();
    long magnitude = 0;
    for (char digit : significant) magnitude = magnitude * 10 + (digit - '0');

    // Round half to even on the exact decimal fraction.
    if (!fraction.empty()) {
        const char firstDigit = fraction.front();
        const bool restIsZero = fraction.find_first_not_of('0', 1) == std::string_view::npos;
        if (firstDigit > '5' || (firstDigit == '5' && !restIsZero) ||
            (firstDigit == '5' && restIsZero && magnitude % 2 == 1)) {
            ++magnitude;
        }
    }
    const long value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767) throw outOfRange();
    return static_cast<std::int16_t>(value);
}

}  // namespace tablecreate
