// The Windows Installer program of the system directory replaced by the stub
// program for the life of an object, so that tests choose its exit codes and
// read the command lines it was given. Wine prefers its builtin msiexec.exe
// to any file in the system directory; a DLL override in the prefix's
// registry makes it run the stub instead. Both the file and the override are
// put back when the object goes, and an object left over from a run that
// was killed is cleaned up when the next one is made.
#pragma once

#include <string>
#include <vector>

#include "harness/stub_plan.h"

namespace e2e {

/// Returns the system directory, without a trailing backslash.
std::string systemDirectory();

/// Returns the path of msiexec.exe in the system directory.
std::string systemMsiexec();

class StubbedSystemMsiexec {
public:
    explicit StubbedSystemMsiexec(const StubPlan& plan);
    ~StubbedSystemMsiexec();
    StubbedSystemMsiexec(const StubbedSystemMsiexec&) = delete;
    StubbedSystemMsiexec& operator=(const StubbedSystemMsiexec&) = delete;

    /// Returns the command lines the stub was started with, in order.
    std::vector<std::string> calls() const;
};

}  // namespace e2e
