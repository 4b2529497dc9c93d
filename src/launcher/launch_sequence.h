// The launcher's whole decision flow, from its identity to the exit code.
// It never ends the process itself: it returns the outcome to the entry
// point, so every path can run in-process against a test platform.
#pragma once

#include <string>
#include <vector>

#include "launcher/launcher_state.h"
#include "platform/platform.h"

namespace launcher {

/// How a run ended.
struct LaunchOutcome {
    int exitCode = 0;
    bool handedOver = false;  ///< the agent runs on; the launcher ends with 0
};

/// Returns true when an installed agent version was found and it is at
/// least the required one (the installed test before and after installing).
bool isAgentRecentEnough(const LauncherState& state);

/// Fills the identity fields from argument 0: findProgram on it, or on it
/// with ".exe" appended; all four stay empty when both lookups fail.
void resolveLauncherIdentity(Platform& platform, const std::string& programName, LauncherIdentity& identity);

/// Runs the launch sequence on the arguments (element 0 is the program
/// name as given) and returns the process's exit code.
LaunchOutcome runLaunchSequence(Platform& platform, LauncherState& state, const std::vector<std::string>& arguments);

}  // namespace launcher
