// The rules about values as a whole: what the launcher will find, or fail
// to find, when it uses them. Paths are built by the launcher's own command
// builders and placeholder table.
#include <cctype>

#include "check/ini_lint.h"
#include "commands/launch_commands.h"
#include "discovery/agent_location.h"
#include "launcher/launch_sequence.h"
#include "platform/path_utils.h"

namespace launcher::check {

namespace {

class ValueRules {
public:
    ValueRules(Platform& platform, const std::string& launcherDir, IniWalk& walk)
        : platform_(platform), launcherDir_(launcherDir), walk_(walk), values_(walk.values) {}

    void installer();
    void agentProgram();
    void requiredVersion();
    void agentLocation();

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

    Platform& platform_;
    const std::string& launcherDir_;
    IniWalk& walk_;
    const IniValues& values_;
};

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string placeholderList() {
    std::string list;
    const auto all = folderPlaceholders();
    for (std::size_t i = 0; i < all.size(); ++i) {
        list += i == 0 ? "" : (i + 1 == all.size() ? " and " : ", ");
        list += all[i].text;
    }
    return list;
}

void ValueRules::installer() {
    const std::string& location = values_.iniInstallerLocation;
    if (location.empty()) return;
    const ValuePlace at = place(IniSection::Installer, "LOCATION");
    const std::vector<std::string> none;
    const InstallerSettings settings{launcherDir_, location, 0, std::string(), std::string(), none, none};
    LaunchCommands commands;
    const bool msi = isMsiPackage(location);
    if (msi) {
        buildMsiCommand(platform_, settings, commands);
    } else {
        buildInstallerCommand(platform_.systemCodePage(), settings, commands);
    }
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
              "exits with code 1.",
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
            "code 1.",
            "Add LOCATION_KEY=<registry key> or LOCATION_FILE=<reference file> below [MANAGER].");
    } else if (file) {
        placeholders(place(IniSection::Manager, "LOCATION_FILE"), values_.iniManagerLocationFile);
    }
}

void ValueRules::placeholders(ValuePlace at, const std::string& path) {
    // The one placeholder replaced: the first of the table that occurs, at
    // its first occurrence.
    std::size_t replaced = std::string::npos;
    std::string replacedText;
    for (const FolderPlaceholder& placeholder : folderPlaceholders()) {
        replaced = path.find(placeholder.text);
        replacedText = placeholder.text;
        if (replaced != std::string::npos) break;
    }
    for (std::size_t open = path.find('<'); open != std::string::npos; open = path.find('<', open + 1)) {
        const std::size_t close = path.find('>', open);
        if (close == std::string::npos) break;
        const std::string token = path.substr(open, close - open + 1);
        const ValuePlace here{at.line, at.column + static_cast<int>(open)};
        bool known = false;
        std::string spelled;
        for (const FolderPlaceholder& placeholder : folderPlaceholders()) {
            known = known || token == placeholder.text;
            if (equalsIgnoringCase(token, placeholder.text)) spelled = placeholder.text;
        }
        if (!known) {
            add(here, "placeholder-unknown",
                "\"" + token + "\" is no placeholder; the placeholders are " + placeholderList() +
                    ", spelled exactly so.",
                "It stays in the path as written, and no file of that name can exist.",
                spelled.empty() ? "Use one of the placeholders, or a plain path." : "Write " + spelled + ".");
        } else if (open != replaced) {
            add(here, "placeholder-literal",
                "Only one placeholder is replaced: the first of " + placeholderList() +
                    " that occurs, here " + replacedText + " at column " +
                    std::to_string(at.column + static_cast<int>(replaced)) + ".",
                "\"" + token + "\" stays in the path as written.", "Keep one placeholder in LOCATION_FILE.");
        }
        open = close;
    }
}

}  // namespace

void checkIniValues(Platform& platform, const std::string& launcherDir, IniWalk& walk) {
    ValueRules rules(platform, launcherDir, walk);
    rules.installer();
    rules.agentLocation();
    rules.requiredVersion();
    rules.agentProgram();
}

}  // namespace launcher::check
