#include "xls/biff8/Utf16.h"

#include "base/Utf8.h"

#include <cstdint>
#include <locale.h>
#include <wctype.h>

namespace xls::biff8 {

namespace {

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendAsUtf16(char32_t codePoint, std::u16string& out) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
    } else {
        char32_t offset = codePoint - 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    }
}

// The locale whose case tables foldCase uses; null when the system has none.
locale_t caseLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    return locale;
}

char32_t upperCase(char32_t codePoint) {
    if (locale_t locale = caseLocale(); locale != locale_t(nullptr)) {
        return static_cast<char32_t>(towupper_l(static_cast<wint_t>(codePoint), locale));
    }
    return codePoint >= U'a' && codePoint <= U'z' ? codePoint - 0x20 : codePoint;
}

}  // namespace

bool utf8ToUtf16(std::string_view utf8, std::u16string& out) {
    out.reserve(out.size() + utf8.size());
    std::size_t pos = 0;
    char32_t codePoint = 0;
    while (pos < utf8.size()) {
        if (!base::utf8::next(utf8, pos, codePoint)) return false;
        appendAsUtf16(codePoint, out);
    }
    return true;
}

void appendCodePoint(char32_t codePoint, std::string& out) { base::utf8::append(out, codePoint); }

void appendUtf16AsUtf8(std::u16string_view units, std::string& out) {
    out.reserve(out.size() + units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t unit = units[i];
        if (isHighSurrogate(unit) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            char32_t low = units[++i];
            appendCodePoint(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendCodePoint(0xFFFD, out);
        } else {
            appendCodePoint(unit, out);
        }
    }
}

std::u16string foldCase(std::u16string_view units) {
    std::u16string folded;
    folded.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t unit = units[i];
        if (isHighSurrogate(unit) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            char32_t low = units[++i];
            appendAsUtf16(upperCase(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)), folded);
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            folded.push_back(static_cast<char16_t>(unit));
        } else {
            appendAsUtf16(upperCase(unit), folded);
        }
    }
    return folded;
}

}  // namespace xls::biff8
