#include <stdexcept>

#include "cli/CliArguments.h"

namespace cli {

int runReplace(const std::vector<std::string>& /*arguments*/) {
    throw std::runtime_error("this command is not available yet");
}

}  // namespace cli
