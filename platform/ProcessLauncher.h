// Starting another program as a separate process, without a shell and without waiting for it.
#pragma once

#include <string>

namespace platform {

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts the program at this path. Throws std::runtime_error with a description when it
    // cannot be started.
    virtual void start(const std::string& programPath) = 0;
};

}  // namespace platform
