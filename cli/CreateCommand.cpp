#include <stdexcept>

#include "cli/CliArguments.h"

namespace cli {

int runCreate(const std::vector<std::string>& /*arguments*/) {
    throw std::runtime_error("this command is not available yet");
}

}  // namespace cli
