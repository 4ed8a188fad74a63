// How much a warning about a table matters to someone looking at it.
#pragma once

#include <string>

namespace engine {

enum class WarningSeverity {
    // Harmless: the table reads as it should (a missing end-of-file mark, a header oddity read
    // past). Listed by quillon-cli info and found by check, not shown when a table opens.
    Detail,
    // Changes what the user sees or may do: records hidden, the table read-only and why, memo
    // text unavailable, values unreadable or perhaps read in the wrong code page.
    Important,
};

struct Warning {
    std::string text;  // a sentence for the user
    WarningSeverity severity = WarningSeverity::Important;
};

}  // namespace engine
