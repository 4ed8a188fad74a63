#include "base/ShownText.h"

namespace base {

std::string shownText(std::string_view text) {
    constexpr const char* kHex = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte < 0x20 || byte == 0x7F) {
            shown.append("\\x").push_back(kHex[byte >> 4]);
            shown.push_back(kHex[byte & 0xF]);
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            shown.append("\\u00").push_back(kHex[next >> 4]);
            shown.push_back(kHex[next & 0xF]);
            ++i;
        } else {
            shown.push_back(text[i]);
        }
    }
    return shown;
}

}  // namespace base
