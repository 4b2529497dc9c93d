// The one record of a run: identity, INI values, command-line values,
// effective settings, discovery results, commands and the trace, in that
// order. Each subsystem fills its own part; the fields keep the names of
// the trace's labels, so "Manager" in them means the agent (see the
// glossary in docs/design.md). The flags hold 0 or 1 and are int like the
// record's other numbers; the trace prints them as numbers ("isWait: (1)")
// through TraceFile::value, which would print a bool as 1 or 0 just the same.
#pragma once

#include <string>
#include <vector>

#include "commands/launch_commands.h"
#include "config/launcher_ini.h"
#include "discovery/agent_location.h"
#include "messages/trace_file.h"

namespace launcher {

/// Who the launcher is: found from argument 0.
struct LauncherIdentity {
    std::string launcherFullPath;  ///< empty when the lookup found no file
    std::string launcherDir;       ///< ends with a backslash, or is empty
    std::string launcherFile;
    std::string launcherName;  ///< names the INI file and the usage box
};

/// What the command line said.
struct CommandLineValues {
    std::string argInputFile;
    std::string argLogFile;
    int argIsSilent = 0;
    int argIsUserAdmin = 0;
    int isDebug = 0;  ///< -log was given with a value
    int isWait = 0;   ///< also forced on by silent operation
    std::string argAppDataLocation;
    std::string argNL;
    int argLicenseAccepted = 0;
    std::vector<std::string> argInstallerArgs;
    std::vector<std::string> argManagerArgs;
    /// Path values that cannot be named (see SpelledPath), for the trace.
    std::vector<std::string> pathsWithoutShortForm;
};

/// The settings that the rest of the run reads, merged from both sources.
struct EffectiveSettings {
    int isSilent = 0;
    int isDialogAllowed = 1;
    int isUserAdmin = 0;
    int isLicenseAccepted = 0;
    std::string appDataLocation;
    std::string nl;
    std::string inputFile;  ///< absolute and normalised, or empty
};

/// The process-wide record of a run.
struct LauncherState : LauncherIdentity,
                       IniValues,
                       CommandLineValues,
                       EffectiveSettings,
                       AgentDiscovery,
                       LaunchCommands {
    TraceFile traceFile;  ///< open from after the command line until the agent starts
};

}  // namespace launcher
