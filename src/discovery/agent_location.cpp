#include "discovery/agent_location.h"

#include <optional>

#include "discovery/installed_version.h"
#include "discovery/property_list.h"

namespace launcher {

namespace {

// Placeholders, in the order in which they are looked for. "<CURRDIR>" is
// the launcher's directory, not the working directory.
constexpr FolderPlaceholder kPlaceholders[] = {
    {"<My Documents>", PlaceholderFolder::Documents}, {"<HOME>", PlaceholderFolder::Documents},
    {"<PROFILE>", PlaceholderFolder::Profile},        {"<CURRDIR>", PlaceholderFolder::LauncherDir},
    {"<APPDATA>", PlaceholderFolder::AppData},
};

std::optional<std::string> folderPath(Platform& platform, PlaceholderFolder folder, int isUserAdmin,
                                      const std::string& launcherDir) {
    switch (folder) {
    case PlaceholderFolder::Documents:
        return platform.specialFolder(kCsidlPersonal);
    case PlaceholderFolder::Profile:
        return platform.specialFolder(kCsidlProfile);
    case PlaceholderFolder::LauncherDir:
        return launcherDir;
    case PlaceholderFolder::AppData:
        return platform.specialFolder(isUserAdmin ? kCsidlCommonAppData : kCsidlAppData);
    }
    return std::nullopt;
}

}  // namespace

std::span<const FolderPlaceholder> folderPlaceholders() { return kPlaceholders; }

std::string replaceFirst(const std::string& text, const std::string& pattern, const std::string& replacement) {
    const std::size_t at = pattern.empty() ? std::string::npos : text.find(pattern);
    if (at == std::string::npos) return text;
    return text.substr(0, at) + replacement + text.substr(at + pattern.size());
}

std::string expandFolderPlaceholders(Platform& platform, const std::string& text, int isUserAdmin,
                                     const std::string& launcherDir) {
    for (const FolderPlaceholder& placeholder : kPlaceholders) {
        if (text.find(placeholder.text) == std::string::npos) continue;
        const std::optional<std::string> folder = folderPath(platform, placeholder.folder, isUserAdmin, launcherDir);
        // Without the folder the placeholder stays, so that no unintended
        // file (one relative to the working directory) is read.
        return folder ? replaceFirst(text, placeholder.text, *folder) : text;
    }
    return text;
}

void readRegistryString(Platform& platform, RegistryHive hive, const std::string& key, const std::string& valueName,
                        std::string& output) {
    const RegistryRead read = platform.readRegistryValue(hive, key, valueName, kRegistryValueLimit);
    if (!read.keyOpened) return;
    output = read.valueRead ? read.data : std::string();
}

void findInstalledAgent(Platform& platform, TraceFile& trace, const AgentSources& sources, AgentDiscovery& result) {
    trace.block("Get Installed Agent Info");
    trace.value("iniManagerLocationKey", sources.iniManagerLocationKey);
    trace.value("iniManagerLocationFile", sources.iniManagerLocationFile);
    if (trace.isOpen()) trace.value("isAdmin()", platform.isUserAnAdmin());
    trace.value("isUserAdmin", sources.isUserAdmin);

    if (!sources.iniManagerLocationKey.empty()) {
        // The registry key comes first; the reference file is not read then.
        const RegistryHive hive = sources.isUserAdmin ? RegistryHive::LocalMachine : RegistryHive::CurrentUser;
        readRegistryString(platform, hive, sources.iniManagerLocationKey, "location", result.refLocation);
        trace.line("Get current agent location from Registry: \n");
        trace.value("iniManagerLocationKey", sources.iniManagerLocationKey);
    } else if (!sources.iniManagerLocationFile.empty()) {
        const std::string refFile = expandFolderPlaceholders(platform, sources.iniManagerLocationFile,
                                                             sources.isUserAdmin, sources.launcherDir);
        readProperty(platform, refFile, "location", result.refLocation);
        trace.line("Get current agent location from Reference File: \n");
        trace.value("refFile", refFile);
    }
    result.refVersion = installedAgentVersion(platform, trace, result.refLocation).value_or(std::string());
}

}  // namespace launcher
