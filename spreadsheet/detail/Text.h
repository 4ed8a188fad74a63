// Text helpers of the component: UTF-8 checks, UTF-16 lengths, case-insensitive names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spreadsheet {
class SpreadsheetError;
}

namespace spreadsheet::detail {

// The number of UTF-16 code units of a UTF-8 text (a workbook counts lengths so), or nullopt
// when the text is not valid UTF-8.
std::optional<std::size_t> utf16Length(std::string_view utf8);

// The refusal (1004) of text for a cell: not valid UTF-8 (units nullopt), or units UTF-16 units
// long, more than a cell holds.
SpreadsheetError cellTextRefusal(const std::string& cell, const std::string& sheet,
                                 std::optional<std::size_t> units);

// The items joined by ", " with " and " before the last: "formulas, charts and macros".
std::string joinedWithAnd(const std::vector<std::string>& items);

// ASCII letters folded to upper case; other bytes unchanged. Names of sheets and fields are
// compared in this form.
std::string foldCase(std::string_view text);
bool equalFolded(std::string_view a, std::string_view b);

}  // namespace spreadsheet::detail
