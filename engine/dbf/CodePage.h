// Code pages of dBASE tables: which one a table uses (.cpg file, language driver byte, default),
// and the converter between its bytes and UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace engine::dbf {

struct CodePage {
    int number = 0;         // 1252, 866, 65001 (UTF-8), ...; 0 when only named (ISO-8859-1)
    std::string converter;  // the iconv encoding name; empty when this system has none
    std::string name;       // for the user: "1252 (Windows ANSI)"
};

// The code page of tables that say nothing about theirs (language driver 0, no .cpg): always
// this one, never the machine's locale, so that a table reads the same everywhere.
CodePage defaultCodePage();

// The code page a language driver byte names; nullopt for 0 and for unknown bytes.
std::optional<CodePage> codePageForLanguageDriver(std::uint8_t languageDriver);

// The code page a .cpg side file names ("1252", "ANSI 1251", "UTF-8", "LDID/87", "ISO-8859-1",
// ...), matched without regard to case and surrounding spaces; nullopt when it names nothing
// this system can convert.
std::optional<CodePage> codePageFromCpg(std::string_view text);

// The code page a user names to override a table's own: a number ("866"), "cp866", "UTF-8" or
// any iconv encoding name. Throws EngineError when this system cannot convert it.
CodePage codePageFromUserName(const std::string& name);

// The language driver byte that names this code page in new tables (0 when none does).
std::uint8_t languageDriverFor(int codePageNumber);

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
