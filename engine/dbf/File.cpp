#include "engine/dbf/File.h"

#include "engine/EngineError.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace engine::dbf {

namespace {

constexpr int kLockAttempts = 20;
constexpr auto kLockDelay = std::chrono::milliseconds(25);

}  // namespace

void File::readExactly(std::uint64_t offset, void* buffer, std::size_t size) const {
    if (readAt(offset, buffer, size) != size) {
        throw EngineError("Cannot read " + path() + ": the file ends sooner than its header says.");
    }
}

bool File::lockWaiting(std::uint64_t offset, std::uint64_t length, LockKind kind) {
    for (int attempt = 1;; ++attempt) {
        if (tryLock(offset, length, kind)) return true;
        if (attempt >= kLockAttempts) return false;
        std::this_thread::sleep_for(kLockDelay);
    }
}

void File::lock(std::uint64_t offset, std::uint64_t length, LockKind kind,
                const std::string& busyMessage) {
    if (!lockWaiting(offset, length, kind)) throw EngineError(busyMessage);
}

std::string errorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text (possibly not in buffer).
    return strerror_r(error, buffer, sizeof buffer);
}

void throwFileError(const std::string& action, const std::string& path, int error) {
    throw EngineError("Cannot " + action + " " + path + ": " + errorText(error) + ".");
}

}  // namespace engine::dbf
