// Text from a file, made safe to show to a person: a table's field names and values, a
// workbook's sheet names and the messages that quote them must not drive a terminal (an escape
// sequence) or garble a window (a carriage return, a backspace).
#pragma once

#include <string>
#include <string_view>

namespace base {

// The text with every control character written out: C0 controls and DEL as \x and two
// lower-case hex digits ("\x1b" for ESC, "\x0a" for a line break), the C1 controls U+0080 to
// U+009F as \u and four ("\u009b"). Everything else stays as it is, bytes that are not UTF-8
// included; a backslash is not escaped, so escaping twice gives what escaping once did.
std::string shownText(std::string_view text);

}  // namespace base
