// Text helpers of the component: UTF-16 lengths of UTF-8 text.
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

}  // namespace spreadsheet::detail
