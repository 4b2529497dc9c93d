// The rules about values as a whole: what the launcher will find, or fail
// to find, when it uses them, and what it takes as written where a packager
// likely meant otherwise. Each value is checked by its kind, as the key
// table gives it; paths and commands come from the launcher's own command
// builders, lookup and placeholder table.
#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>

#include "check/ini_lint.h"
#include "config/text_rules.h"
#include "check/read_only_platform.h"
#include "commands/launch_commands.h"
#include "discovery/agent_location.h"
#include "launcher/effective_settings.h"
#include "launcher/launch_sequence.h"
#include "messages/messages.h"
#include "platform/path_utils.h"
#include "platform/process_launch.h"
#include "platform/spelled_path.h"

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

// The first key of the table that holds this kind of value.
const IniKey& keyOfKind(ValueKind kind) {
    return *std::find_if(iniKeys().begin(), iniKeys().end(), [&](const IniKey& key) { return key.kind == kind; });
}

// An absolute path that a join to a folder cannot absorb: one with a drive
// or a share. A single leading backslash only doubles the separator.
bool namesDriveOrShare(Platform& platform, const std::string& path) {
    return isAbsolutePath(platform, path) == 1 && (path[0] != '\\' || path[1] == '\\');
}

// The rest of path below folder, when path lies in it (letters in any case).
std::optional<std::string> below(std::string folder, const std::string& path) {
    if (folder.empty()) return std::nullopt;
    if (!folder.ends_with('\\')) folder += '\\';
    if (!lowered(path).starts_with(lowered(folder)) || path.size() == folder.size()) return std::nullopt;
    return path.substr(folder.size());
}

// A %NAME% that Windows would replace: where it begins and ends in the text.
struct Variable {
    std::size_t at;
    std::size_t end;  ///< just after the closing "%"
    std::string name;
};

std::optional<Variable> variableIn(const CodePage& codePage, const std::string& text) {
    for (std::size_t open = codePage.find(text, "%"); open != std::string::npos;
         open = codePage.find(text, "%", open + 1)) {
        const std::size_t close = codePage.find(text, "%", open + 1);
        if (close == std::string::npos) break;
        std::string name = text.substr(open + 1, close - open - 1);
        if (!name.empty() && name.find_first_of(" \\/=:\"") == std::string::npos) {
            return Variable{open, close + 1, std::move(name)};
        }
    }
    return std::nullopt;
}

// Whether two folders are the same, a final backslash and letter case aside.
bool sameFolder(const std::string& a, const std::string& b) {
    const auto bare = [](std::string folder) {
        if (folder.ends_with('\\')) folder.pop_back();
        return lowered(folder);
    };
    return bare(a) == bare(b);
}

// The elements of with that without does not hold.
ArgVector addedBy(const ArgVector& without, const ArgVector& with) {
    ArgVector added;
    for (const std::string& element : with) {
        if (std::find(without.begin(), without.end(), element) == without.end()) added.push_back(element);
    }
    return added;
}

// Hive names that Windows knows besides the two that the launcher writes;
// the launcher reads no other hive.
struct OtherHiveName {
    const char* name;
    std::optional<RegistryHive> hive;
};
constexpr OtherHiveName kOtherHiveNames[] = {
    {"HKLM", RegistryHive::LocalMachine}, {"HKCU", RegistryHive::CurrentUser},
    {"HKEY_CLASSES_ROOT", std::nullopt},  {"HKCR", std::nullopt},
    {"HKEY_USERS", std::nullopt},         {"HKU", std::nullopt},
};

// A hive written at the start of a registry key (after "Computer\", as
// regedit's address bar copies it), and the key after it.
struct HivePrefix {
    std::optional<RegistryHive> hive;  ///< none for a hive that the launcher never reads
    std::string rest;
};

std::optional<HivePrefix> hivePrefix(std::string key) {
    if (lowered(key).starts_with("computer\\")) key = key.substr(9);
    const std::size_t slash = key.find_first_of("\\/");
    if (slash == std::string::npos) return std::nullopt;
    const std::string first = key.substr(0, slash);
    for (RegistryHive hive : {RegistryHive::LocalMachine, RegistryHive::CurrentUser}) {
        if (equalsAsciiIgnoringCase(first, registryHiveName(hive))) return HivePrefix{hive, key.substr(slash + 1)};
    }
    for (const OtherHiveName& other : kOtherHiveNames) {
        if (equalsAsciiIgnoringCase(first, other.name)) return HivePrefix{other.hive, key.substr(slash + 1)};
    }
    return std::nullopt;
}

// The key as the launcher's lookup needs it: no hive, backslashes between
// its names, and not the value's own name at its end.
std::string lookupKey(const CodePage& codePage, const std::string& key) {
    const std::optional<HivePrefix> prefix = hivePrefix(key);
    std::string cleaned = prefix ? prefix->rest : key;
    std::replace(cleaned.begin(), cleaned.end(), '/', '\\');
    const std::size_t last = codePage.findLastOf(cleaned, "\\");
    if (last != std::string::npos && equalsAsciiIgnoringCase(cleaned.substr(last + 1), kLocationValueName)) {
        cleaned.erase(last);
    }
    return cleaned;
}

class ValueRules {
public:
    ValueRules(Platform& platform, const std::string& launcherDir, IniWalk& walk)
        : platform_(platform), launcherDir_(launcherDir), walk_(walk), values_(walk.values) {
        lookUp(platform_, values_, launcherDir_, run_);
    }

    void byKind();
    void installer();
    void agentProgram();
    void requiredVersion();
    void agentLocation();
    void quotedValues();
    void registryHive();
    void referenceFileFolder();
    void batchAgent();
    void argumentLines();

private:
    ValuePlace place(const IniKey* key) const {
        const auto found = walk_.places.find(key);
        return found == walk_.places.end() ? ValuePlace{} : found->second;
    }
    ValuePlace place(IniSection section, const char* key) const { return place(findIniKey(section, key)); }
    void add(ValuePlace at, std::string rule, std::string message, std::string effect, std::string fix) {
        walk_.findings.push_back(
            Finding{at.line, at.column, std::move(rule), std::move(message), std::move(effect), std::move(fix)});
    }
    void placeholders(ValuePlace at, const std::string& path);
    void unknownPlaceholder(ValuePlace here, const std::string& token);
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
    // "K", or "K for administrators and under L for other users".
    std::string keysRead() {
        const std::string forAdmin = registryKeyFor(1);
        const std::string forUser = registryKeyFor(0);
        return forAdmin == forUser ? forAdmin
                                   : forAdmin + " for administrators and under " + forUser + " for other users";
    }
    // The folder of the agent found on this machine, or a stand-in.
    std::string agentFolder() const {
        return run_.state.refLocation.empty() ? "<agent folder>" : run_.state.refLocation;
    }
    std::string expanded(const std::string& text) {
        return platform_
            .toSystemCodePage(platform_.expandEnvironmentStrings(utf8ToUtf16(platform_.systemCodePageToUtf8(text))),
                              false)
            .text;
    }
    void commandsWith(LauncherState& run, const IniKey& key, const std::string* value, const std::string& folder);
    std::string useOf(const IniKey& key, const std::string& value, const std::string& folder);
    std::string quotedEffect(const IniKey& key, const std::string& value);
    bool unexpanded(const IniKey& key, ValuePlace at, const std::string& value);
    std::string expandedFix(const IniKey& key, const std::string& value, const std::optional<Variable>& variable);
    std::string relativeFix(const IniKey& key, const std::string& path);
    bool absolute(const IniKey& key, ValuePlace at, const std::string& value);
    void relative(const IniKey& key, ValuePlace at, const std::string& value);
    void registryKey(const IniKey& key, ValuePlace at, const std::string& value);

    Platform& platform_;
    const std::string& launcherDir_;
    IniWalk& walk_;
    const IniValues& values_;
    Lookup run_;                         // a run without options on this machine
    std::set<const IniKey*> explained_;  // keys whose path a rule has reported
    bool batch_ = false;                 // the agent's program is a batch file
};

std::string placeholderList() {
    std::vector<std::string> texts;
    for (const FolderPlaceholder& placeholder : folderPlaceholders()) texts.push_back(placeholder.text);
    return joined(texts, " and ");
}

// The commands of a run with the INI values, the key set to value (or
// cleared without one), for an agent in folder.
void ValueRules::commandsWith(LauncherState& run, const IniKey& key, const std::string* value,
                              const std::string& folder) {
    static_cast<IniValues&>(run) = values_;
    run.launcherDir = launcherDir_;
    const std::string text = value != nullptr ? *value : std::string();
    if (key.list != nullptr) {
        run.*(key.list) = value != nullptr ? std::vector<std::string>{text} : std::vector<std::string>{};
    } else if (key.kind == ValueKind::AgentProgram) {
        // Either program key is joined to the agent's folder the same way.
        run.iniManagerLauncher = text;
        run.iniManagerLauncherSilent = text;
    } else {
        run.*(key.text) = text;
    }
    resolveEffectiveSettings(platform_, run);
    run.refLocation = folder;
    buildInstallerFor(platform_, run);
    buildAgentFor(platform_, run);
}

// What the launcher does with the value: the program it runs, the file or
// key it reads, or what the installer and the agent receive.
std::string ValueRules::useOf(const IniKey& key, const std::string& value, const std::string& folder) {
    LauncherState with;
    commandsWith(with, key, &value, folder);
    switch (key.kind) {
    case ValueKind::InstallerFile:
        return isMsiPackage(value) ? "msiexec.exe installs the package " + with.installerImage
                                   : "the launcher runs " + with.InstallerProgram;
    case ValueKind::AgentProgram:
        return "the agent's program is " + with.AgentProgram;
    case ValueKind::ReferenceFile:
        return "the launcher reads " +
               expandFolderPlaceholders(platform_, value, run_.state.isUserAdmin, launcherDir_).text;
    case ValueKind::RegistryKey:  // as the file sets it
        return "the launcher reads the value \"" + std::string(kLocationValueName) + "\" under " + keysRead();
    default:
        break;
    }
    LauncherState without;
    commandsWith(without, key, nullptr, folder);
    std::vector<std::string> parts;
    const ArgVector installer = addedBy(without.installerArglist, with.installerArglist);
    const ArgVector agent = addedBy(without.agentArglist, with.agentArglist);
    if (!installer.empty()) parts.push_back("the installer receives " + joinArgVector(installer));
    if (!agent.empty()) parts.push_back((parts.empty() ? "the agent receives " : "the agent ") + joinArgVector(agent));
    return parts.empty() ? std::string(key.name) + " is " + value : joined(parts, ", and ");
}

// Values that hold syntax which the launcher does not interpret: %NAME%
// anywhere, and placeholders outside the reference file.
bool ValueRules::unexpanded(const IniKey& key, ValuePlace at, const std::string& value) {
    const CodePage codePage = platform_.systemCodePage();
    const std::optional<Variable> variable = variableIn(codePage, value);
    const FolderPlaceholder* placeholder =
        key.kind == ValueKind::ReferenceFile ? nullptr : replacedPlaceholder(codePage, value);
    if (!variable && placeholder == nullptr) return false;
    const std::string name = key.name;
    add({at.line, at.column + static_cast<int>(variable ? variable->at : codePage.find(value, placeholder->text))},
        "value-unexpanded",
        variable ? "The launcher replaces no environment variable in INI values: the variable " + variable->name +
                       " stays as written, with its percent signs."
                 : std::string("Placeholders are replaced only in ") + keyOfKind(ValueKind::ReferenceFile).name +
                       "; in " + name + ", " + placeholder->text + " stays as written.",
        capitalized(useOf(key, value, agentFolder())) + ", as written.", expandedFix(key, value, variable));
    return true;
}

// The value as this machine expands it, with a placeholder where one
// stands for the same folder in every run of the file.
std::string ValueRules::expandedFix(const IniKey& key, const std::string& value,
                                    const std::optional<Variable>& variable) {
    const CodePage codePage = platform_.systemCodePage();
    const std::string line = std::string(key.name) + "=";
    const std::string fixed =
        variable ? expanded(value)
                 : expandFolderPlaceholders(platform_, value, run_.state.isUserAdmin, launcherDir_).text;
    if (variable && key.kind == ValueKind::ReferenceFile && variable->at == 0) {
        const std::string folder = expanded(value.substr(0, variable->end));
        // The administrator flags that runs of this file can have.
        std::set<int> admins;
        for (int admin : {0, 1}) {
            AsUser user(platform_, admin);
            Lookup run;
            lookUp(user, values_, launcherDir_, run);
            admins.insert(run.state.isUserAdmin);
        }
        for (const FolderPlaceholder& placeholder : folderPlaceholders()) {
            const auto same = [&](int admin) {
                return sameFolder(expandFolderPlaceholders(platform_, placeholder.text, admin, launcherDir_).text,
                                  folder);
            };
            if (std::all_of(admins.begin(), admins.end(), same))
                return line + placeholder.text + value.substr(variable->end);
        }
    }
    if (fixed == value || variableIn(codePage, fixed) ||
        (key.kind != ValueKind::ReferenceFile && replacedPlaceholder(codePage, fixed) != nullptr)) {
        return std::string(
                   "Write the path out in full, as it is on the users' machines: the launcher replaces "
                   "nothing in it") +
               (key.kind == ValueKind::ReferenceFile ? "; or begin it with one of " + placeholderList() : "") + ".";
    }
    if (key.kind == ValueKind::InstallerFile || key.kind == ValueKind::AgentProgram) return relativeFix(key, fixed);
    return line + fixed;
}

// The path relative to the folder that the launcher joins it to.
std::string ValueRules::relativeFix(const IniKey& key, const std::string& path) {
    const bool installer = key.kind == ValueKind::InstallerFile;
    const std::string name = key.name;
    if (const std::optional<std::string> rest = below(installer ? launcherDir_ : run_.state.refLocation, path)) {
        return name + "=" + *rest;
    }
    if (installer) {
        return "Copy the installer into the image, and name it relative to the launcher's folder, for example " + name +
               "=" + filePart(platform_.systemCodePage(), path) + ".";
    }
    // The agent's folder holds its eclipse folder, where the launcher looks
    // for config.ini and startup.jar: a path through one names its program.
    const std::string folded = lowered(path);
    const std::size_t eclipse = folded.rfind("\\eclipse\\");
    if (eclipse != std::string::npos) return name + "=" + path.substr(eclipse + 1);
    return name + "=<the program's path below the agent's folder, the one that the location value names>";
}

// Paths that the launcher joins to a folder, written absolute.
bool ValueRules::absolute(const IniKey& key, ValuePlace at, const std::string& value) {
    if (!namesDriveOrShare(platform_, value)) return false;
    const bool installer = key.kind == ValueKind::InstallerFile;
    if (installer) {  // a share's path, joined, may name a file of the image
        LauncherState run;
        commandsWith(run, key, &value, agentFolder());
        if (installerExists(platform_, run, isMsiPackage(value))) return false;
    }
    add(at, "path-absolute",
        std::string(key.name) + " is taken relative to " +
            (installer ? "the launcher's folder" : "the agent's folder, the one that the location value names") +
            "; an absolute path is appended to it all the same.",
        capitalized(useOf(key, value, agentFolder())) + ", not the file that the value names: " +
            (installer ? "when the agent needs installing, the launcher reports that the installer cannot be found "
                         "(message " +
                             std::to_string(kMsgInstallerNotFound) + ")"
                       : "the launcher reports that the agent cannot be found (message " +
                             std::to_string(kMsgAgentNotFound) + ")") +
            " and exits with code " + std::to_string(kExitGiveUp) + ".",
        relativeFix(key, value));
    return true;
}

// Paths that the launcher hands on or opens as written, written relative.
void ValueRules::relative(const IniKey& key, ValuePlace at, const std::string& value) {
    if (isAbsolutePath(platform_, value) == 1) return;
    const std::string name = key.name;
    if (key.kind == ValueKind::DataFolder) {
        const std::optional<std::u16string> common = platform_.specialFolder(kCsidlCommonAppData);
        add(at, "path-relative",
            name +
                " is handed to the installer and the agent as written; a relative folder means another place to "
                "each.",
            capitalized(useOf(key, value, agentFolder())) +
                ": each takes it relative to its own working folder, which the launcher does not choose.",
            common ? name + "=" +
                         joinWithBackslash(platform_.systemCodePage(), spellPath(platform_, *common).text, value) +
                         ", or another full path"
                   : "Write the full path of the folder, with its drive.");
        return;
    }
    // A reference file without placeholder: the launcher's folder has one.
    if (value.find('<') != std::string::npos) return;  // the placeholder rules speak of it
    const auto own =
        std::find_if(folderPlaceholders().begin(), folderPlaceholders().end(),
                     [](const FolderPlaceholder& p) { return p.folder == PlaceholderFolder::LauncherDir; });
    add(at, "path-relative",
        name +
            " without a placeholder is opened as written: a relative path starts from the current directory, not "
            "from the launcher's folder.",
        "Started from another folder (by a shortcut, a deployment tool or a command prompt), the launcher finds no "
        "reference file: it counts the agent as missing, runs the installer, still finds no agent, and exits with "
        "code " +
            std::to_string(kExitGiveUp) + ".",
        name + "=" + own->text + "\\" + value);
}

// A registry key that the lookup reads otherwise than it looks: "/" for
// "\", or the value's own name at its end.
void ValueRules::registryKey(const IniKey& key, ValuePlace at, const std::string& value) {
    const std::optional<HivePrefix> prefix = hivePrefix(value);
    const std::string written = prefix ? prefix->rest : value;  // a hive has a rule of its own
    const std::string wanted = lookupKey(platform_.systemCodePage(), value);
    // A key that the lookup finds as written is right, whatever it looks like.
    if (wanted == written || !run_.state.refLocation.empty()) return;
    std::vector<std::string> message;
    if (written.find('/') != std::string::npos) {
        message.push_back("Registry key names are separated by backslashes; a \"/\" is part of a key's name.");
    }
    if (lookupKey(platform_.systemCodePage(), written) != written) {
        message.push_back(std::string(key.name) + " names the key; the launcher reads the value \"" +
                          kLocationValueName + "\" in it itself.");
    }
    add(at, "location-key-format", joined(message, " "),
        capitalized(useOf(key, value, agentFolder())) +
            ", where the installer does not write it. Every run counts the agent as missing: it runs the installer, "
            "still finds no agent, and exits with code " +
            std::to_string(kExitGiveUp) + ".",
        std::string(key.name) + "=" + wanted);
}

void ValueRules::byKind() {
    for (const IniKey& key : iniKeys()) {
        if (key.text == nullptr) continue;
        const std::string& value = values_.*(key.text);
        if (value.empty() || !unquoted(value).empty()) continue;  // quoted values have a rule of their own
        const ValuePlace at = place(&key);
        switch (key.kind) {
        case ValueKind::InstallerFile:
        case ValueKind::AgentProgram:
            if (unexpanded(key, at, value) || absolute(key, at, value)) explained_.insert(&key);
            break;
        case ValueKind::InputFile:
            unexpanded(key, at, value);
            break;
        case ValueKind::ReferenceFile:
            // With a registry key set, the reference file is not read.
            if (!(values_.*(keyOfKind(ValueKind::RegistryKey).text)).empty()) break;
            [[fallthrough]];
        case ValueKind::DataFolder:
            if (!unexpanded(key, at, value)) relative(key, at, value);
            break;
        case ValueKind::RegistryKey:
            registryKey(key, at, value);
            break;
        default:
            break;
        }
    }
}

void ValueRules::argumentLines() {
    for (const IniKey& key : iniKeys()) {
        // cmd.exe replaces %NAME% in a batch agent's arguments itself.
        if (key.list == nullptr || (key.kind == ValueKind::AgentArgument && batch_)) continue;
        const std::vector<std::string>& lines = values_.*(key.list);
        const std::vector<ValuePlace>& places = walk_.listPlaces[&key];
        for (std::size_t i = 0; i < lines.size(); ++i) unexpanded(key, places.at(i), lines[i]);
    }
}

void ValueRules::installer() {
    const std::string& location = values_.iniInstallerLocation;
    if (location.empty() || !unquoted(location).empty()) return;
    const IniKey* key = findIniKey(IniSection::Installer, "LOCATION");
    const ValuePlace at = place(key);
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
    if (explained_.contains(key)) return;
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

namespace {

// Every placeholder where the launcher's own search finds it, by position.
std::map<std::size_t, std::string> placeholdersIn(const CodePage& codePage, const std::string& path) {
    std::map<std::size_t, std::string> known;
    for (const FolderPlaceholder& placeholder : folderPlaceholders()) {
        for (std::size_t found = codePage.find(path, placeholder.text); found != std::string::npos;
             found = codePage.find(path, placeholder.text, found + 1)) {
            known.emplace(found, placeholder.text);
        }
    }
    return known;
}

// The text from a "<" that opens no placeholder up to the next ">", unless
// another "<" comes first. Neither is ever the second byte of a character.
std::string unknownToken(const std::string& path, std::size_t open) {
    const std::size_t next = path.find_first_of("<>", open + 1);
    return next != std::string::npos && path[next] == '>' ? path.substr(open, next - open + 1) : "<";
}

}  // namespace

void ValueRules::unknownPlaceholder(ValuePlace here, const std::string& token) {
    std::string spelled;
    for (const FolderPlaceholder& other : folderPlaceholders()) {
        if (equalsAsciiIgnoringCase(token, other.text)) spelled = other.text;
    }
    add(here, "placeholder-unknown",
        "\"" + token + "\" is no placeholder; the placeholders are " + placeholderList() + ", spelled exactly so.",
        "It stays in the path as written, and no file of that name can exist.",
        token == "<"      ? "Remove the \"<\": Windows allows none in a path."
        : spelled.empty() ? "Use one of the placeholders, or a plain path."
                          : "Write " + spelled + ".");
}

void ValueRules::placeholders(ValuePlace at, const std::string& path) {
    // Only the first placeholder of the table that occurs is replaced, at
    // its first occurrence.
    const CodePage codePage = platform_.systemCodePage();
    const FolderPlaceholder* first = replacedPlaceholder(codePage, path);
    const std::size_t replaced = first == nullptr ? std::string::npos : codePage.find(path, first->text);
    const std::map<std::size_t, std::string> known = placeholdersIn(codePage, path);
    for (std::size_t open = codePage.find(path, "<"); open != std::string::npos;) {
        const ValuePlace here{at.line, at.column + static_cast<int>(open)};
        const auto placeholder = known.find(open);
        const std::string token = placeholder != known.end() ? placeholder->second : unknownToken(path, open);
        if (placeholder == known.end()) {
            unknownPlaceholder(here, token);
        } else if (open != replaced) {
            add(here, "placeholder-literal",
                "Only one placeholder is replaced: the first of " + placeholderList() + " that occurs, here " +
                    first->text + " at column " + std::to_string(at.column + static_cast<int>(replaced)) + ".",
                "\"" + token + "\" stays in the path as written.", "Keep one placeholder in LOCATION_FILE.");
        }
        open = codePage.find(path, "<", open + token.size());
    }
}

std::string ValueRules::quotedEffect(const IniKey& key, const std::string& value) {
    LauncherState run;
    commandsWith(run, key, &value, "<agent folder>");
    switch (key.kind) {
    case ValueKind::InstallerFile:
        return (isMsiPackage(unquoted(value)) ? "It is no MSI package any more: the launcher runs "
                                              : "The launcher runs ") +
               run.InstallerProgram +
               " as an executable installer, quotation marks included; no file name holds them, so it reports "
               "that the installer cannot be found and exits with code " +
               std::to_string(kExitGiveUp) + ".";
    case ValueKind::AgentProgram:
        return "The agent's program becomes " + run.AgentProgram +
               ", quotation marks included; no file name holds them, so the launcher reports that the agent cannot "
               "be found and exits with code " +
               std::to_string(kExitGiveUp) + ".";
    case ValueKind::DataFolder:
        return "The launcher adds quotation marks of its own: " + useOf(key, value, "<agent folder>") + ".";
    default:
        return std::string(key.name) + " is " + value +
               ", quotation marks included: the launcher takes the value exactly as written.";
    }
}

void ValueRules::quotedValues() {
    for (const IniKey& key : iniKeys()) {
        // Lists have their own rule, and the rules of these kinds name the quotation marks.
        if (key.text == nullptr || key.kind == ValueKind::Version || key.kind == ValueKind::Mode ||
            key.kind == ValueKind::TruthWord) {
            continue;
        }
        const std::string& value = values_.*(key.text);
        const std::string inner = unquoted(value);
        if (inner.empty()) continue;
        const std::string name = key.name;
        add(place(&key), "value-quoted",
            "The quotation marks around " + name +
                " are part of its value; the launcher adds the ones that a path "
                "needs itself.",
            quotedEffect(key, value), name + "=" + inner);
    }
}

void ValueRules::registryHive() {
    const std::optional<HivePrefix> prefix = hivePrefix(values_.iniManagerLocationKey);
    if (!prefix) return;
    const std::string forAdmin = registryKeyFor(1);
    const std::string forUser = registryKeyFor(0);
    const std::string hiveName = prefix->hive ? registryHiveName(*prefix->hive) : "";
    const auto reads = [&](const std::string& read) { return prefix->hive && read.starts_with(hiveName + "\\"); };
    std::string fix = "LOCATION_KEY=" + lookupKey(platform_.systemCodePage(), values_.iniManagerLocationKey);
    // The administrator flag for which the lookup reads this hive.
    const bool admin = prefix->hive && locationHive(1) == *prefix->hive;
    const std::string isAdmin = admin ? "ISADMIN=true" : "ISADMIN=false";
    if (!prefix->hive) {
        fix += std::string(", written by the installer under ") + registryHiveName(locationHive(1)) + " or " +
               registryHiveName(locationHive(0)) + ": the launcher reads no other hive";
    } else if (!reads(forAdmin) && !reads(forUser)) {
        fix += ", and " + isAdmin + " below [COMMON]: only for " + (admin ? "all-users" : "per-user") +
               " runs does the launcher read " + hiveName;
    } else if (!reads(forAdmin) || !reads(forUser)) {
        fix += ", read in " + hiveName + " only for " + (reads(forAdmin) ? "administrators" : "other users") + "; " +
               isAdmin + " below [COMMON] makes every run read it there";
    }
    add(place(IniSection::Manager, "LOCATION_KEY"), "location-key-hive",
        "LOCATION_KEY names a key below the hive that the launcher chooses itself; a hive written in front of it "
        "becomes part of the key's name.",
        "The launcher reads the value \"location\" under " + keysRead() +
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
        if (extension != ".bat" && extension != ".cmd") continue;
        batch_ = true;
        if (!reported.insert(key).second) continue;
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
    rules.byKind();
    rules.installer();
    rules.agentLocation();
    rules.registryHive();
    rules.referenceFileFolder();
    rules.requiredVersion();
    rules.agentProgram();
    rules.batchAgent();
    rules.argumentLines();
}

}  // namespace launcher::check
