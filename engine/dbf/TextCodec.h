// Converters between a table's code page and UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace engine::dbf {

// Converts between a code page and UTF-8. Single-byte code pages decode through a 256-entry
// table built once, so reading never calls iconv per field; bytes the code page leaves undefined
// decode to U+0080..U+00FF (the C1 controls and Latin-1 points of the same number) and encode
// back to the same byte, so unchanged text always writes back byte for byte. Multi-byte code
// pages go through iconv.
class TextCodec {
public:
    // The converter for an iconv encoding name, built on first use and shared afterwards.
    // Throws EngineError when iconv does not know the encoding.
    static std::shared_ptr<const TextCodec> get(const std::string& converter);

    virtual ~TextCodec() = default;

    // Appends the UTF-8 form of the bytes to out. Never fails: bytes that cannot be decoded
    // become U+FFFD.
    virtual void decode(const std::uint8_t* bytes, std::size_t size, std::string& out) const = 0;
    // Appends the bytes of utf8 in this code page to out. Returns false when a character has no
    // byte in the code page, with that character in unencodable (out is then unspecified).
    virtual bool encode(std::string_view utf8, std::string& out, char32_t& unencodable) const = 0;
};

// "U+00E9 'é'" for messages about a character.
std::string describeCharacter(char32_t character);

}  // namespace engine::dbf
