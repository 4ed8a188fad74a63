// A process starter for tests: records each start and fails on request.
#pragma once

#include "platform/ProcessLauncher.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

class FakeLauncher : public platform::ProcessLauncher {
public:
    std::vector<std::string> started;
    // When set, start() throws std::runtime_error with this text (and records nothing).
    std::optional<std::string> failure;

    void start(const std::string& programPath) override {
        if (failure) throw std::runtime_error(*failure);
        started.push_back(programPath);
    }
};

}  // namespace testsupport
