#include "platform/PosixProcessLauncher.h"

#include <cerrno>
#include <cstring>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {

namespace {

// Owns a posix_spawnattr_t for the length of one start.
class SpawnAttributes {
public:
    SpawnAttributes() {
        if (int error = posix_spawnattr_init(&m_attributes); error != 0) {
            throw std::runtime_error(std::string("Cannot prepare to start a program: ") +
                                     std::strerror(error));
        }
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&m_attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes{};
};

void reap(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

void PosixProcessLauncher::start(const std::string& programPath) {
    if (programPath.empty()) {
        throw std::runtime_error("Cannot start a program: no program path was given.");
    }
    if (programPath.find('\0') != std::string::npos) {
        throw std::runtime_error("Cannot start the program \"" + std::string(programPath.c_str()) +
                                 "\": its path holds a zero byte.");
    }

    // The child starts with every signal at its default action and none blocked, whatever the
    // application set up for itself.
    SpawnAttributes attributes;
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(attributes.get(), &all);
    posix_spawnattr_setsigmask(attributes.get(), &none);
    posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv{const_cast<char*>(programPath.c_str()), nullptr};
    pid_t child = 0;
    // posix_spawn (not posix_spawnp): the path names the program itself, never a search.
    int error =
        ::posix_spawn(&child, programPath.c_str(), nullptr, attributes.get(), argv.data(), environ);
    if (error != 0) {
        throw std::runtime_error("Cannot start the program \"" + programPath +
                                 "\": " + std::strerror(error) + ".");
    }
    try {
        std::thread(reap, child).detach();
    } catch (const std::system_error&) {
        // The program runs; without a thread to wait for it, it stays a zombie after it ends
        // until the application exits. That is no reason to report the start as failed.
    }
}

}  // namespace platform
