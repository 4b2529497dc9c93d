#include "check/explain.h"

#include <set>

#include "commands/launch_commands.h"
#include "launcher/command_line.h"
#include "launcher/effective_settings.h"
#include "launcher/launch_sequence.h"
#include "platform/path_utils.h"
#include "platform/process_launch.h"

namespace launcher::check {

namespace {

// The name under which the lookup's trace is kept in memory.
constexpr const char* kLookupTrace = "launcher-check lookup trace";

const char* yesNo(bool value) { return value ? "yes" : "no"; }

std::string programFile(Platform& platform, const std::string& program) {
    const std::string file = resolveProgramFile(platform, program);
    return file.empty() ? "none: the start would fail with -1" : file;
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
    out.text("trace", state.isDebug == 1 ? state.argLogFile + " (not written now)" : "none");
}

// Looks the agent up with the launcher's own lookup, and shows the values
// that its trace records.
void locationSection(ReadOnlyPlatform& platform, LauncherState& state, Section& out) {
    const std::string source = !state.iniManagerLocationKey.empty()    ? "registry"
                               : !state.iniManagerLocationFile.empty() ? "reference file"
                                                                       : "none";
    out.text("source", source);
    if (source == "registry") {
        out.text("registryKey", std::string(state.isUserAdmin ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
                                    state.iniManagerLocationKey + " (value \"location\")");
    }
    TraceFile trace;
    trace.open(platform, kLookupTrace);
    const AgentSources sources{state.iniManagerLocationKey, state.iniManagerLocationFile, state.isUserAdmin,
                               state.launcherDir};
    findInstalledAgent(platform, trace, sources, state);
    trace.close();

    const std::string& text = platform.captured().at(kLookupTrace);
    std::set<std::string> seen;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.ends_with('\r')) line.pop_back();
        const std::size_t open = line.find(": (");
        if (open == std::string::npos || !line.ends_with(')')) continue;
        const std::string label = line.substr(0, open);
        if (seen.insert(label).second) out.text(label, line.substr(open + 3, line.size() - open - 4));
    }
    out.text("refLocation", state.refLocation);
    out.text("refVersion", state.refVersion);
    out.text("iniManagerVersion", state.iniManagerVersion);
    std::string found = "no: no installed version was found";
    if (isAgentRecentEnough(state)) {
        found = "yes: " + state.refVersion + " is at least the required version";
    } else if (!state.refVersion.empty()) {
        found = "no: " + state.refVersion + " is older than " + state.iniManagerVersion;
    }
    out.text("agentFound", found);
}

// Returns whether the installer (or package) exists.
bool installerSection(Platform& platform, LauncherState& state, Section& out) {
    out.text("runs", isAgentRecentEnough(state) ? "no: the agent is installed" : "yes: the agent is missing or too old");
    if (state.iniInstallerLocation.empty()) {
        out.text("kind", "none configured");
        return false;
    }
    const bool msi = buildInstallerFor(platform, state);
    const std::string& tested = msi ? state.installerImage : state.InstallerProgram;
    const bool exists = installerExists(platform, state, msi);
    out.text("kind", msi ? "MSI package" : "executable installer");
    out.text("InstallerProgram", state.InstallerProgram);
    if (msi) out.text("installerImage", state.installerImage);
    out.text("exists", std::string(yesNo(exists)) + " (" + tested + ")");
    out.text("programFile", programFile(platform, state.InstallerProgram));
    out.list("installerArglist", state.installerArglist);
    out.text("commandLine", joinArgVector(state.installerArglist));
    return exists;
}

bool agentSection(Platform& platform, LauncherState& state, Section& out) {
    buildAgentFor(platform, state);
    const bool exists = programExists(platform, state.AgentProgram);
    if (!isAgentRecentEnough(state)) {
        out.text("note", "built with the location known now; after installing, the launcher looks it up again");
    }
    out.text("AgentProgram", state.AgentProgram);
    out.text("exists", yesNo(exists));
    out.text("programFile", programFile(platform, state.AgentProgram));
    out.list("agentArglist", state.agentArglist);
    out.text("commandLine", joinArgVector(state.agentArglist));
    out.text("start", state.isWait == 1 ? "waits for the agent, and starts it again while it exits with code 23"
                                        : "hands over: the launcher ends with code 0 once the agent runs");
    return exists;
}

void outcomeSection(const LauncherState& state, bool installerExists, bool agentExists, Section& out) {
    const auto failure = [&](const char* id, const char* why) {
        return std::string("fails: ") + why + "; message " + id +
               (state.isDialogAllowed == 1 ? " in an error box" : ", not shown (silent)");
    };
    std::string result;
    std::string code = "1";
    if (isAgentRecentEnough(state)) {
        if (!agentExists) {
            result = failure("2011", "the agent program cannot be found");
        } else if (state.isWait == 1) {
            result = "starts the agent and waits for it";
            code = "the agent's last exit code (-1 when it cannot start)";
        } else {
            result = "starts the agent and ends at once";
            code = "0 (-1 when the agent cannot start)";
        }
    } else if (state.iniInstallerLocation.empty()) {
        result = failure(state.mode == LaunchMode::EXTENSION ? "2017" : "2011", "no installer is configured");
    } else if (!installerExists) {
        result = failure("2013", "the installer cannot be found");
    } else {
        result = "runs the installer and waits; with exit code 0, or 3010 or 1641 (success, restart needed), it "
                 "looks for the agent again and starts it, 1602 (and 232 from an executable installer) end the run "
                 "as cancelled, any other code is an error";
        code = "the installer's code, or as when the agent is installed; a restart code in place of a final 0";
    }
    out.text("result", result);
    out.text("exitCode", code);
}

}  // namespace

Explanation explainRun(ReadOnlyPlatform& platform, const std::string& launcherPath,
                       const std::vector<std::string>& options) {
    Explanation explanation;
    LauncherState state;
    resolveLauncherIdentity(platform, launcherPath, state);
    Section launcher{"launcher", {}};
    if (state.launcherFullPath.empty()) {
        launcher.text("note", "no launcher program of this name in the image; explained as if it stood there");
        state.launcherFullPath = launcherPath;
        const CodePage codePage = platform.systemCodePage();
        state.launcherDir = directoryPart(codePage, launcherPath);
        state.launcherFile = filePart(codePage, launcherPath);
        state.launcherName = stripExtension(codePage, state.launcherFile);
    }
    const std::string iniPath = state.launcherDir + state.launcherName + ".ini";
    launcher.text("launcherFullPath", state.launcherFullPath);
    launcher.text("launcherDir", state.launcherDir);
    launcher.text("launcherName", state.launcherName);
    launcher.text("iniFile", iniPath);
    explanation.sections.push_back(launcher);
    if (!readLauncherIni(platform, iniPath, state)) {
        explanation.error = "the INI file " + iniPath + " cannot be opened: the launcher shows an error and exits with 1";
        return explanation;
    }

    std::vector<std::string> arguments{launcherPath};
    arguments.insert(arguments.end(), options.begin(), options.end());
    Section outcome{"outcome", {}};
    if (parseCommandLine(arguments, state) == ParseResult::HelpRequested) {
        outcome.text("result", "shows its usage box");
        outcome.text("exitCode", "0");
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
