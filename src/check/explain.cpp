#include "check/explain.h"

#include "commands/launch_commands.h"
#include "launcher/command_line.h"
#include "launcher/effective_settings.h"
#include "launcher/launch_sequence.h"
#include "messages/messages.h"
#include "platform/path_utils.h"
#include "platform/process_launch.h"

namespace launcher::check {

namespace {

void programFile(Platform& platform, const std::string& program, Section& out) {
    const std::string file = resolveProgramFile(platform, program);
    out.text("programFile", file, file.empty() ? "none: the start would fail with -1" : std::string());
}

void settingsSection(const LauncherState& state, const std::vector<std::string>& options, Section& out) {
    out.list("arguments", options);
    out.number("isSilent", state.isSilent);
    out.number("isWait", state.isWait);
    out.number("isDialogAllowed", state.isDialogAllowed);
    out.number("isUserAdmin", state.isUserAdmin);
    out.number("isLicenseAccepted", state.isLicenseAccepted);
    out.text("appDataLocation", state.appDataLocation);
    out.text("nl", state.nl);
    out.text("inputFile", state.inputFile);
    out.text("mode", launchModeName(state.mode));
    out.text("trace", state.isDebug == 1 ? state.argLogFile : std::string(),
             state.isDebug == 1 ? "not written by launcher-check" : "no -log option");
}

// Looks the agent up with the launcher's own lookup, and shows what it
// read, as the lookup notes it.
void locationSection(Platform& platform, LauncherState& state, Section& out) {
    const std::string source = !state.iniManagerLocationKey.empty()    ? "registry"
                               : !state.iniManagerLocationFile.empty() ? "reference file"
                                                                       : "none";
    out.text("source", source);
    out.number("isAdmin", platform.isUserAnAdmin(), "the user's token holds the Administrators group");
    LookupRecord record;
    lookUpAgent(platform, state, &record);
    if (source == "registry") {
        out.text("registryKey", record.registryKey);
        out.text("registryValue", "location");
    }
    if (source == "reference file") out.text("refFile", record.refFile);
    out.text("configFile", record.configFile);
    out.text("appDataDir", record.appDataDir);
    out.text("installedXml", record.installedXml);
    out.text("refLocation", state.refLocation);
    out.text("refVersion", state.refVersion);
    out.text("iniManagerVersion", state.iniManagerVersion);
    std::string why = "no installed version was found";
    if (isAgentRecentEnough(state)) {
        why = state.refVersion + " is at least the required version";
    } else if (!state.refVersion.empty()) {
        why = state.refVersion + " is older than " + state.iniManagerVersion;
    }
    out.flag("agentFound", isAgentRecentEnough(state), why);
}

// Returns whether the installer (or package) exists.
bool installerSection(Platform& platform, LauncherState& state, Section& out) {
    const bool runs = !isAgentRecentEnough(state);
    out.flag("runs", runs, runs ? "the agent is missing or too old" : "the agent is installed");
    if (state.iniInstallerLocation.empty()) {
        out.text("kind", "none", "no installer is configured");
        return false;
    }
    const bool msi = buildInstallerFor(platform, state);
    const std::string& tested = msi ? state.installerImage : state.InstallerProgram;
    const bool exists = installerExists(platform, state, msi);
    out.text("kind", msi ? "msi" : "executable", msi ? "an MSI package, run by msiexec.exe" : std::string());
    out.text("InstallerProgram", state.InstallerProgram);
    if (msi) out.text("installerImage", state.installerImage);
    out.flag("exists", exists, (msi ? "the package " : "the program ") + tested);
    programFile(platform, state.InstallerProgram, out);
    out.list("installerArglist", state.installerArglist);
    out.text("commandLine", joinArgVector(state.installerArglist));
    return exists;
}

bool agentSection(Platform& platform, LauncherState& state, Section& out) {
    buildAgentFor(platform, state);
    const bool exists = programExists(platform, state.AgentProgram);
    out.text("AgentProgram", state.AgentProgram,
             isAgentRecentEnough(state)
                 ? std::string()
                 : "built with the location known now; after installing, the launcher looks it up again");
    out.flag("exists", exists);
    programFile(platform, state.AgentProgram, out);
    out.list("agentArglist", state.agentArglist);
    out.text("commandLine", joinArgVector(state.agentArglist));
    out.flag("waits", state.isWait == 1,
             state.isWait == 1 ? "waits for the agent, and starts it again while it exits with code " +
                                     std::to_string(kAgentAsksRestart)
                               : std::string("hands over: the launcher ends once the agent runs"));
    return exists;
}

void outcomeSection(const LauncherState& state, bool installerExists, bool agentExists, Section& out) {
    const auto failure = [&](int id, const char* why) {
        out.text("result", "fail", why);
        out.number("message", id, state.isDialogAllowed == 1 ? "shown in an error box" : "not shown (silent)");
        out.number("exitCode", kExitGiveUp);
    };
    if (isAgentRecentEnough(state)) {
        if (!agentExists) {
            failure(kMsgAgentNotFound, "the agent program cannot be found");
        } else if (state.isWait == 1) {
            out.text("result", "start-agent", "starts the agent and waits for it");
            out.none("exitCode",
                     "the agent's last exit code (" + std::to_string(kStartFailed) + " when it cannot start)");
        } else {
            out.text("result", "start-agent", "starts the agent and ends at once");
            out.number("exitCode", 0, std::to_string(kStartFailed) + " when the agent cannot start");
        }
    } else if (state.iniInstallerLocation.empty()) {
        failure(state.mode == LaunchMode::EXTENSION ? kMsgAgentNotFoundExtension : kMsgAgentNotFound,
                "no installer is configured");
    } else if (!installerExists) {
        failure(kMsgInstallerNotFound, "the installer cannot be found");
    } else {
        out.text("result", "install",
                 "runs the installer and waits for it; with exit code 0, or " + std::to_string(kInstalledRestartDue) +
                     " or " + std::to_string(kInstalledRestarting) +
                     " (success, restart needed), it looks for the agent again and starts it; " +
                     std::to_string(kInstallCancelled) + " (and " + std::to_string(kSetupCancelled) +
                     " from an executable installer) end the run as cancelled; any other code is an error");
        out.none("exitCode",
                 "the installer's code, or as when the agent is installed; a restart code in place of a "
                 "final 0");
    }
}

}  // namespace

Explanation explainRun(Platform& platform, const std::string& launcherPath, const std::vector<std::string>& options) {
    Explanation explanation;
    LauncherState state;
    resolveLauncherIdentity(platform, launcherPath, state);
    Section launcher{"launcher", {}};
    const bool found = !state.launcherFullPath.empty();
    // Not found: explained as if the launcher stood at the path given.
    if (!found) setLauncherIdentity(platform.systemCodePage(), launcherPath, state);
    const std::string iniPath = state.launcherDir + state.launcherName + ".ini";
    launcher.text(
        "launcherFullPath", state.launcherFullPath,
        found ? std::string() : "no launcher program of this name in the image; explained as if it stood there");
    launcher.text("launcherDir", state.launcherDir);
    launcher.text("launcherName", state.launcherName);
    launcher.text("iniFile", iniPath);
    explanation.sections.push_back(launcher);
    if (!readLauncherIni(platform, iniPath, state)) {
        explanation.error = "the INI file " + iniPath +
                            " cannot be opened: the launcher shows an error and exits with " +
                            std::to_string(kExitGiveUp);
        return explanation;
    }

    std::vector<CommandArgument> arguments{launcherPath};
    arguments.insert(arguments.end(), options.begin(), options.end());
    Section outcome{"outcome", {}};
    if (parseCommandLine(arguments, state) == ParseResult::HelpRequested) {
        outcome.text("result", "usage", "shows its usage box");
        outcome.number("exitCode", 0);
        explanation.sections.push_back(outcome);
        return explanation;
    }
    resolveEffectiveSettings(platform, state);
    Section settings{"settings", {}};
    settingsSection(state, options, settings);
    Section location{"agentLocation", {}};
    locationSection(platform, state, location);
    Section installer{"installer", {}};
    const bool installerExists = installerSection(platform, state, installer);
    Section agent{"agent", {}};
    const bool agentExists = agentSection(platform, state, agent);
    outcomeSection(state, installerExists, agentExists, outcome);
    explanation.sections.insert(explanation.sections.end(), {settings, location, installer, agent, outcome});
    return explanation;
}

}  // namespace launcher::check
