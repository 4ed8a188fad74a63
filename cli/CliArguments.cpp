#include "cli/CliArguments.h"

#include <algorithm>

namespace cli {

std::string CliArguments::option(const std::string& name, const std::string& fallback) const {
    auto range = options.equal_range(name);
    if (range.first == range.second) return fallback;
    return std::prev(range.second)->second;
}

std::vector<std::string> CliArguments::optionValues(const std::string& name) const {
    std::vector<std::string> values;
    auto range = options.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) values.push_back(it->second);
    return values;
}

CliArguments parseArguments(const std::vector<std::string>& arguments,
                            const std::vector<std::string>& knownOptions,
                            const std::vector<std::string>& knownFlags) {
    CliArguments result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.rfind("--", 0) != 0 || argument == "--") {
            result.positional.push_back(argument);
            continue;
        }
        std::string name = argument.substr(2);
        if (std::find(knownFlags.begin(), knownFlags.end(), name) != knownFlags.end()) {
            result.options.emplace(name, "");
            continue;
        }
        std::string value;
        if (std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            throw UsageError("option --" + name + " needs a value");
        }
        if (std::find(knownOptions.begin(), knownOptions.end(), name) == knownOptions.end()) {
            throw UsageError("unknown option --" + name);
        }
        result.options.emplace(name, value);
    }
    return result;
}

}  // namespace cli
