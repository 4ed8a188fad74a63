// Conversions between the UTF-8 text of WorkbookData and the UTF-16 code units BIFF8 stores.
#pragma once

#include <string>
#include <string_view>

namespace xls::biff8 {

// Converts UTF-8 to UTF-16 code units, appending to out. Returns false, leaving out in an
// unspecified state, when the input is not well-formed UTF-8 (overlong forms, encoded surrogates,
// code points above U+10FFFF, truncated sequences).
bool utf8ToUtf16(std::string_view utf8, std::u16string& out);

// Appends UTF-16 code units as UTF-8; an unpaired surrogate becomes U+FFFD.
void appendUtf16AsUtf8(std::u16string_view units, std::string& out);

// Appends one code point (<= U+10FFFF, not a surrogate) as UTF-8.
void appendCodePoint(char32_t codePoint, std::string& out);

// Upper-cases every character (Unicode simple case mapping of the C.UTF-8 locale; ASCII only
// where that locale is missing), for comparing names without regard to case.
std::u16string foldCase(std::u16string_view units);

}  // namespace xls::biff8
