// The launcher's whole decision flow, from its identity to the exit code.
// It never ends the process itself: it returns the outcome to the entry
// point, so every path can run in-process against a test platform.
#pragma once

#include <string>
#include <vector>

#include "launcher/command_line.h"
#include "launcher/launcher_state.h"
#include "platform/platform.h"

namespace launcher {

/// Exit codes that the launcher gives, or reads from its children.
inline constexpr int kExitGiveUp = 1;              ///< the launcher gave up (with its error box)
inline constexpr int kAgentAsksRestart = 23;       ///< the waited-for agent wants to be started again
inline constexpr int kSetupCancelled = 232;        ///< an executable installer was cancelled
inline constexpr int kInstallCancelled = 1602;     ///< the user cancelled the installation
inline constexpr int kInstalledRestartDue = 3010;  ///< installed; a restart is required
inline constexpr int kInstalledRestarting = 1641;  ///< installed; a restart was started

/// How a run ended.
struct LaunchOutcome {
    int exitCode = 0;
};

/// Returns true when an installed agent version was found and it is at
/// least the required one (the installed test before and after installing).
[[nodiscard]] bool isAgentRecentEnough(const LauncherState& state);

/// Looks the installed agent up with the state's INI values and settings,
/// into refLocation and refVersion; notes what it read in record when given.
void lookUpAgent(Platform& platform, LauncherState& state, LookupRecord* record = nullptr);

/// Builds the installer command of state: buildMsiCommand for an MSI
/// package, else buildInstallerCommand. Returns true for a package.
bool buildInstallerFor(Platform& platform, LauncherState& state);

/// Returns true when the installer can run: the package exists (MSI), or
/// the executable installer is a program that a start would find.
[[nodiscard]] bool installerExists(Platform& platform, const LauncherState& state, bool msi);

/// Builds the agent command of state with buildAgentCommand.
void buildAgentFor(Platform& platform, LauncherState& state);

/// Returns true when the program exists, or when a start would find it
/// with one of the extensions it tries (.com, .exe, .bat, .cmd).
[[nodiscard]] bool programExists(Platform& platform, const std::string& program);

/// Fills the identity fields from argument 0: findProgram on it, or on it
/// with ".exe" appended; all four stay empty when both lookups fail.
void resolveLauncherIdentity(Platform& platform, const std::string& programName, LauncherIdentity& identity);

/// Runs the launch sequence on the arguments (element 0 is the program
/// name as given) and returns the process's exit code.
[[nodiscard]] LaunchOutcome runLaunchSequence(Platform& platform, LauncherState& state,
                                              const std::vector<CommandArgument>& arguments);

}  // namespace launcher
