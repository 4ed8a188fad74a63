// Code pages of dBASE tables: which one a table uses (.cpg file, language driver byte, default);
// TextCodec.h converts between its bytes and UTF-8.
#pragma once

#include "engine/dbf/TextCodec.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The code page a dBASE 7 language driver name names: "DB" and an OEM code page's three digits
// ("DB437US0", "DB866RU0") name that page, the Windows ANSI drivers DBWINUS0, DBWINWE0 and
// DBWINES0 code page 1252; nullopt for any other name.
std::optional<CodePage> codePageForDriverName(std::string_view name);

// The code page of that number (437, 1252, ...), with an empty converter when this system has
// none.
CodePage codePageNumbered(int number);

// The code page a .cpg side file names ("1252", "ANSI 1251", "UTF-8", "LDID/87", "ISO-8859-1",
// ...), matched without regard to case and surrounding spaces; nullopt when it names nothing
// this system can convert.
std::optional<CodePage> codePageFromCpg(std::string_view text);

// The code page a user names to override a table's own: a number ("866"), "cp866", "UTF-8" or
// any iconv encoding name. Throws EngineError when this system cannot convert it.
CodePage codePageFromUserName(const std::string& name);

// The language driver byte that names this code page in new tables (0 when none does).
std::uint8_t languageDriverFor(int codePageNumber);

// The code pages a user is offered when a table's text reads wrong, those this system converts:
// 437, 850, 852, 866, 874, 932, 936, 949, 950, 1250 to 1258, ISO-8859-1 to -16, UTF-8. Their
// number (or name) is what codePageFromUserName takes.
std::vector<CodePage> usualCodePages();

// What codePageFromUserName takes to give this code page back: "866", "UTF-8", "ISO-8859-5".
std::string userNameOf(const CodePage& page);

// The language driver byte that marks an existing table as being in this code page: the one new
// tables get, else the first that names it; 0 when none does (UTF-8, code pages known only by
// name), where a .cpg file has to say it.
std::uint8_t languageDriverMarking(int codePageNumber);

}  // namespace engine::dbf
