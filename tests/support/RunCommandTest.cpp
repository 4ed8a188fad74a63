#include "tests/support/RunCommand.h"

#include <gtest/gtest.h>

namespace testsupport {
namespace {

TEST(RunCommand, CapturesOutputAndExitStatusOfSystemPython) {
    CommandResult result = runPython("import sys; print(sys.stdin.read().upper()); sys.exit(3)");
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.out, "\n");
    CommandResult echoed =
        runCommand(kSystemPython, {"-c", "import sys; print(sys.stdin.read())"}, "abc");
    EXPECT_EQ(echoed.out, "abc\n");
}

TEST(RunCommand, IndependentReadersAreInstalled) {
    CommandResult result = runPython("import dbfread, dbf, xlrd; print('ok')");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "ok\n");
    EXPECT_EQ(runCommand("pgdbf", {"-h"}).exitStatus, 0);
}

}  // namespace
}  // namespace testsupport
