// Which number formats show a number as a date, a date and time, or a time of day (or duration).
#pragma once

#include "xls/WorkbookData.h"

#include <cstdint>
#include <string_view>

namespace xls::biff8 {

// A built-in format index that no FORMAT record redefines.
NumberFormat classifyBuiltInFormat(std::uint16_t index);

// A format string (UTF-8). Only the first section counts (the one for positive numbers). Quoted
// text, backslash-escaped characters, the character after _ or *, and bracketed parts (colours,
// conditions, locales) are ignored, except the elapsed-time parts [h], [m], [s]. Then y, d, e
// (era year, not an exponent) and g mark a date; h, s and AM/PM or A/P a time; m is a month
// unless the format has a time part and no date part. "General" is General; anything else
// without those letters is Other.
NumberFormat classifyFormatString(std::string_view format);

}  // namespace xls::biff8
