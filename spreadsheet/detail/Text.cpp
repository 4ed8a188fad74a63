#include "spreadsheet/detail/Text.h"

#include "base/Utf8.h"
#include "spreadsheet/SpreadsheetError.h"

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
        if (!base::utf8::next(utf8, i, codePoint)) return std::nullopt;
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

}  // namespace spreadsheet::detail
