#include "discovery/agent_location.h"

#include <optional>
#include <string_view>
#include <utility>

#include "config/text_rules.h"
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

// A 64-bit package means the 64-bit folders by %ProgramFiles% and
// %CommonProgramFiles%. In this 32-bit program those variables name the
// "(x86)" folders; ProgramW6432 and CommonProgramW6432 name the others.
std::string withSixtyFourBitFolders(Platform& platform, const CodePage& codePage, const std::string& text) {
    constexpr std::pair<std::string_view, std::string_view> kFolders[] = {{"ProgramFiles", "ProgramW6432"},
                                                                          {"CommonProgramFiles", "CommonProgramW6432"}};
    std::string result;
    std::size_t at = 0;
    for (std::size_t open = codePage.find(text, "%"); open != std::string::npos;) {
        const std::size_t close = codePage.find(text, "%", open + 1);
        if (close == std::string::npos) break;
        const std::string_view name = std::string_view(text).substr(open + 1, close - open - 1);
        for (const auto& [folder, sixtyFour] : kFolders) {
            if (!equalsAsciiIgnoringCase(name, folder) || !platform.environmentVariable(std::string(sixtyFour)))
                continue;
            result.append(text, at, open + 1 - at).append(sixtyFour);
            at = close;
        }
        open = codePage.find(text, "%", close + 1);
    }
    return result.append(text, at, std::string::npos);
}

// The text with the first occurrence of pattern that begins on a character
// replaced; the text unchanged when pattern is empty or absent.
std::string replaceFirst(const CodePage& codePage, const std::string& text, const std::string& pattern,
                         const std::string& replacement) {
    const std::size_t at = codePage.find(text, pattern);
    if (at == std::string::npos) return text;
    return text.substr(0, at) + replacement + text.substr(at + pattern.size());
}

}  // namespace

std::span<const FolderPlaceholder> folderPlaceholders() { return kPlaceholders; }

const FolderPlaceholder* replacedPlaceholder(const CodePage& codePage, const std::string& text) {
    for (const FolderPlaceholder& placeholder : kPlaceholders) {
        if (codePage.find(text, placeholder.text) != std::string::npos) return &placeholder;
    }
    return nullptr;
}

std::string expandFolderPlaceholders(Platform& platform, const std::string& text, int isUserAdmin,
                                     const std::string& launcherDir) {
    const CodePage codePage = platform.systemCodePage();
    const FolderPlaceholder* placeholder = replacedPlaceholder(codePage, text);
    if (placeholder == nullptr) return text;
    const std::optional<std::string> folder = folderPath(platform, placeholder->folder, isUserAdmin, launcherDir);
    // Without the folder the placeholder stays, so that no unintended file
    // (one relative to the working directory) is read.
    return folder ? replaceFirst(codePage, text, placeholder->text, *folder) : text;
}

void readRegistryString(Platform& platform, RegistryHive hive, const std::string& key, const std::string& valueName,
                        std::string& output) {
    RegistryRead read = platform.readRegistryValue(hive, RegistryView::Own, key, valueName, kRegistryValueLimit);
    bool sixtyFourBit = false;
    if (!read.valueFound) {
        // A 32-bit launcher on 64-bit Windows reads the 32-bit view; an agent
        // whose 64-bit package registered it is found in the other view. A
        // value of the first view, even an empty one, is never looked past.
        const RegistryRead other =
            platform.readRegistryValue(hive, RegistryView::SixtyFourBit, key, valueName, kRegistryValueLimit);
        if (other.keyOpened && (other.valueFound || !read.keyOpened)) {
            read = other;
            sixtyFourBit = true;
        }
    }
    if (!read.keyOpened) return;
    output = read.valueRead ? read.data : std::string();
    // %ProgramFiles%\Quillmark as Windows expands it; the result must fit
    // the same limit as a value read as it stands.
    if (read.valueRead && read.expandable) {
        if (sixtyFourBit) output = withSixtyFourBitFolders(platform, platform.systemCodePage(), output);
        output = platform.expandEnvironmentStrings(output);
        if (output.size() + 1 > kRegistryValueLimit) output.clear();
    }
}

void findInstalledAgent(Platform& platform, TraceFile& trace, const AgentSources& sources, AgentDiscovery& result,
                        LookupRecord* record) {
    trace.block("Get Installed Agent Info");
    trace.value("iniManagerLocationKey", sources.iniManagerLocationKey);
    trace.value("iniManagerLocationFile", sources.iniManagerLocationFile);
    if (trace.isOpen()) trace.value("isAdmin()", platform.isUserAnAdmin());
    trace.value("isUserAdmin", sources.isUserAdmin);

    if (!sources.iniManagerLocationKey.empty()) {
        // The registry key comes first; the reference file is not read then.
        const RegistryHive hive = sources.isUserAdmin ? RegistryHive::LocalMachine : RegistryHive::CurrentUser;
        readRegistryString(platform, hive, sources.iniManagerLocationKey, "location", result.refLocation);
        if (record) {
            record->registryKey =
                (hive == RegistryHive::LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
                sources.iniManagerLocationKey;
        }
        trace.line("Get current agent location from Registry: \n");
        trace.value("iniManagerLocationKey", sources.iniManagerLocationKey);
    } else if (!sources.iniManagerLocationFile.empty()) {
        const std::string refFile = expandFolderPlaceholders(platform, sources.iniManagerLocationFile,
                                                             sources.isUserAdmin, sources.launcherDir);
        readProperty(platform, refFile, "location", result.refLocation);
        trace.line("Get current agent location from Reference File: \n");
        trace.value("refFile", refFile);
        if (record) record->refFile = refFile;
    }
    result.refVersion = installedAgentVersion(platform, trace, result.refLocation, record).value_or(std::string());
}

}  // namespace launcher
