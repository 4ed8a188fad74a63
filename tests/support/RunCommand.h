// Runs another program for a test (an independent reader, the command-line tool) and captures
// what it printed.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct CommandResult {
    int exitStatus = -1;  // the exit code, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program with arguments, without a shell, and waits for it. stdinText is written to its
// standard input.
CommandResult runCommand(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& stdinText = {});

// Starts program with arguments (its output thrown away), lets it run for milliseconds, then
// kills it with SIGKILL, as a crash or a power cut would stop it, and waits for it to go.
void killAfter(const std::string& program, const std::vector<std::string>& arguments,
               int milliseconds);

// Debian's Python, which owns the python3-dbfread, python3-dbf and python3-xlrd packages
// (the python3 first on PATH may be another one).
inline constexpr const char* kSystemPython = "/usr/bin/python3";

// Runs a Python script (its text) with Debian's Python; arguments reach it as sys.argv[1:].
CommandResult runPython(const std::string& script, const std::vector<std::string>& arguments = {});

}  // namespace testsupport
