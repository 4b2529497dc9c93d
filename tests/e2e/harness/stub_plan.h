// The plan that a stub program follows, and its text form. Tests write a
// plan beside a stub copy ("<stub without extension>.plan"); the stub reads
// it on every run.
//
// One instruction a line (LF or CR LF):
//   exit 23 23 0                          exit codes of the 1st, 2nd, ... run;
//                                         the last one repeats
//   sleep 1500                            milliseconds to wait before exiting
//   reg HKCU|Software\Key|name|value      write a string value (HKCU or HKLM)
//   file C:\dir\name.txt|content          write a file (directories created)
// In the value of "reg" and the content of "file", %n stands for a line
// feed, %r for a carriage return and %% for a percent sign; everything
// else, backslashes included, is taken as it is. Without a plan a stub
// exits with 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

/// One registry string value that a stub writes.
struct PlannedRegistryValue {
    std::string hive;  ///< "HKCU" or "HKLM"
    std::string key;
    std::string name;
    std::string value;
};

/// One file that a stub writes, byte for byte.
struct PlannedFile {
    std::string path;
    std::string content;
};

/// Everything a stub does on a run: write, sleep, exit.
struct StubPlan {
    std::vector<std::uint32_t> exitCodes;  ///< empty: exit 0
    std::uint32_t sleepMilliseconds = 0;
    std::vector<PlannedRegistryValue> registryValues;
    std::vector<PlannedFile> files;
};

/// Returns the plan's text form.
std::string formatStubPlan(const StubPlan& plan);

/// Returns true and fills plan from its text form, or returns false with a
/// reason in error.
bool parseStubPlan(const std::string& text, StubPlan& plan, std::string& error);

/// Returns the exit code of the run with this 1-based number.
std::uint32_t exitCodeOfRun(const StubPlan& plan, std::size_t run);

/// Returns text with line breaks and percent signs escaped for a plan.
std::string escapePlanText(const std::string& text);

/// Returns the escaped text of a plan with its escapes undone.
std::string unescapePlanText(const std::string& text);

}  // namespace e2e
