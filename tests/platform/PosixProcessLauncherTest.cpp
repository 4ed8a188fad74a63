#include "platform/PosixProcessLauncher.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Waits (generously) for something a started program does; false when it never happens.
bool eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 2000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// The children of this process that are still in the process table (running or zombie).
int childrenInProcessTable() {
    int count = 0;
    const std::string self = std::to_string(::getpid());
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // pid (comm) state ppid ...: comm may hold spaces, so read after the last ')'.
        std::size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::string state, ppid;
        std::istringstream rest(line.substr(close + 1));
        rest >> state >> ppid;
        if (ppid == self) ++count;
    }
    return count;
}

// An executable that leaves a marker file beside itself and ends at once.
fs::path markerProgram(const testsupport::TempDir& dir, const std::string& name) {
    fs::path program = dir / name;
    std::ofstream(program) << "#!/bin/sh\n: > \"$0.ran\"\n";
    fs::permissions(program, fs::perms::owner_all);
    return program;
}

TEST(PosixProcessLauncherTest, StartsTheProgramAndLeavesNoZombie) {
    testsupport::TempDir dir;
    fs::path program = markerProgram(dir, "tool with space");
    platform::PosixProcessLauncher launcher;
    launcher.start(program.string());
    EXPECT_TRUE(eventually([&] { return fs::exists(program.string() + ".ran"); }));
    EXPECT_TRUE(eventually([] { return childrenInProcessTable() == 0; }))
        << "the finished program was not reaped";
}

TEST(PosixProcessLauncherTest, OtherChildrenAreNotReaped) {
    testsupport::TempDir dir;
    pid_t own = 0;
    char falseProgram[] = "/bin/false";
    char* argv[] = {falseProgram, nullptr};
    ASSERT_EQ(::posix_spawn(&own, falseProgram, nullptr, nullptr, argv, environ), 0);

    fs::path program = markerProgram(dir, "tool");
    platform::PosixProcessLauncher launcher;
    launcher.start(program.string());
    ASSERT_TRUE(eventually([&] { return fs::exists(program.string() + ".ran"); }));

    int status = 0;
    ASSERT_EQ(::waitpid(own, &status, 0), own) << "another child was reaped by the launcher";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(PosixProcessLauncherTest, FailuresNameTheProgramAndTheReason) {
    testsupport::TempDir dir;
    std::ofstream(dir / "plain.txt") << "not a program";
    fs::create_directory(dir / "folder");
    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {(dir / "missing").string(), "No such file or directory"},
        {(dir / "plain.txt").string(), "Permission denied"},
        {(dir / "folder").string(), "Permission denied"},
        {std::string("/bin/true\0x", 11), "zero byte"},
        {"", "no program path"},
    };
    platform::PosixProcessLauncher launcher;
    for (const Case& c : cases) {
        try {
            launcher.start(c.path);
            ADD_FAILURE() << "started " << c.path;
        } catch (const std::runtime_error& error) {
            const std::string what = error.what();
            EXPECT_NE(what.find(c.reason), std::string::npos) << what;
            EXPECT_NE(what.find(c.path.c_str()), std::string::npos) << what;
        }
    }
}

}  // namespace
