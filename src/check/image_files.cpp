#include "check/image_files.h"

#include <algorithm>
#include <cstring>

#include "config/text_rules.h"
#include "platform/path_utils.h"

namespace launcher::check {

namespace {

bool hasExtension(const std::string& name, const char* extension) {
    const std::size_t length = std::strlen(extension);
    return name.size() > length &&
           equalsAsciiIgnoringCase(std::string_view(name).substr(name.size() - length), extension);
}

}  // namespace

std::optional<LauncherFiles> chooseLauncher(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::optional<LauncherFiles> chosen;
    for (const std::string& ini : names) {
        if (!hasExtension(ini, ".ini")) continue;
        // The launcher's INI file bears its base name: what stripExtension
        // leaves of the program's file name.
        const auto program = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
            return hasExtension(name, ".exe") &&
                   equalsAsciiIgnoringCase(stripExtension(CodePage(), name), stripExtension(CodePage(), ini));
        });
        if (program == names.end()) continue;
        if (chosen) {
            chosen->others.push_back(*program);
        } else {
            chosen = LauncherFiles{ini, *program, {}};
        }
    }
    return chosen;
}

std::optional<std::string> readBytes(Platform& platform, const std::string& path) {
    std::unique_ptr<InputFile> file = platform.openForReading(path);
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    for (std::size_t got; (got = file->read(buffer, sizeof(buffer))) > 0;) bytes.append(buffer, got);
    return bytes;
}

std::string checkReadableText(Platform& platform, const std::string& path) {
    const PathKind kind = platform.pathKind(path);
    if (kind == PathKind::Missing) return "no such file";
    if (kind == PathKind::Directory) return "this is a folder, not an INI file";
    const std::optional<std::string> bytes = readBytes(platform, path);
    if (!bytes) return "the file cannot be opened for reading";
    if (bytes->find('\0') == std::string::npos) return std::string();
    return bytes->starts_with("\xFF\xFE") || bytes->starts_with("\xFE\xFF")
               ? "the file is UTF-16 text, which the launcher cannot read; save it as ANSI text"
               : "the file holds NUL bytes: it is binary, not text";
}

}  // namespace launcher::check
