#include "discovery/agent_location.h"

#include <optional>
#include <string_view>
#include <utility>

#include "config/text_rules.h"
#include "discovery/installed_version.h"
#include "discovery/reference_file.h"
#include "platform/spelled_path.h"

namespace launcher {

namespace {

// Placeholders, in the order in which they are looked for. "<CURRDIR>" is
// the launcher's directory, not the working directory.
constexpr FolderPlaceholder kPlaceholders[] = {
    {"<My Documents>", PlaceholderFolder::Documents}, {"<HOME>", PlaceholderFolder::Documents},
    {"<PROFILE>", PlaceholderFolder::Profile},        {"<CURRDIR>", PlaceholderFolder::LauncherDir},
    {"<APPDATA>", PlaceholderFolder::AppData},
};

std::optional<std::u16string> folderPath(Platform& platform, PlaceholderFolder folder, int isUserAdmin) {
    switch (folder) {
    case PlaceholderFolder::Documents:
        return platform.specialFolder(kCsidlPersonal);
    case PlaceholderFolder::Profile:
        return platform.specialFolder(kCsidlProfile);
    case PlaceholderFolder::AppData:
        return platform.specialFolder(isUserAdmin ? kCsidlCommonAppData : kCsidlAppData);
    case PlaceholderFolder::LauncherDir:
        break;
    }
    return std::nullopt;
}

// A 64-bit package means the 64-bit folders by %ProgramFiles% and
// %CommonProgramFiles%. In this 32-bit program those variables name the
// "(x86)" folders; ProgramW6432 and CommonProgramW6432 name the others.
std::u16string withSixtyFourBitFolders(Platform& platform, const std::u16string& text) {
    constexpr std::pair<std::string_view, std::u16string_view> kFolders[] = {
        {"ProgramFiles", u"ProgramW6432"}, {"CommonProgramFiles", u"CommonProgramW6432"}};
    std::u16string result;
    std::size_t at = 0;
    for (std::size_t open = text.find(u'%'); open != std::u16string::npos;) {
        const std::size_t close = text.find(u'%', open + 1);
        if (close == std::u16string::npos) break;
        const std::u16string_view name = std::u16string_view(text).substr(open + 1, close - open - 1);
        for (const auto& [folder, sixtyFour] : kFolders) {
            if (!equalsAsciiIgnoringCase(name, folder) ||
                !platform.environmentVariable(std::string(sixtyFour.begin(), sixtyFour.end())))
                continue;
            result.append(text, at, open + 1 - at).append(sixtyFour);
            at = close;
        }
        open = text.find(u'%', close + 1);
    }
    return result.append(text, at, std::u16string::npos);
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

const char* registryHiveName(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

RegistryHive locationHive(int isUserAdmin) {
    return isUserAdmin ? RegistryHive::LocalMachine : RegistryHive::CurrentUser;
}

const FolderPlaceholder* replacedPlaceholder(const CodePage& codePage, const std::string& text) {
    for (const FolderPlaceholder& placeholder : kPlaceholders) {
        if (codePage.find(text, placeholder.text) != std::string::npos) return &placeholder;
    }
    return nullptr;
}

SpelledPath expandFolderPlaceholders(Platform& platform, const std::string& text, int isUserAdmin,
                                     const std::string& launcherDir) {
    const CodePage codePage = platform.systemCodePage();
    const FolderPlaceholder* placeholder = replacedPlaceholder(codePage, text);
    if (placeholder == nullptr) return {text};
    if (placeholder->folder == PlaceholderFolder::LauncherDir) {
        return {replaceFirst(codePage, text, placeholder->text, launcherDir)};
    }
    const std::optional<std::u16string> folder = folderPath(platform, placeholder->folder, isUserAdmin);
    // Without the folder the placeholder stays, so that no unintended file
    // (one relative to the working directory) is read.
    if (!folder) return {text};
    const SpelledPath spelled = spellPath(platform, *folder);
    return {replaceFirst(codePage, text, placeholder->text, spelled.text), spelled.named};
}

bool readRegistryString(Platform& platform, RegistryHive hive, const std::string& key, const std::string& valueName,
                        std::string& output) {
    RegistryRead read = platform.readRegistryValue(hive, RegistryView::Own, key, valueName);
    bool sixtyFourBit = false;
    if (!read.valueFound) {
        // A 32-bit launcher on 64-bit Windows reads the 32-bit view; an agent
        // whose 64-bit package registered it is found in the other view. A
        // value of the first view, even an empty one, is never looked past.
        RegistryRead other = platform.readRegistryValue(hive, RegistryView::SixtyFourBit, key, valueName);
        if (other.keyOpened && (other.valueFound || !read.keyOpened)) {
            read = std::move(other);
            sixtyFourBit = true;
        }
    }
    if (!read.keyOpened) return true;
    output.clear();
    // The value must fit the limit as the system code page spells it, as
    // it stands and again as a path.
    if (!read.valueRead || platform.toSystemCodePage(read.data, false).text.size() + 1 > kRegistryValueLimit)
        return true;
    std::u16string path = read.data;
    // %ProgramFiles%\Quillmark as Windows expands it.
    if (read.expandable) {
        if (sixtyFourBit) path = withSixtyFourBitFolders(platform, path);
        path = platform.expandEnvironmentStrings(path);
    }
    SpelledPath spelled = spellPath(platform, path);
    if (spelled.text.size() + 1 > kRegistryValueLimit) return true;
    output = std::move(spelled.text);
    return spelled.named;
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
        const RegistryHive hive = locationHive(sources.isUserAdmin);
        const bool named =
            readRegistryString(platform, hive, sources.iniManagerLocationKey, kLocationValueName, result.refLocation);
        if (record) {
            record->registryKey = std::string(registryHiveName(hive)) + "\\" + sources.iniManagerLocationKey;
        }
        trace.line("Get current agent location from Registry: \n");
        trace.value("iniManagerLocationKey", sources.iniManagerLocationKey);
        if (!named) tracePathWithoutShortForm(trace, result.refLocation);
    } else if (!sources.iniManagerLocationFile.empty()) {
        const SpelledPath refFile = expandFolderPlaceholders(platform, sources.iniManagerLocationFile,
                                                             sources.isUserAdmin, sources.launcherDir);
        // A file that cannot be opened leaves the location as it was.
        (void)readProperty(platform, refFile.text, kLocationValueName, result.refLocation);
        trace.line("Get current agent location from Reference File: \n");
        trace.value("refFile", refFile.text);
        if (!refFile.named) tracePathWithoutShortForm(trace, refFile.text);
        if (record) record->refFile = refFile.text;
    }
    result.refVersion = installedAgentVersion(platform, trace, result.refLocation, record).value_or(std::string());
}

}  // namespace launcher
