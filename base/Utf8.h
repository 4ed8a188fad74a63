// UTF-8 decoding and encoding, one code point at a time: the one strict definition of well-formed
// UTF-8 that the engine's code pages, the workbook format and the spreadsheet component share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base::utf8 {

// Decodes the sequence at text[pos] (pos < text.size()). On success stores the code point,
// advances pos past the sequence and returns true. A malformed sequence (a stray continuation
// byte, a truncated sequence, an overlong form, an encoded surrogate, a value above U+10FFFF)
// returns false and advances pos by one byte, so a caller can resynchronise.
inline bool next(std::string_view text, std::size_t& pos, char32_t& codePoint) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        codePoint = lead;
        ++pos;
        return true;
    }
    std::size_t length = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
    } else {
        ++pos;
        return false;
    }
    if (pos + length > text.size()) {
        ++pos;
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char continuation = byte(pos + i);
        if ((continuation & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        value = (value << 6) | (continuation & 0x3Fu);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return false;
    }
    codePoint = value;
    pos += length;
    return true;
}

// Appends one code point (at most U+10FFFF, not a surrogate) as UTF-8.
inline void append(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

}  // namespace base::utf8
