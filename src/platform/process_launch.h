// Starting child processes: the installer, always waited for, and the
// agent, waited for or handed over to.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace launcher {

/// An argument vector: element 0 is the program as it appears on the
/// command line, already quoted where its builder wanted quotes.
using ArgVector = std::vector<std::string>;

/// Returns the program file that path designates: the path itself when its
/// last component has a dot (and it exists), else the first of path+".com",
/// ".exe", ".bat", ".cmd" that exists; a path without separator or colon is
/// taken from the current directory only. Empty when nothing is found.
[[nodiscard]] std::string resolveProgramFile(Platform& platform, const std::string& path);

/// What runAndWait returns, and a start reports, for a child that could not
/// be found or created; a child that ends with -1 itself looks the same.
inline constexpr int kStartFailed = -1;

/// Returns the elements joined with single blanks, without added quoting.
[[nodiscard]] std::string joinArgVector(const ArgVector& arguments);

/// Runs the program and waits for it; returns its exit code, or -1 when it
/// cannot be found or started.
[[nodiscard]] int runAndWait(Platform& platform, const std::string& program, const ArgVector& arguments);

/// What startAndExit achieved.
enum class StartResult { HandedOver, Failed };

/// Starts the program without waiting. HandedOver means the child exists
/// and the launcher is to end at once with exit code 0; Failed stands for
/// the result -1.
[[nodiscard]] StartResult startAndExit(Platform& platform, const std::string& program, const ArgVector& arguments);

}  // namespace launcher
