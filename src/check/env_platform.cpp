#include "check/env_platform.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <filesystem>

#include "check/findings.h"
#include "check/ini_lint.h"
#include "config/text_rules.h"
#include "messages/messages.h"
#include "platform/path_utils.h"

namespace launcher::check {

namespace fs = std::filesystem;

namespace {

class HostFile : public InputFile {
public:
    explicit HostFile(std::FILE* file) : file_(file) {}
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    ~HostFile() override { std::fclose(file_); }
    std::size_t read(char* buffer, std::size_t size) override { return std::fread(buffer, 1, size, file_); }

private:
    std::FILE* file_;
};

bool isNumber(const std::string& text) {
    return !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos;
}

std::optional<int> folderNumber(const std::string& name) {
    if (name == "PERSONAL") return kCsidlPersonal;
    if (name == "PROFILE") return kCsidlProfile;
    if (name == "APPDATA") return kCsidlAppData;
    if (name == "COMMON_APPDATA") return kCsidlCommonAppData;
    if (isNumber(name)) return std::stoi(name);
    return std::nullopt;
}

// "HKLM\Software\Agent\location" gives "hklm\software\agent" and "location".
bool registryName(const std::string& name, std::string& key, std::string& value) {
    const std::size_t first = name.find('\\');
    const std::size_t last = name.rfind('\\');
    if (first == std::string::npos || last == first) return false;
    const std::string hive = lowered(name.substr(0, first));
    const char* tag = hive == "hklm" || hive == "hkey_local_machine"  ? "hklm"
                      : hive == "hkcu" || hive == "hkey_current_user" ? "hkcu"
                                                                      : nullptr;
    if (tag == nullptr) return false;
    key = std::string(tag) + lowered(name.substr(first, last - first));
    value = lowered(name.substr(last + 1));
    return true;
}

// "[32|64] [REG_SZ|REG_EXPAND_SZ] HKLM\key\value": the words before the
// value's name say its view and type.
bool registrySetting(const std::string& argument, const std::string& data, EnvSettings& settings) {
    std::istringstream words(argument);
    EnvView view = EnvView::Both;
    RegistryEntry entry{data};
    std::string word;
    while (words >> word) {
        if (word == "32" || word == "64") {
            view = word == "32" ? EnvView::ThirtyTwoBit : EnvView::SixtyFourBit;
        } else if (word == "REG_SZ" || word == "REG_EXPAND_SZ") {
            entry.expandable = word == "REG_EXPAND_SZ";
        } else {
            break;
        }
    }
    std::string name = word;
    for (std::string more; words >> more;) name += " " + more;
    std::string key;
    std::string value;
    if (!registryName(name, key, value)) return false;
    settings.registry[{view, key}][value] = entry;
    return true;
}

// "exit = 23 0": the codes, run by run.
bool exitCodes(const std::string& value, std::vector<int>& codes) {
    std::istringstream words(value);
    codes.clear();
    for (std::string word; words >> word;) {
        char* end = nullptr;
        const long code = std::strtol(word.c_str(), &end, 0);
        if (*end != '\0') return false;
        codes.push_back(static_cast<int>(code));
    }
    return !codes.empty();
}

std::string childSetting(const std::string& word, const std::string& argument, const std::string& value,
                         ChildModel& children) {
    std::vector<int> codes;
    if (word == "agent" && argument == "exit") {
        if (!exitCodes(value, children.agentExits)) return "agent exit takes exit codes, such as 23 0";
    } else if (argument == "exit") {
        if (!exitCodes(value, codes) || codes.size() != 1) return "installer exit takes one exit code, such as 1603";
        children.installerExit = codes[0];
    } else if (argument == "version" && !value.empty()) {
        children.installerVersion = value;
    } else if (argument == "location" && !value.empty()) {
        children.installerLocation = value;
    } else {
        return "unknown setting \"" + word + " " + argument + "\"";
    }
    return std::string();
}

std::string applySetting(const std::string& word, const std::string& argument, const std::string& value,
                         const std::string& hostBase, EnvSettings& settings) {
    const bool plain = argument.empty();
    if (word == "image" && plain) {
        settings.image = value;
    } else if (word == "cwd" && plain) {
        settings.currentDir = value;
    } else if (word == "system" && plain) {
        settings.systemDir = value;
    } else if (word == "admin" && plain) {
        if (!isTrueWord(value) && !isFalseWord(value) && value != "1" && value != "0") return "admin takes yes or no";
        settings.admin = (isTrueWord(value) || value == "1") ? 1 : 0;
    } else if (word == "language" && plain) {
        if (!isNumber(value) || std::stoi(value) > 0xFFFF) return "language takes a number such as 1033";
        settings.language = static_cast<std::uint16_t>(std::stoi(value));
    } else if (word == "map" && !plain) {
        const fs::path host(value);
        settings.maps.emplace_back(argument, host.is_absolute() ? value : (fs::path(hostBase) / host).string());
    } else if (word == "folder" && !plain) {
        const std::optional<int> csidl = folderNumber(argument);
        if (!csidl) return "folder takes PERSONAL, PROFILE, APPDATA, COMMON_APPDATA or a CSIDL number";
        settings.folders[*csidl] = value;
    } else if (word == "registry" && !plain) {
        if (!registrySetting(argument, value, settings)) {
            return "registry takes [32|64] [REG_SZ|REG_EXPAND_SZ] HKLM\\key\\value or HKCU\\key\\value";
        }
    } else if ((word == "installer" || word == "agent") && !plain) {
        return childSetting(word, argument, value, settings.children);
    } else if (word == "env" && !plain) {
        settings.environment[lowered(argument)] = value;
    } else {
        return "unknown setting \"" + word + (plain ? "" : " " + argument) + "\"";
    }
    return std::string();
}

}  // namespace

std::string parseEnvText(std::string_view text, const std::string& hostBase, EnvSettings& settings) {
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string line = trimBlanksAndTabs(text.substr(start, end - start));
        start = end + 1;
        ++number;
        const std::string content = line.ends_with('\r') ? trimBlanksAndTabs(line.substr(0, line.size() - 1)) : line;
        if (content.empty() || content[0] == '#') continue;
        std::string name;
        std::string value;
        std::string error = "expected NAME = VALUE";
        if (splitKeyValue(content, name, value) == 0) {
            const std::size_t blank = name.find_first_of(" \t");
            const std::string word = name.substr(0, blank);
            const std::string argument = blank == std::string::npos ? "" : trimBlanksAndTabs(name.substr(blank));
            error = applySetting(word, argument, trimBlanksAndTabs(value), hostBase, settings);
        }
        if (!error.empty()) return "line " + std::to_string(number) + ": " + error;
    }
    return std::string();
}

namespace {

// A folder that climbs above its first part stays as written, and no path
// of the run lies inside it.
std::string normalized(const std::string& path) {
    std::string normal;
    (void)normalizePath(CodePage(), normal, path);
    return normal;
}

}  // namespace

EnvPlatform::EnvPlatform(EnvSettings settings, std::string hostImage) : settings_(std::move(settings)) {
    roots_.emplace_back(normalized(settings_.image), std::move(hostImage));
    for (const auto& [windows, host] : settings_.maps) roots_.emplace_back(normalized(windows), host);
}

std::optional<std::string> EnvPlatform::hostPath(const std::string& windowsPath) const {
    std::string path;
    if (normalizePath(CodePage(), path, windowsPath) != 0) return std::nullopt;
    const std::pair<std::string, std::string>* best = nullptr;
    for (const auto& root : roots_) {
        const std::string& prefix = root.first;
        const bool inside = equalsAsciiIgnoringCase(path, prefix) ||
                            (path.size() > prefix.size() && path[prefix.size()] == '\\' &&
                             equalsAsciiIgnoringCase(std::string_view(path).substr(0, prefix.size()), prefix));
        if (inside && (best == nullptr || prefix.size() > best->first.size())) best = &root;
    }
    if (best == nullptr) return std::nullopt;
    fs::path host(best->second);
    std::size_t at = best->first.size();
    while (at < path.size()) {
        const std::size_t next = std::min(path.find('\\', at + 1), path.size());
        const std::string name = path.substr(at + 1, next - at - 1);
        at = next;
        std::error_code ec;
        fs::path exact = host / name;
        if (!fs::exists(exact, ec)) {
            // Windows finds names in any letter case.
            for (const fs::directory_entry& entry : fs::directory_iterator(host, ec)) {
                if (equalsAsciiIgnoringCase(entry.path().filename().string(), name)) exact = entry.path();
            }
        }
        host = exact;
    }
    return host.string();
}

PathKind EnvPlatform::pathKind(const std::string& path) {
    const std::optional<std::string> host = hostPath(path);
    std::error_code ec;
    if (!host) {
        // The system folder, unless a map names it, holds msiexec.exe.
        const std::string normal = normalized(path);
        const std::string system = normalized(settings_.systemDir);
        if (equalsAsciiIgnoringCase(normal, system)) return PathKind::Directory;
        return equalsAsciiIgnoringCase(normal, system + "\\msiexec.exe") ? PathKind::File : PathKind::Missing;
    }
    const fs::file_status status = fs::status(*host, ec);
    if (fs::is_directory(status)) return PathKind::Directory;
    return fs::is_regular_file(status) ? PathKind::File : PathKind::Missing;
}

std::unique_ptr<InputFile> EnvPlatform::openForReading(const std::string& path) {
    const std::optional<std::string> host = hostPath(path);
    if (!host || pathKind(path) != PathKind::File) return nullptr;  // msiexec.exe has no bytes to read
    std::FILE* file = std::fopen(host->c_str(), "rb");
    if (file == nullptr) return nullptr;
    return std::make_unique<HostFile>(file);
}

std::string EnvPlatform::currentDirectory() {
    return settings_.currentDir.empty() ? settings_.image : settings_.currentDir;
}

std::optional<std::string> EnvPlatform::environmentVariable(const std::string& name) {
    const auto found = settings_.environment.find(lowered(name));
    if (found == settings_.environment.end()) return std::nullopt;
    return found->second;
}

int EnvPlatform::pathIsRelative(const std::string& path) { return pathIsRelativeLikeShell(CodePage(), path); }

std::optional<std::u16string> EnvPlatform::specialFolder(Csidl csidl) {
    const auto found = settings_.folders.find(csidl);
    if (found == settings_.folders.end()) return std::nullopt;
    return utf8ToUtf16(found->second);
}

// A value of a view stands beside the values that both views see.
RegistryRead EnvPlatform::readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                            const std::string& valueName) {
    RegistryRead read;
    const std::string name = (hive == RegistryHive::LocalMachine ? "hklm\\" : "hkcu\\") + lowered(key);
    const EnvView own = view == RegistryView::SixtyFourBit ? EnvView::SixtyFourBit : EnvView::ThirtyTwoBit;
    for (const EnvView seen : {own, EnvView::Both}) {
        const auto found = settings_.registry.find({seen, name});
        if (found == settings_.registry.end()) continue;
        read.keyOpened = true;
        const auto value = found->second.find(lowered(valueName));
        if (value == found->second.end()) continue;
        return {true, true, true, value->second.expandable, utf8ToUtf16(value->second.data)};
    }
    return read;
}

std::string EnvPlatform::systemCodePageToUtf8(const std::string& text) { return asUtf8(text); }

std::u16string EnvPlatform::expandEnvironmentStrings(const std::u16string& text) {
    return expandLikeWindows(text, [&](std::u16string_view name) -> std::optional<std::u16string> {
        const std::optional<std::string> value = environmentVariable(utf16ToUtf8(std::u16string(name)));
        return value ? std::optional(utf8ToUtf16(*value)) : std::nullopt;
    });
}

Narrowed EnvPlatform::toSystemCodePage(std::u16string_view text, bool) {
    return {utf16ToUtf8(std::u16string(text)), true};
}

}  // namespace launcher::check
