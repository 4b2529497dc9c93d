#include "check/explain.h"

#include <algorithm>
#include <optional>

#include "check/ini_lint.h"
#include "check/model_machine.h"
#include "commands/launch_commands.h"
#include "discovery/agent_location.h"
#include "launcher/launch_sequence.h"
#include "messages/messages.h"
#include "platform/process_launch.h"

namespace launcher::check {

namespace {

// Where the explained run writes its trace, unless -log names a file.
constexpr const char* kTraceName = "launcher-check.trace";

// One block of a trace: its title, and its lines after the rule.
struct TraceBlock {
    std::string title;
    std::vector<std::string> lines;

    // The value of the line "label: (value)", or nothing.
    std::optional<std::string> value(std::string_view label) const {
        for (const std::string& line : lines) {
            if (line.starts_with(std::string(label) + ": (") && line.ends_with(')')) {
                return line.substr(label.size() + 3, line.size() - label.size() - 4);
            }
        }
        return std::nullopt;
    }
    bool has(std::string_view line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
};

// The launcher's trace, as the blocks it writes: an empty line, the title,
// the rule of equals signs, then the block's lines.
class Trace {
public:
    explicit Trace(const std::string& bytes) {
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t end = std::min(bytes.find("\r\n", at), bytes.size());
            lines.push_back(bytes.substr(at, end - at));
            at = end + 2;
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].empty() && i + 2 < lines.size() && lines[i + 2] == std::string(54, '=')) {
                blocks_.push_back({lines[i + 1], {}});
                i += 2;
            } else if (!blocks_.empty()) {
                blocks_.back().lines.push_back(lines[i]);
            }
            if (!lines[i].empty()) last_ = lines[i];
        }
    }
    bool empty() const { return blocks_.empty(); }
    // The block of this title, the first one or, with second, the second.
    const TraceBlock* block(std::string_view title, bool second = false) const {
        for (const TraceBlock& block : blocks_) {
            if (block.title == title && !std::exchange(second, false)) return &block;
        }
        return nullptr;
    }
    bool has(std::string_view line) const {
        return std::any_of(blocks_.begin(), blocks_.end(), [&](const TraceBlock& b) { return b.has(line); });
    }
    const std::string& lastLine() const { return last_; }

private:
    std::vector<TraceBlock> blocks_;
    std::string last_;
};

const char* viewName(RegistryView view) { return view == RegistryView::Own ? "32-bit" : "64-bit"; }

std::string assumedNote(bool assumed) {
    return assumed ? "assumed: the machine's description does not say what it does" : std::string();
}

void settingsSection(const LauncherState& state, const std::vector<CommandArgument>& options, Section& out) {
    std::vector<std::string> given;
    for (const CommandArgument& option : options) given.push_back(option.text);
    out.list("arguments", given);
    out.number("isSilent", state.isSilent);
    out.number("isWait", state.isWait);
    out.number("isDialogAllowed", state.isDialogAllowed);
    out.number("isUserAdmin", state.isUserAdmin);
    out.number("isLicenseAccepted", state.isLicenseAccepted);
    out.text("appDataLocation", state.appDataLocation);
    out.text("nl", state.nl);
    out.text("inputFile", state.inputFile);
    out.text("mode", launchModeName(state.mode));
    const bool traced = state.argLogFile != kTraceName;
    out.text("trace", traced ? state.argLogFile : std::string(),
             traced ? "not written by launcher-check" : "no -log option");
}

// The first lookup, as the trace and the registry reads show it.
void locationSection(const Trace& trace, const ModelMachine& machine, Section& out) {
    const TraceBlock* lookup = trace.block("Get Installed Agent Info");
    const TraceBlock* found = trace.block("Installed Agent Info");
    const TraceBlock* expected = trace.block("Expected Agent Info");
    if (lookup == nullptr || found == nullptr || expected == nullptr) return;
    const bool registry = lookup->has("Get current agent location from Registry: ");
    const bool file = lookup->has("Get current agent location from Reference File: ");
    out.text("source", registry ? "registry" : file ? "reference file" : "none");
    out.number("isAdmin", lookup->value("isAdmin()") == "1", "the user's token holds the Administrators group");
    if (registry) {
        const auto installer = std::find_if(machine.children.begin(), machine.children.end(),
                                            [](const ModelledChild& child) { return child.installer; });
        const std::size_t reads =
            installer == machine.children.end() ? machine.registryReads.size() : installer->registryReadsBefore;
        const RegistryReadNote& first = machine.registryReads.front();
        out.text("registryKey", std::string(registryHiveName(first.hive)) + "\\" + first.key);
        out.text("registryValue", kLocationValueName);
        const auto gave = std::find_if(machine.registryReads.begin(), machine.registryReads.begin() + reads,
                                       [](const RegistryReadNote& read) { return read.valueFound; });
        out.text("registryView", gave == machine.registryReads.begin() + reads ? "none" : viewName(gave->view),
                 "the view whose value was read: the launcher's own 32-bit view first, then the 64-bit view");
    }
    if (file) out.text("refFile", lookup->value("refFile").value_or(""));
    out.text("configFile", lookup->value("configFile").value_or(""));
    out.text("appDataDir", lookup->value("appDataDir").value_or(""));
    out.text("installedXml", lookup->value("installedXMLFile").value_or(""));
    const std::string version = found->value("refVersion").value_or("");
    const std::string required = expected->value("iniManagerVersion").value_or("");
    out.text("refLocation", found->value("refLocation").value_or(""));
    out.text("refVersion", version);
    out.text("iniManagerVersion", required);
    const bool recentEnough = !expected->has("Agent is not installed.  Prepare to install.");
    out.flag("agentFound", recentEnough,
             version.empty() ? "no installed version was found"
             : recentEnough  ? version + " is at least the required version"
                             : version + " is older than " + required);
}

void installerSection(const Trace& trace, const LauncherState& state, const ModelMachine& machine, Section& out) {
    const bool msi = isMsiPackage(state.iniInstallerLocation);
    out.text("kind", msi ? "msi" : "executable", msi ? "an MSI package, run by msiexec.exe" : std::string());
    out.text("InstallerProgram", state.InstallerProgram);
    if (msi) out.text("installerImage", state.installerImage);
    out.list("installerArglist", state.installerArglist);
    out.text("commandLine", joinArgVector(state.installerArglist));
    const auto child = std::find_if(machine.children.begin(), machine.children.end(),
                                    [](const ModelledChild& run) { return run.installer; });
    if (child == machine.children.end()) {
        out.none("exitCode", "not started: " + trace.lastLine());
        return;
    }
    out.number("exitCode", child->exitCode, assumedNote(child->assumed));
    if (machine.left) {
        out.text("leaves", machine.left->version + " in " + machine.left->folder,
                 machine.left->assumed ? "assumed: as the INI file expects, where the launcher looks for it"
                                       : std::string());
    }
    const TraceBlock* again = trace.block("Installed Agent Info (after install agent) ");
    if (again == nullptr) return;
    out.text("refLocation", again->value("refLocation").value_or(""), "as the launcher's second lookup found it");
    out.text("refVersion", again->value("refVersion").value_or(""));
}

void agentSection(const LauncherState& state, const ModelMachine& machine, Section& out) {
    out.text("AgentProgram", state.AgentProgram);
    out.list("agentArglist", state.agentArglist);
    out.text("commandLine", joinArgVector(state.agentArglist));
    out.flag("waits", state.isWait == 1,
             state.isWait == 1 ? "waits for the agent, and starts it again while it exits with code " +
                                     std::to_string(kAgentAsksRestart)
                               : std::string("hands over: the launcher ends once the agent runs"));
    std::vector<std::string> runs;
    bool assumed = false;
    for (const ModelledChild& child : machine.children) {
        if (child.installer) continue;
        runs.push_back(child.waited                     ? "exit code " + std::to_string(child.exitCode)
                       : child.exitCode == kStartFailed ? "does not start"
                                                        : "handed over");
        assumed = assumed || child.assumed;
    }
    out.list("runs", runs, assumedNote(assumed));
}

void outcomeSection(Platform& platform, const Trace& trace, const ModelMachine& machine, int exitCode, Section& out) {
    std::vector<std::string> boxes;
    for (const NotedBox& box : machine.boxes) {
        // A line feed of the text shows as \n, so that a box stays one item.
        std::string text = "[" + box.title + "] " + box.text;
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
            text.replace(at, 1, "\\n");
        }
        boxes.push_back(platform.toSystemCodePage(utf8ToUtf16(text), false).text);
    }
    out.list("boxes", boxes);
    if (!trace.empty()) out.text("traceEnd", trace.lastLine());
    std::vector<std::string> assumed;
    for (const ModelledChild& child : machine.children) {
        if (child.assumed)
            assumed.push_back((child.installer ? "the installer's " : "the agent's ") + std::to_string(child.exitCode));
    }
    out.number("exitCode", exitCode, assumed.empty() ? std::string() : "with " + joined(assumed, " and ") + " assumed");
}

Section launcherSection(const LauncherState& state, const ModelMachine& machine, bool found) {
    Section launcher{"launcher", {}};
    launcher.text(
        "launcherFullPath", state.launcherFullPath,
        found ? std::string() : "no launcher program of this name in the image; explained as if it stood there");
    launcher.text("launcherDir", state.launcherDir);
    launcher.text("launcherName", state.launcherName);
    launcher.text("iniFile", machine.opened.empty() ? std::string() : machine.opened.front().first);
    return launcher;
}

// The sections of what the run did, each only when the run came so far.
void runSections(Platform& platform, const LauncherState& state, const ModelMachine& machine,
                 const std::vector<CommandArgument>& options, int exitCode, std::vector<Section>& sections) {
    const auto written = machine.written.find(state.argLogFile);
    const Trace trace(written == machine.written.end() ? std::string() : written->second);
    if (!trace.empty()) {
        sections.push_back({"settings", {}});
        settingsSection(state, options, sections.back());
        sections.push_back({"agentLocation", {}});
        locationSection(trace, machine, sections.back());
    }
    if (trace.block("Command to launch agent install")) {
        sections.push_back({"installer", {}});
        installerSection(trace, state, machine, sections.back());
    }
    if (trace.block("Command to launch agent")) {
        sections.push_back({"agent", {}});
        agentSection(state, machine, sections.back());
    }
    sections.push_back({"outcome", {}});
    outcomeSection(platform, trace, machine, exitCode, sections.back());
}

}  // namespace

Explanation explainRun(Platform& platform, const ChildModel& children, const std::string& launcherPath,
                       const std::vector<CommandArgument>& options) {
    LauncherState state;
    ModelMachine machine(platform, children, state);
    // Not found: explained as if the launcher stood at the path given.
    const bool found = platform.pathKind(launcherPath) == PathKind::File;
    if (!found) machine.addFile(launcherPath, std::string());
    std::vector<CommandArgument> arguments{launcherPath, std::string("-log"), std::string(kTraceName)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const LaunchOutcome outcome = runLaunchSequence(machine, state, arguments);

    Explanation explanation;
    explanation.sections.push_back(launcherSection(state, machine, found));
    if (machine.opened.empty() || !machine.opened.front().second) {
        explanation.error = "the INI file " + explanation.sections[0].fields.back().text +
                            " cannot be opened: the launcher shows an error and exits with " +
                            std::to_string(outcome.exitCode);
        return explanation;
    }
    runSections(platform, state, machine, options, outcome.exitCode, explanation.sections);
    return explanation;
}

}  // namespace launcher::check
