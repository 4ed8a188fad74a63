// The command line of quillon-cli, split into positional arguments and options.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A usage mistake; main prints its description and the usage text.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CliArguments {
    std::vector<std::string> positional;
    // Options that take one value ("--encoding NAME"); a repeated option keeps every value.
    std::multimap<std::string, std::string> options;

    // The option's last value, or fallback when it was not given.
    std::string option(const std::string& name, const std::string& fallback = {}) const;
    std::vector<std::string> optionValues(const std::string& name) const;
    bool has(const std::string& name) const { return options.count(name) != 0; }
};

// Splits arguments after the command name. Every option takes a value; "--name=value" and
// "--name value" are both accepted. Flags (knownFlags, "--with-deleted") take none and are kept
// with the value "". Throws UsageError for an option without a value or one not known.
CliArguments parseArguments(const std::vector<std::string>& arguments,
                            const std::vector<std::string>& knownOptions,
                            const std::vector<std::string>& knownFlags = {});

// Each command returns the process's exit status; failures throw (std::exception's what() is
// printed on standard error and the status is 1).
int runInfo(const std::vector<std::string>& arguments);
int runDump(const std::vector<std::string>& arguments);
int runReplace(const std::vector<std::string>& arguments);
int runExport(const std::vector<std::string>& arguments);
int runCreate(const std::vector<std::string>& arguments);
// check: 0 when the table is sound, 3 when it found problems (each on its own line).
int runCheck(const std::vector<std::string>& arguments);
// repair: 0 when the table is sound afterwards, 3 when problems it cannot mend are left.
int runRepair(const std::vector<std::string>& arguments);
int runRecall(const std::vector<std::string>& arguments);
int runPack(const std::vector<std::string>& arguments);
int runCodePage(const std::vector<std::string>& arguments);
int runImport(const std::vector<std::string>& arguments);

}  // namespace cli
