#include "engine/dbf/CodePage.h"

#include "base/AsciiCase.h"
#include "engine/EngineError.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <iconv.h>

namespace engine::dbf {

namespace {

struct LanguageDriver {
    std::uint8_t id;
    int codePage;
};

// Language driver bytes and the code pages they name.
constexpr LanguageDriver kLanguageDrivers[] = {
    {0x01, 437},  {0x02, 850},  {0x03, 1252},  {0x04, 10000}, {0x08, 865},   {0x09, 437},
    {0x0A, 850},  {0x0B, 437},  {0x0D, 437},   {0x0E, 850},   {0x0F, 437},   {0x10, 850},
    {0x11, 437},  {0x12, 850},  {0x13, 932},   {0x14, 850},   {0x15, 437},   {0x16, 850},
    {0x17, 865},  {0x18, 437},  {0x19, 437},   {0x1A, 850},   {0x1B, 437},   {0x1C, 863},
    {0x1D, 850},  {0x1F, 852},  {0x22, 852},   {0x23, 852},   {0x24, 860},   {0x25, 850},
    {0x26, 866},  {0x37, 850},  {0x40, 852},   {0x4D, 936},   {0x4E, 949},   {0x4F, 950},
    {0x50, 874},  {0x57, 1252}, {0x58, 1252},  {0x59, 1252},  {0x64, 852},   {0x65, 866},
    {0x66, 865},  {0x67, 861},  {0x68, 895},   {0x69, 620},   {0x6A, 737},   {0x6B, 857},
    {0x78, 950},  {0x79, 949},  {0x7A, 936},   {0x7B, 932},   {0x7C, 874},   {0x7D, 1255},
    {0x7E, 1256}, {0x87, 852},  {0x96, 10007}, {0x97, 10029}, {0x98, 10006}, {0xC8, 1250},
    {0xC9, 1251}, {0xCA, 1254}, {0xCB, 1253},  {0xCC, 1257},  {0xF0, 65001},
};

const char* codePageTitle(int number) {
    switch (number) {
        case 437:
            return "US MS-DOS";
        case 620:
            return "Mazovia (Polish) MS-DOS";
        case 737:
            return "Greek MS-DOS";
        case 850:
            return "International MS-DOS";
        case 852:
            return "Eastern European MS-DOS";
        case 857:
            return "Turkish MS-DOS";
        case 860:
            return "Portuguese MS-DOS";
        case 861:
            return "Icelandic MS-DOS";
        case 863:
            return "French Canadian MS-DOS";
        case 865:
            return "Nordic MS-DOS";
        case 866:
            return "Russian MS-DOS";
        case 874:
            return "Thai";
        case 895:
            return "Kamenicky (Czech) MS-DOS";
        case 932:
            return "Japanese Shift-JIS";
        case 936:
            return "Simplified Chinese GBK";
        case 949:
            return "Korean";
        case 950:
            return "Traditional Chinese Big5";
        case 1250:
            return "Eastern European Windows";
        case 1251:
            return "Cyrillic Windows";
        case 1252:
            return "Windows ANSI";
        case 1253:
            return "Greek Windows";
        case 1254:
            return "Turkish Windows";
        case 1255:
            return "Hebrew Windows";
        case 1256:
            return "Arabic Windows";
        case 1257:
            return "Baltic Windows";
        case 1258:
            return "Vietnamese Windows";
        case 10000:
            return "Macintosh Roman";
        case 10006:
            return "Macintosh Greek";
        case 10007:
            return "Macintosh Cyrillic";
        case 10029:
            return "Macintosh Central European";
        case 65001:
            return "UTF-8";
        default:
            return nullptr;
    }
}

bool converterExists(const std::string& name) {
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

std::string converterForNumber(int number) {
    switch (number) {
        case 65001:
            return "UTF-8";
        case 10000:
            return "MACINTOSH";
        case 10007:
            return "MAC-CYRILLIC";
        case 10029:
            return "MAC-CENTRALEUROPE";
        case 10006:  // no converter in glibc
        case 620:
        case 895:
            return {};
        default: {
            std::string name = "CP" + std::to_string(number);
            return converterExists(name) ? name : std::string();
        }
    }
}

CodePage makeCodePage(int number) {
    CodePage page;
    page.number = number;
    page.converter = converterForNumber(number);
    const char* title = codePageTitle(number);
    page.name = std::to_string(number);
    if (title != nullptr) page.name += std::string(" (") + title + ")";
    return page;
}

std::string upperTrimmed(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    std::string out(text.substr(begin, end - begin));
    for (char& c : out) c = base::asciiUpper(c);
    return out;
}

std::optional<int> parseNumber(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) return {};
    return value;
}

// Names users and .cpg files give, resolved to a code page; nullopt when nothing converts it.
std::optional<CodePage> resolveName(std::string_view text) {
    std::string name = upperTrimmed(text);
    if (name.empty()) return {};
    if (name == "UTF-8" || name == "UTF8" || name == "65001") return makeCodePage(65001);
    if (name.rfind("LDID/", 0) == 0) {
        auto id = parseNumber(std::string_view(name).substr(5));
        if (!id || *id > 255) return {};
        return codePageForLanguageDriver(static_cast<std::uint8_t>(*id));
    }
    std::string_view digits = name;
    for (std::string_view prefix : {"ANSI ", "OEM ", "CP", "WINDOWS-", "IBM"}) {
        if (digits.rfind(prefix, 0) == 0) {
            digits.remove_prefix(prefix.size());
            break;
        }
    }
    if (auto number = parseNumber(digits)) {
        CodePage page = makeCodePage(*number);
        if (page.converter.empty() && codePageTitle(*number) == nullptr) return {};
        return page;
    }
    // Only plausible encoding names reach iconv, which reads a few odd ones ("", "?") as the
    // machine's locale.
    bool plausible = name.size() >= 2 && std::isalnum(static_cast<unsigned char>(name[0]));
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) &&
            std::string_view("-_.:").find(c) == std::string_view::npos) {
            plausible = false;
        }
    }
    if (!plausible || !converterExists(name)) return {};
    CodePage page;
    page.converter = name;
    page.name = name;
    return page;
}

}  // namespace

CodePage defaultCodePage() { return makeCodePage(1252); }

std::optional<CodePage> codePageForLanguageDriver(std::uint8_t languageDriver) {
    for (const LanguageDriver& driver : kLanguageDrivers) {
        if (driver.id == languageDriver) return makeCodePage(driver.codePage);
    }
    return {};
}

std::optional<CodePage> codePageForDriverName(std::string_view name) {
    std::string upper = upperTrimmed(name);
    if (upper == "DBWINUS0" || upper == "DBWINWE0" || upper == "DBWINES0") {
        return makeCodePage(1252);
    }
    if (upper.size() < 5 || upper.rfind("DB", 0) != 0) return {};
    auto number = parseNumber(std::string_view(upper).substr(2, 3));
    if (!number || *number < 100) return {};
    CodePage page = makeCodePage(*number);
    if (page.converter.empty() && codePageTitle(*number) == nullptr) return {};
    return page;
}

CodePage codePageNumbered(int number) { return makeCodePage(number); }

std::optional<CodePage> codePageFromCpg(std::string_view text) { return resolveName(text); }

CodePage codePageFromUserName(const std::string& name) {
    std::optional<CodePage> page = resolveName(name);
    if (!page || page->converter.empty()) {
        throw EngineError("Unknown encoding \"" + name +
                          "\": give a code page number (such as 1252 or 866), UTF-8, or another "
                          "encoding name this system can convert.");
    }
    return *page;
}

std::uint8_t languageDriverFor(int codePageNumber) {
    switch (codePageNumber) {
        case 437:
            return 0x01;
        case 850:
            return 0x02;
        case 1252:
            return 0x03;
        case 852:
            return 0x64;
        case 866:
            return 0x65;
        case 1250:
            return 0xC8;
        case 1251:
            return 0xC9;
        default:
            return 0;
    }
}

std::uint8_t languageDriverMarking(int codePageNumber) {
    if (std::uint8_t own = languageDriverFor(codePageNumber); own != 0) return own;
    // 0xF0 is read as UTF-8 where a writer put it, but no reader expects it.
    if (codePageNumber <= 0 || codePageNumber == 65001) return 0;
    for (const LanguageDriver& driver : kLanguageDrivers) {
        if (driver.codePage == codePageNumber) return driver.id;
    }
    return 0;
}

std::vector<CodePage> usualCodePages() {
    std::vector<CodePage> pages;
    for (int number : {437, 850, 852, 866, 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254,
                       1255, 1256, 1257, 1258}) {
        CodePage page = makeCodePage(number);
        if (!page.converter.empty()) pages.push_back(page);
    }
    for (int part = 1; part <= 16; ++part) {
        if (std::optional<CodePage> page = resolveName("ISO-8859-" + std::to_string(part))) {
            pages.push_back(*page);
        }
    }
    pages.push_back(makeCodePage(65001));
    return pages;
}

std::string userNameOf(const CodePage& page) {
    if (page.number == 65001) return "UTF-8";
    return page.number > 0 ? std::to_string(page.number) : page.converter;
}

}  // namespace engine::dbf
