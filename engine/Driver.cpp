#include "engine/Driver.h"

#include "base/AsciiCase.h"
#include "engine/EngineError.h"
#include "engine/dbf/FileNames.h"

namespace engine {

namespace {

std::string trimmed(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

Driver parseDriver(const std::string& connect) {
    std::string text = trimmed(connect);
    if (text.empty()) {
        throw EngineError(
            "No database driver was given: the connect text is empty (use "
            "\"dBASE III;\", \"dBASE IV;\", \"dBASE V;\" or \"Excel 8.0;\").");
    }
    std::size_t semicolon = text.find(';');
    std::string name = trimmed(text.substr(0, semicolon));
    std::string rest = semicolon == std::string::npos ? "" : trimmed(text.substr(semicolon + 1));
    struct Known {
        const char* name;
        Driver driver;
    };
    static constexpr Known kKnown[] = {
        {"dBASE III", Driver::DbaseIII}, {"dBASE IV", Driver::DbaseIV}, {"dBASE V", Driver::DbaseV},
        {"dBASE 5.0", Driver::DbaseV},   {"Excel 8.0", Driver::Excel},
    };
    for (const Known& known : kKnown) {
        if (!base::equalsIgnoringCase(name, known.name)) continue;
        if (!rest.empty() && rest != ";") {
            throw EngineError("The connect text \"" + connect + "\" has options (" + rest +
                              ") that this program does not support.");
        }
        return known.driver;
    }
    throw EngineError("Unknown database driver \"" + name + "\" in the connect text \"" + connect +
                      "\" (use \"dBASE III;\", \"dBASE IV;\", \"dBASE V;\" or \"Excel 8.0;\").");
}

}  // namespace engine
