#include "check/image_files.h"
#include "config/text_rules.h"

#include <algorithm>
#include <cstring>

#include "check/ini_lint.h"
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

std::string checkReadableText(Platform& platform, const std::string& path) {
    const PathKind kind = platform.pathKind(path);
    if (kind == PathKind::Missing) return "no such file";
    if (kind == PathKind::Directory) return "this is a folder, not an INI file";
    std::unique_ptr<InputFile> file = platform.openForReading(path);
    if (!file) return "the file cannot be opened for reading";
    char buffer[4096];
    bool first = true;
    for (std::size_t got; (got = file->read(buffer, sizeof(buffer))) > 0; first = false) {
        if (std::memchr(buffer, '\0', got) == nullptr) continue;
        const bool utf16 =
            first && got >= 2 &&
            ((buffer[0] == '\xFF' && buffer[1] == '\xFE') || (buffer[0] == '\xFE' && buffer[1] == '\xFF'));
        return utf16 ? "the file is UTF-16 text, which the launcher cannot read; save it as ANSI text"
                     : "the file holds NUL bytes: it is binary, not text";
    }
    return std::string();
}

}  // namespace launcher::check
