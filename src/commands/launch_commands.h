// The installer and agent commands: the program to start and its argument
// vector, built from the run's settings. Builders check no file; the launch
// sequence tests existence afterwards.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/process_launch.h"

namespace launcher {

/// The commands of a run, as the launch sequence keeps them.
struct LaunchCommands {
    std::string InstallerProgram;  ///< executable installer, or msiexec.exe
    std::string installerImage;    ///< the MSI package (MSI case only)
    ArgVector installerArglist;
    std::string AgentProgram;  ///< the agent's program under its location
    ArgVector agentArglist;
};

/// What the installer commands are built from; fields are named where the
/// bundle is made (designated initializers), so two texts cannot swap.
struct InstallerSettings {
    std::string launcherDir;
    std::string iniInstallerLocation;
    int isSilent = 0;
    std::string nl;
    std::string appDataLocation;
    std::vector<std::string> argInstallerArgs;
    std::vector<std::string> iniInstallerArgs;
};

/// What the agent command is built from, named the same way.
struct AgentSettings {
    std::string refLocation;
    std::string iniManagerLauncher;
    std::string iniManagerLauncherSilent;
    int isSilent = 0;
    int argIsUserAdmin = 0;
    std::string iniIsAdmin;
    std::string inputFile;
    std::string appDataLocation;
    std::string nl;
    std::vector<std::string> argManagerArgs;
    std::vector<std::string> iniManagerArgs;
};

/// Returns true when path has at least 5 characters and ends in ".msi"
/// exactly (lower case).
[[nodiscard]] bool isMsiPackage(const std::string& path);

/// Returns true when path ends in java, javaw, java.exe or javaw.exe
/// (letter case as written), as whole characters.
[[nodiscard]] bool isJavaRuntime(const CodePage& codePage, const std::string& path);

/// Sets InstallerProgram and installerArglist for an executable installer
/// under launcherDir: "/S" when silent, "/L" with the language, and one
/// "/v" element carrying the escaped properties.
void buildInstallerCommand(const CodePage& codePage, const InstallerSettings& settings, LaunchCommands& commands);

/// Sets InstallerProgram (msiexec.exe of the system directory, never one
/// from the current directory or PATH), installerImage and installerArglist.
void buildMsiCommand(Platform& platform, const InstallerSettings& settings, LaunchCommands& commands);

/// Sets AgentProgram and agentArglist in their fixed order: program, the
/// jar of a Java runtime, silent options, -isAdmin, -input, -dataLocation,
/// -nl, then the agent arguments.
void buildAgentCommand(const CodePage& codePage, const AgentSettings& settings, LaunchCommands& commands);

}  // namespace launcher
