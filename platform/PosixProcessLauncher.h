// The Linux process starter: posix_spawn, no shell, no waiting.
#pragma once

#include "platform/ProcessLauncher.h"

namespace platform {

// Starts the program directly (the path is the program, not a command line) with the
// application's environment, a default signal set-up and an empty signal mask, and returns at
// once. A detached thread waits for that one child, so it never lingers as a zombie and no other
// child of the application is reaped by mistake.
class PosixProcessLauncher : public ProcessLauncher {
public:
    // Throws std::runtime_error, naming the program and the system's reason, when the path is
    // empty or holds a zero byte, or when the program cannot be started (missing, not executable,
    // not a program).
    void start(const std::string& programPath) override;
};

}  // namespace platform
