#include "spreadsheet/detail/Text.h"

#include "spreadsheet/SpreadsheetError.h"
#include "xls/Utf8.h"

#include <cstdint>
#include <cstring>

namespace spreadsheet::detail {

std::optional<std::size_t> utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    std::size_t i = 0;
    // Plain ASCII, eight bytes at a time: one unit per byte.
    while (i + 8 <= utf8.size()) {
        std::uint64_t word;
        std::memcpy(&word, utf8.data() + i, sizeof word);
        if ((word & 0x8080808080808080u) != 0) break;
        i += 8;
        units += 8;
    }
    char32_t codePoint = 0;
    while (i < utf8.size()) {
        if (!xls::utf8::next(utf8, i, codePoint)) return std::nullopt;
        units += codePoint >= 0x10000 ? 2 : 1;
    }
    return units;
}

SpreadsheetError cellTextRefusal(const std::string& cell, const std::string& sheet,
                                 std::optional<std::size_t> units) {
    const std::string start = "the text for cell " + cell + " of " + sheet;
    if (!units) return SpreadsheetError::operationFailed(start + " is not valid UTF-8.");
    return SpreadsheetError::operationFailed(start + " has " + std::to_string(*units) +
                                             " characters; a cell holds at most 32767.");
}

std::string joinedWithAnd(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

std::string foldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

bool equalFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
        char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 'a' + 'A') : b[i];
        if (x != y) return false;
    }
    return true;
}

}  // namespace spreadsheet::detail
