#include "launcher/launch_sequence.h"

#include <optional>

#include "commands/launch_commands.h"
#include "config/launcher_ini.h"
#include "discovery/agent_location.h"
#include "launcher/command_line.h"
#include "launcher/effective_settings.h"
#include "launcher/launch_trace.h"
#include "messages/messages.h"
#include "platform/path_utils.h"
#include "platform/process_launch.h"
#include "version/version_compare.h"

namespace launcher {

namespace {

// Every failure after the settings are known: its trace line first, then
// the error box when dialogs are allowed, then the exit code.
struct Failure {
    Platform& platform;
    LauncherState& state;

    int operator()(int exitCode, MessageId messageId, const std::string& text) const {
        return show(exitCode, formatMessage(platform, loadMessage(platform, messageId), text));
    }
    int operator()(int exitCode, MessageId messageId, long number) const {
        return show(exitCode, formatMessage(loadMessage(platform, messageId), number));
    }

private:
    int show(int exitCode, const std::string& text) const {
        if (state.isDialogAllowed == 1) {
            state.traceFile.flush();
            showMessageBox(platform, text, loadMessage(platform, kMsgErrorTitle), BoxIcon::Error);
        }
        return exitCode;
    }
};

int failNoInstaller(const Failure& fail, LauncherState& state) {
    TraceFile& trace = state.traceFile;
    switch (state.mode) {
    case LaunchMode::INSTALL:
        trace.line("Running in INSTALL Mode.  \n");
        trace.line("Agent is not detected on the system. Install cannot continue \n");
        return fail(kExitGiveUp, kMsgAgentNotFound, state.iniManagerVersion);
    case LaunchMode::UNINSTALL:
        trace.line("Running in UNINSTALL Mode.  \n");
        trace.line("Agent is not detected on the system. Uninstall cannot continue \n");
        return fail(kExitGiveUp, kMsgAgentNotFound, state.iniManagerVersion);
    case LaunchMode::EXTENSION:
        trace.line("Running in EXTENSION Mode.  \n");
        trace.line("Agent is not detected on the system. Install cannot continue. \n");
        return fail(kExitGiveUp, kMsgAgentNotFoundExtension, state.iniManagerVersion);
    }
    return kExitGiveUp;
}

// Builds and runs the installer. Returns the run's exit code when the run
// ends here; nothing when it goes on, with restartCode set to the
// installer's code when it succeeded but asked for a restart.
std::optional<int> installAgent(Platform& platform, LauncherState& state, const Failure& fail, int& restartCode) {
    TraceFile& trace = state.traceFile;
    const bool msi = buildInstallerFor(platform, state);
    trace.block("Command to launch agent install");
    trace.list("installerArglist", state.installerArglist);
    if (!installerExists(platform, state, msi)) {
        const std::string& missing = msi ? state.installerImage : state.InstallerProgram;
        trace.line((msi ? "MSI installer image is not found: " : "Installer does not exist: ") + missing + "\n");
        return fail(kExitGiveUp, kMsgInstallerNotFound, missing);
    }

    trace.flush();
    const int rc = runAndWait(platform, state.InstallerProgram, state.installerArglist);
    trace.block("Return code of agent installer");
    trace.value("rc", rc);
    trace.value("InstallerProgram", state.InstallerProgram);
    if (rc == 0 || rc == kInstalledRestartDue || rc == kInstalledRestarting) {
        restartCode = rc;
        return std::nullopt;
    }
    // 232 means a cancel only from an executable installer.
    if (rc == kInstallCancelled || (rc == kSetupCancelled && !msi)) {
        trace.line("Install Cancelled by user \n");
        return rc;
    }
    trace.line("Error installing agent\n");
    return fail(rc, kMsgInstallerFailed, static_cast<long>(rc));
}

// Starts the agent; waited-for runs repeat while the agent asks for it
// with exit code 23.
LaunchOutcome startAgent(Platform& platform, LauncherState& state) {
    if (state.isWait != 1) {
        if (startAndExit(platform, state.AgentProgram, state.agentArglist) == StartResult::HandedOver) {
            return LaunchOutcome{0};
        }
        return LaunchOutcome{kStartFailed};
    }
    int code = runAndWait(platform, state.AgentProgram, state.agentArglist);
    while (code == kAgentAsksRestart) code = runAndWait(platform, state.AgentProgram, state.agentArglist);
    return LaunchOutcome{code};
}

// Identity, INI file, command line, trace and settings. Returns the run's
// outcome when it ends here: no INI file, or the usage box.
std::optional<LaunchOutcome> configure(Platform& platform, LauncherState& state,
                                       const std::vector<CommandArgument>& arguments) {
    resolveLauncherIdentity(platform, arguments.empty() ? std::string() : arguments[0].path.text, state);
    const std::string iniPath = state.launcherDir + state.launcherName + ".ini";
    if (!readLauncherIni(platform, iniPath, state)) {
        // The settings are not known yet: this box is shown even when the
        // run was meant to be silent.
        showMessageBox(platform, formatMessage(platform, loadMessage(platform, kMsgCannotOpenIni), iniPath),
                       std::string(), BoxIcon::Error);
        return LaunchOutcome{kExitGiveUp};
    }
    if (parseCommandLine(arguments, state) == ParseResult::HelpRequested) {
        showUsage(platform, state.launcherName);
        return LaunchOutcome{0};
    }
    TraceFile& trace = state.traceFile;
    if (state.isDebug == 1) {
        trace.open(platform, state.argLogFile);
        writeStartBlocks(trace, state);
    }
    for (const std::string& path : state.pathsWithoutShortForm) tracePathWithoutShortForm(trace, path);
    resolveEffectiveSettings(platform, state);
    writeModeBlock(trace, state);
    return std::nullopt;
}

// Finds the agent, installing it when it is missing or too old. Returns the
// run's exit code when it ends here; nothing when the agent is there, with
// restartCode set to a successful installer's restart code (else 0).
std::optional<int> ensureAgent(Platform& platform, LauncherState& state, const Failure& fail, int& restartCode) {
    TraceFile& trace = state.traceFile;
    lookUpAgent(platform, state);
    writeAgentInfoBlocks(trace, state, "Installed Agent Info");
    if (isAgentRecentEnough(state)) return std::nullopt;
    trace.line("Agent is not installed.  Prepare to install.\n");
    if (state.iniInstallerLocation.empty()) return failNoInstaller(fail, state);
    if (const std::optional<int> ended = installAgent(platform, state, fail, restartCode)) return ended;
    // A source that cannot be opened now keeps the first lookup's location.
    lookUpAgent(platform, state);
    writeAgentInfoBlocks(trace, state, "Installed Agent Info (after install agent) ");
    if (isAgentRecentEnough(state)) return std::nullopt;
    trace.line("Correct agent cannot be found \n");
    return fail(kExitGiveUp, kMsgAgentNotFound, state.iniManagerVersion);
}

LaunchOutcome runSteps(Platform& platform, LauncherState& state, const std::vector<CommandArgument>& arguments) {
    if (const std::optional<LaunchOutcome> ended = configure(platform, state, arguments)) return *ended;
    const Failure fail{platform, state};
    int restartCode = 0;
    if (const std::optional<int> ended = ensureAgent(platform, state, fail, restartCode)) return LaunchOutcome{*ended};

    TraceFile& trace = state.traceFile;
    buildAgentFor(platform, state);
    trace.block("Command to launch agent");
    trace.value("AgentProgram", state.AgentProgram);
    trace.list("agentArglist", state.agentArglist);
    if (!programExists(platform, state.AgentProgram)) {
        trace.line("Agent program cannot be found: " + state.AgentProgram + " \n");
        return LaunchOutcome{fail(kExitGiveUp, kMsgAgentNotFound, state.iniManagerVersion)};
    }
    trace.value("isWait", state.isWait);
    trace.close();
    LaunchOutcome outcome = startAgent(platform, state);
    // Deployment tools read the restart from the exit code: it stands in
    // for a 0, and any other outcome keeps its own code.
    if (outcome.exitCode == 0) outcome.exitCode = restartCode;
    return outcome;
}

}  // namespace

bool isAgentRecentEnough(const LauncherState& state) {
    return !state.refVersion.empty() && compareVersions(state.refVersion, state.iniManagerVersion) >= 0;
}

void lookUpAgent(Platform& platform, LauncherState& state, LookupRecord* record) {
    const AgentSources sources{.iniManagerLocationKey = state.iniManagerLocationKey,
                               .iniManagerLocationFile = state.iniManagerLocationFile,
                               .isUserAdmin = state.isUserAdmin,
                               .launcherDir = state.launcherDir};
    findInstalledAgent(platform, state.traceFile, sources, state, record);
}

bool buildInstallerFor(Platform& platform, LauncherState& state) {
    const bool msi = isMsiPackage(state.iniInstallerLocation);
    const InstallerSettings settings{.launcherDir = state.launcherDir,
                                     .iniInstallerLocation = state.iniInstallerLocation,
                                     .isSilent = state.isSilent,
                                     .nl = state.nl,
                                     .appDataLocation = state.appDataLocation,
                                     .argInstallerArgs = state.argInstallerArgs,
                                     .iniInstallerArgs = state.iniInstallerArgs};
    if (msi) {
        buildMsiCommand(platform, settings, state);
    } else {
        buildInstallerCommand(platform.systemCodePage(), settings, state);
    }
    return msi;
}

bool installerExists(Platform& platform, const LauncherState& state, bool msi) {
    return msi ? pathExists(platform, state.installerImage) : programExists(platform, state.InstallerProgram);
}

void buildAgentFor(Platform& platform, LauncherState& state) {
    const AgentSettings settings{.refLocation = state.refLocation,
                                 .iniManagerLauncher = state.iniManagerLauncher,
                                 .iniManagerLauncherSilent = state.iniManagerLauncherSilent,
                                 .isSilent = state.isSilent,
                                 .argIsUserAdmin = state.argIsUserAdmin,
                                 .iniIsAdmin = state.iniIsAdmin,
                                 .inputFile = state.inputFile,
                                 .appDataLocation = state.appDataLocation,
                                 .nl = state.nl,
                                 .argManagerArgs = state.argManagerArgs,
                                 .iniManagerArgs = state.iniManagerArgs};
    buildAgentCommand(platform.systemCodePage(), settings, state);
}

// LAUNCHER=eclipse\agent is not reported missing while eclipse\agent.exe
// is there to be started.
bool programExists(Platform& platform, const std::string& program) {
    return pathExists(platform, program) || !resolveProgramFile(platform, program).empty();
}

void resolveLauncherIdentity(Platform& platform, const std::string& programName, LauncherIdentity& identity) {
    std::string found = findProgram(platform, programName);
    if (found.empty()) found = findProgram(platform, programName + ".exe");
    const CodePage codePage = platform.systemCodePage();
    identity.launcherFullPath = found;
    identity.launcherDir = directoryPart(codePage, found);
    identity.launcherFile = filePart(codePage, found);
    identity.launcherName = stripExtension(codePage, identity.launcherFile);
}

LaunchOutcome runLaunchSequence(Platform& platform, LauncherState& state,
                                const std::vector<CommandArgument>& arguments) {
    const LaunchOutcome outcome = runSteps(platform, state, arguments);
    state.traceFile.close();
    return outcome;
}

}  // namespace launcher
