#include "spreadsheet/detail/Text.h"

#include "base/Utf8.h"

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

}  // namespace spreadsheet::detail
