// Running a program as a user or a script would: a chosen program file, a
// chosen raw command line and current directory. Its message boxes are
// recorded and closed while it runs, and its full 32-bit exit code is read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "harness/box_capture.h"

namespace e2e {

/// How to start a program.
struct RunSpec {
    std::string application;       ///< the program file; empty: from the command line
    std::string commandLine;       ///< passed as it is: argument 0 included
    std::string currentDirectory;  ///< empty: the tests' own
    std::uint32_t timeoutMilliseconds = 30000;
    /// Windows environment variables set for the program on top of the
    /// tests' own ("NAME=value"). Wine takes its own settings (LC_ALL,
    /// WINE*) from the Unix environment, not from here.
    std::vector<std::string> environment;
};

/// What came of a run.
struct RunResult {
    bool started = false;
    bool timedOut = false;   ///< the program was killed after the time-out
    std::int32_t exitCode = 0;  ///< all 32 bits, as GetExitCodeProcess gives them
    std::vector<SeenBox> boxes;
    std::uint32_t processId = 0;
};

/// A process that a program started and that is still running.
struct ChildProcess {
    std::uint32_t id;
    std::string fileName;  ///< the program file's name, without its folder
};

/// Runs the program to its end, closing its message boxes with OK. A
/// program that cannot be started or runs past the time-out fails the
/// current test.
RunResult runProgram(const RunSpec& spec);

/// Returns the running processes that the process of this id started.
std::vector<ChildProcess> runningChildren(std::uint32_t parentId);

/// Ends the process and waits until it is gone.
void endProcess(std::uint32_t id);

}  // namespace e2e
