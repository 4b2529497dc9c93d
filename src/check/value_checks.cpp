// The rules about values as a whole: what the launcher will find, or fail
// to find, when it uses them. Paths are built by the launcher's own command
// builders and placeholder table.
#include <algorithm>
#include <set>

#include "check/ini_lint.h"
#include "config/text_rules.h"
#include "check/read_only_platform.h"
#include "commands/launch_commands.h"
#include "discovery/agent_location.h"
#include "launcher/effective_settings.h"
#include "launcher/launch_sequence.h"
#include "platform/path_utils.h"
#include "platform/process_launch.h"

namespace launcher::check {

namespace {

// The machine as one kind of user sees it: an administrator or not.
class AsUser : public ReadOnlyPlatform {
public:
    AsUser(Platform& machine, int admin) : ReadOnlyPlatform(machine), admin_(admin) {}
    int isUserAnAdmin() override { return admin_; }

private:
    int admin_;
};

// A run without options: the INI values, the effective settings, and what
// the launcher's own lookup found and read.
struct Lookup {
    LauncherState state;
    LookupRecord record;
};

void lookUp(Platform& platform, const IniValues& values, const std::string& launcherDir, Lookup& lookup) {
    static_cast<IniValues&>(lookup.state) = values;
    lookup.state.launcherDir = launcherDir;
    resolveEffectiveSettings(platform, lookup.state);
    lookUpAgent(platform, lookup.state, &lookup.record);
}

// The value without the quotation marks around it, or empty when it has none.
std::string unquoted(const std::string& value) {
    const std::string trimmed = trimBlanksAndTabs(value);
    if (trimmed.size() < 2 || trimmed.front() != '"' || trimmed.back() != '"') return std::string();
    return trimmed.substr(1, trimmed.size() - 2);
}

class ValueRules {
public:
    ValueRules(Platform& platform, const std::string& launcherDir, IniWalk& walk)
        : platform_(platform), launcherDir_(launcherDir), walk_(walk), values_(walk.values) {}

    void installer();
    void agentProgram();
    void requiredVersion();
    void agentLocation();
    void quotedValues();
    void registryHive();
    void referenceFileFolder();
    void batchAgent();

private:
    ValuePlace place(IniSection section, const char* key) const {
        const auto found = walk_.places.find(findIniKey(section, key));
        return found == walk_.places.end() ? ValuePlace{} : found->second;
    }
    void add(ValuePlace at, std::string rule, std::string message, std::string effect, std::string fix) {
        walk_.findings.push_back(
            Finding{at.line, at.column, std::move(rule), std::move(message), std::move(effect), std::move(fix)});
    }
    void placeholders(ValuePlace at, const std::string& path);
    // " (line N names it, but the launcher ignores that line)", or nothing.
    std::string ignoredLine(const char* key) const {
        const auto found = walk_.ignoredKeys.find(key);
        if (found == walk_.ignoredKeys.end()) return std::string();
        return " (line " + std::to_string(found->second) + " names it, but the launcher ignores that line)";
    }

    // The registry key that the lookup reads for one kind of user.
    std::string registryKeyFor(int admin) {
        AsUser user(platform_, admin);
        Lookup lookup;
        lookUp(user, values_, launcherDir_, lookup);
        return lookup.record.registryKey;
    }
    std::string quotedEffect(const std::string& key, const std::string& value);

    Platform& platform_;
    const std::string& launcherDir_;
    IniWalk& walk_;
    const IniValues& values_;
};

std::string placeholderList() {
    std::vector<std::string> texts;
    for (const FolderPlaceholder& placeholder : folderPlaceholders()) texts.push_back(placeholder.text);
    return joined(texts, " and ");
}

void ValueRules::installer() {
    const std::string& location = values_.iniInstallerLocation;
    if (location.empty() || !unquoted(location).empty()) return;
    const ValuePlace at = place(IniSection::Installer, "LOCATION");
    LauncherState commands;
    commands.launcherDir = launcherDir_;
    commands.iniInstallerLocation = location;
    const bool msi = buildInstallerFor(platform_, commands);
    const std::string trimmed = trimBlanksAndTabs(location);
    if (!msi && lowered(trimmed).ends_with(".msi")) {
        add(at, "msi-case",
            "Only a location that ends in \".msi\" in lower case, after at least one more character, is taken "
            "for an MSI package.",
            "Runs \"" + commands.InstallerProgram + "\" itself as an executable installer, which cannot work.",
            trimmed.size() > 4 ? "LOCATION=" + trimmed.substr(0, trimmed.size() - 4) + ".msi"
                               : "Name the package file, for example LOCATION=agent.msi.");
    }
    const std::string& path = msi ? commands.installerImage : commands.InstallerProgram;
    const PathKind kind = pathExists(platform_, path) ? platform_.pathKind(path) : PathKind::Missing;
    if (kind == PathKind::File) return;
    // A start finds "disk1\\setup" as disk1\\setup.exe, and so does the launcher.
    if (!msi && kind == PathKind::Missing && programExists(platform_, path)) return;
    std::string message = "The installer location is taken relative to the launcher's folder, and ";
    message += kind == PathKind::Directory ? "\"" + path + "\" is a folder." : "no file \"" + path + "\" exists.";
    if (isAbsolutePath(platform_, location) == 1) message += " An absolute location is appended all the same.";
    add(at, "installer-missing", message,
        kind == PathKind::Directory
            ? "When the agent needs installing, the launcher tries to start the folder, which fails."
            : "When the agent needs installing, the launcher reports that the installer cannot be found and "
              "exits with code " +
                  std::to_string(kExitGiveUp) + ".",
        "Put the installer at that place in the image, or correct LOCATION (relative to the launcher's folder).");
}

void ValueRules::agentProgram() {
    if (!values_.iniManagerLauncher.empty()) return;
    const bool silentSet = !values_.iniManagerLauncherSilent.empty();
    add(silentSet ? place(IniSection::Manager, "LAUNCHER_SILENT") : ValuePlace{}, "launcher-missing",
        silentSet ? "LAUNCHER_SILENT serves only silent runs; every other run takes LAUNCHER, which is empty" +
                        ignoredLine("LAUNCHER") + "."
                  : "The launcher reads no LAUNCHER" + ignoredLine("LAUNCHER") +
                        ", so no run has a program to start the agent with.",
        std::string(silentSet ? "Runs that are not silent try" : "Every run tries") +
            " to start the agent's installation folder itself as a program, which fails: exit code -1, "
            "without a message.",
        "Add LAUNCHER=<the agent's program, relative to its installation folder> below [MANAGER].");
}

void ValueRules::requiredVersion() {
    if (place(IniSection::Manager, "VERSION").line != 0) return;
    add(ValuePlace{}, "version-missing",
        "The launcher reads no VERSION" + ignoredLine("VERSION") +
            ", so the required version is empty and reads as 0.0.0.",
        "Any installed agent counts as recent enough; the installer does not run while one is found.",
        "Add VERSION=<minimum agent version> below [MANAGER].");
}

void ValueRules::agentLocation() {
    const bool key = !values_.iniManagerLocationKey.empty();
    const bool file = !values_.iniManagerLocationFile.empty();
    if (key && file) {
        add(place(IniSection::Manager, "LOCATION_FILE"), "location-both",
            "With LOCATION_KEY set, the launcher looks only in the registry.",
            "LOCATION_FILE is never read, also when the registry key or its value is missing.",
            "Keep one of LOCATION_KEY and LOCATION_FILE.");
    } else if (!key && !file) {
        add(ValuePlace{}, "location-missing",
            "The launcher reads neither LOCATION_KEY" + ignoredLine("LOCATION_KEY") + " nor LOCATION_FILE" +
                ignoredLine("LOCATION_FILE") + ", so it cannot find an installed agent.",
            "Every run counts the agent as missing: it runs the installer, still finds no agent, and exits with "
            "code " +
                std::to_string(kExitGiveUp) + ".",
            "Add LOCATION_KEY=<registry key> or LOCATION_FILE=<reference file> below [MANAGER].");
    } else if (file) {
        placeholders(place(IniSection::Manager, "LOCATION_FILE"), values_.iniManagerLocationFile);
    }
}

void ValueRules::placeholders(ValuePlace at, const std::string& path) {
    // The one placeholder replaced: the first of the table that occurs, at
    // its first occurrence.
    const CodePage codePage = platform_.systemCodePage();
    const FolderPlaceholder* first = replacedPlaceholder(codePage, path);
    const std::size_t replaced = first == nullptr ? std::string::npos : codePage.find(path, first->text);
    const std::string replacedText = first == nullptr ? std::string() : first->text;
    for (std::size_t open = path.find('<'); open != std::string::npos; open = path.find('<', open + 1)) {
        const std::size_t close = path.find('>', open);
        if (close == std::string::npos) break;
        const std::string token = path.substr(open, close - open + 1);
        const ValuePlace here{at.line, at.column + static_cast<int>(open)};
        bool known = false;
        std::string spelled;
        for (const FolderPlaceholder& placeholder : folderPlaceholders()) {
            known = known || token == placeholder.text;
            if (equalsAsciiIgnoringCase(token, placeholder.text)) spelled = placeholder.text;
        }
        if (!known) {
            add(here, "placeholder-unknown",
                "\"" + token + "\" is no placeholder; the placeholders are " + placeholderList() +
                    ", spelled exactly so.",
                "It stays in the path as written, and no file of that name can exist.",
                spelled.empty() ? "Use one of the placeholders, or a plain path." : "Write " + spelled + ".");
        } else if (open != replaced) {
            add(here, "placeholder-literal",
                "Only one placeholder is replaced: the first of " + placeholderList() + " that occurs, here " +
                    replacedText + " at column " + std::to_string(at.column + static_cast<int>(replaced)) + ".",
                "\"" + token + "\" stays in the path as written.", "Keep one placeholder in LOCATION_FILE.");
        }
        open = close;
    }
}

std::string ValueRules::quotedEffect(const std::string& key, const std::string& value) {
    // The commands of a run with this value, for an agent in a folder of its own.
    const bool program = key == "LAUNCHER" || key == "LAUNCHER_SILENT";
    LauncherState run;
    run.launcherDir = launcherDir_;
    run.refLocation = "<agent folder>";
    run.iniInstallerLocation = key == "LOCATION" ? value : values_.iniInstallerLocation;
    run.iniManagerLauncher = program ? value : values_.iniManagerLauncher;
    if (key == "APPDATALOCATION") run.appDataLocation = value;
    buildInstallerFor(platform_, run);
    buildAgentFor(platform_, run);
    if (key == "LOCATION") {
        return (isMsiPackage(unquoted(value)) ? "It is no MSI package any more: the launcher runs "
                                              : "The launcher runs ") +
               run.InstallerProgram +
               " as an executable installer, quotation marks included; no file name holds them, so it reports "
               "that the installer cannot be found and exits with code " +
               std::to_string(kExitGiveUp) + ".";
    }
    if (program) {
        return "The agent's program becomes " + run.AgentProgram +
               ", quotation marks included; no file name holds them, so the launcher reports that the agent cannot "
               "be found and exits with code " +
               std::to_string(kExitGiveUp) + ".";
    }
    if (key == "APPDATALOCATION") {
        // With a data location, the agent always gets -dataLocation and its value.
        const auto data = std::find(run.agentArglist.begin(), run.agentArglist.end(), "-dataLocation");
        return "The launcher adds quotation marks of its own: the installer receives " + run.installerArglist.back() +
               ", and the agent -dataLocation " + *(data + 1) + ".";
    }
    return key + " is " + value + ", quotation marks included: the launcher takes the value exactly as written.";
}

void ValueRules::quotedValues() {
    for (const IniKey& key : iniKeys()) {
        const std::string name = key.name;
        if (key.text == nullptr || name == "VERSION" || name == "MODE" || name == "SILENT" || name == "ISADMIN" ||
            name == "LICENSEACCEPTED") {
            continue;  // lists have their own rule, and the others' rules name the quotation marks
        }
        const std::string& value = values_.*(key.text);
        const std::string inner = unquoted(value);
        if (inner.empty()) continue;
        add(place(key.section, key.name), "value-quoted",
            "The quotation marks around " + name +
                " are part of its value; the launcher adds the ones that a path "
                "needs itself.",
            quotedEffect(name, value), name + "=" + inner);
    }
}

void ValueRules::registryHive() {
    std::string key = values_.iniManagerLocationKey;
    if (lowered(key).starts_with("computer\\")) key = key.substr(9);  // as regedit's address bar copies it
    const std::size_t slash = key.find('\\');
    if (slash == std::string::npos) return;
    const std::string hive = lowered(key.substr(0, slash));
    const bool machine = hive == "hklm" || hive == "hkey_local_machine";
    const bool user = hive == "hkcu" || hive == "hkey_current_user";
    if (!machine && !user && hive != "hkey_classes_root" && hive != "hkcr" && hive != "hkey_users" && hive != "hku") {
        return;
    }
    const std::string rest = key.substr(slash + 1);
    const std::string forAdmin = registryKeyFor(1);
    const std::string forUser = registryKeyFor(0);
    const std::string wanted = machine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
    const auto reads = [&](const std::string& read) { return (machine || user) && read.starts_with(wanted); };
    std::string fix = "LOCATION_KEY=" + rest;
    if (!machine && !user) {
        fix +=
            ", written by the installer under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER: the launcher reads no "
            "other hive";
    } else if (!reads(forAdmin) && !reads(forUser)) {
        fix += machine ? ", and ISADMIN=true below [COMMON]: only for all-users runs does the launcher read "
                         "HKEY_LOCAL_MACHINE"
                       : ", and ISADMIN=false below [COMMON]: only for per-user runs does the launcher read "
                         "HKEY_CURRENT_USER";
    } else if (!reads(forAdmin) || !reads(forUser)) {
        fix += std::string(", read in ") + wanted.substr(0, wanted.size() - 1) + " only for " +
               (reads(forAdmin) ? "administrators" : "other users") + (machine ? "; ISADMIN=true" : "; ISADMIN=false") +
               " below [COMMON] makes every run read it there";
    }
    add(place(IniSection::Manager, "LOCATION_KEY"), "location-key-hive",
        "LOCATION_KEY names a key below the hive that the launcher chooses itself; a hive written in front of it "
        "becomes part of the key's name.",
        "The launcher reads the value \"location\" under " +
            (forAdmin == forUser ? forAdmin
                                 : forAdmin + " for administrators and under " + forUser + " for other users") +
            ", where the installer does not write it. Every run counts the agent as missing: it runs the installer, "
            "still finds no agent, and exits with code " +
            std::to_string(kExitGiveUp) + ".",
        fix + ".");
}

void ValueRules::referenceFileFolder() {
    if (!values_.iniManagerLocationKey.empty()) return;  // the reference file is not read then
    const FolderPlaceholder* placeholder =
        replacedPlaceholder(platform_.systemCodePage(), values_.iniManagerLocationFile);
    if (placeholder == nullptr ||
        (placeholder->folder != PlaceholderFolder::AppData && placeholder->folder != PlaceholderFolder::LauncherDir)) {
        return;
    }
    AsUser administrator(platform_, 1);
    Lookup admin;
    lookUp(administrator, values_, launcherDir_, admin);
    if (admin.state.isUserAdmin != 1) return;
    const bool appData = placeholder->folder == PlaceholderFolder::AppData;
    add(place(IniSection::Manager, "LOCATION_FILE"), "location-file-writable",
        std::string("For an administrator, ") + placeholder->text +
            (appData ? " is the all-users application data folder (C:\\ProgramData on most machines), where "
                       "standard users can create files."
                     : " is the launcher's own folder; wherever the image lies in a folder that standard users can "
                       "write, they can create files beside it."),
        "Run by an administrator, the launcher reads " + admin.record.refFile +
            " and starts the agent program in the folder that its location line names, with administrator rights: "
            "whoever writes that file chooses the program.",
        std::string("Have the installer record the agent's folder in the registry, and use LOCATION_KEY=<key>: "
                    "administrators' runs read it in HKEY_LOCAL_MACHINE, which only administrators can write") +
            (appData ? ", and other users' runs in HKEY_CURRENT_USER, as <APPDATA> chooses between the two today"
                     : "") +
            ". Or name a reference file in a folder that only administrators can write, such as the agent's folder "
            "under C:\\Program Files.");
}

void ValueRules::batchAgent() {
    Lookup lookup;
    lookUp(platform_, values_, launcherDir_, lookup);
    LauncherState& commands = lookup.state;
    const bool found = !commands.refLocation.empty();
    if (!found) commands.refLocation = "<agent folder>";
    std::set<std::string> reported;
    for (int silent : {0, 1}) {
        commands.isSilent = silent;
        buildAgentFor(platform_, commands);
        // The program file a start would find, or else the program as named.
        std::string file = found ? resolveProgramFile(platform_, commands.AgentProgram) : std::string();
        if (file.empty()) file = commands.AgentProgram;
        const std::string extension = lowered(file.substr(std::min(file.size(), file.rfind('.'))));
        const char* key = silent && !values_.iniManagerLauncherSilent.empty() ? "LAUNCHER_SILENT" : "LAUNCHER";
        if ((extension != ".bat" && extension != ".cmd") || !reported.insert(key).second) continue;
        std::vector<std::string> special;
        for (std::size_t i = 1; i < commands.agentArglist.size(); ++i) {
            if (commands.agentArglist[i].find_first_of("&|<>^%") != std::string::npos) {
                special.push_back(commands.agentArglist[i]);
            }
        }
        std::string effect =
            "Windows runs " + file +
            " through cmd.exe, which reads the agent's command line once more: outside "
            "quotation marks, &, |, <, > and ^ end or redirect the command, and % expands variables everywhere. "
            "The launcher quotes only arguments with a blank, and the command line may bring further arguments "
            "(-managerArgs, -input, -appDataLocation).";
        for (const std::string& argument : special) effect += " Here: " + argument + ".";
        add(place(IniSection::Manager, key), "agent-batch",
            std::string(key) + " names a batch file, which cmd.exe runs.", effect,
            "Name the agent's own program (.exe), or keep &, |, <, >, ^ and % out of the agent's arguments and paths.");
    }
}

}  // namespace

void checkIniValues(Platform& platform, const std::string& launcherDir, IniWalk& walk) {
    ValueRules rules(platform, launcherDir, walk);
    rules.quotedValues();
    rules.installer();
    rules.agentLocation();
    rules.registryHive();
    rules.referenceFileFolder();
    rules.requiredVersion();
    rules.agentProgram();
    rules.batchAgent();
}

}  // namespace launcher::check
