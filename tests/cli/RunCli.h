// quillon-cli run for a test, as a separate process; the test target defines QUILLON_CLI as the
// program's path.
#pragma once

#include "tests/support/RunCommand.h"

#include <string>
#include <vector>

namespace clitest {

inline testsupport::CommandResult cli(const std::vector<std::string>& arguments) {
    return testsupport::runCommand(QUILLON_CLI, arguments);
}

}  // namespace clitest
