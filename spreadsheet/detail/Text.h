// Text helpers of the component: UTF-16 lengths of UTF-8 text.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace spreadsheet::detail {

// The number of UTF-16 code units of a UTF-8 text (a workbook counts lengths so), or nullopt
// when the text is not valid UTF-8.
std::optional<std::size_t> utf16Length(std::string_view utf8);

}  // namespace spreadsheet::detail
