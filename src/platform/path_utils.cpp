#include "platform/path_utils.h"

#include <vector>

namespace launcher {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// A candidate counts when it names an existing file; a directory does not.
bool isProgramFile(Platform& platform, const std::string& candidate) {
    return platform.pathKind(candidate) == PathKind::File;
}

}  // namespace

std::string joinWithBackslash(const CodePage& codePage, const std::string& directory, const std::string& name) {
    return codePage.endsWith(directory, "\\") ? directory + name : directory + '\\' + name;
}

std::string findProgram(Platform& platform, const std::string& name) {
    const CodePage codePage = platform.systemCodePage();
    const bool absolute =
        (!name.empty() && name[0] == '\\') || (name.size() > 2 && !codePage.isLeadByte(name[0]) && name[1] == ':');
    std::string candidate;
    if (absolute) {
        candidate = name;
    } else if (codePage.find(name, "\\") != std::string::npos) {
        candidate = joinWithBackslash(codePage, platform.currentDirectory(), name);
    } else {
        // A bare name: the current directory first, then every PATH entry.
        // Without a PATH variable only the current directory is searched.
        const std::string list = ".;" + platform.environmentVariable("PATH").value_or("");
        std::size_t pos = 0;
        while (pos < list.size()) {
            if (list[pos] == ';') {
                ++pos;
                continue;
            }
            // The last entry runs to the end of the list (end is npos).
            const std::size_t end = list.find(';', pos);
            candidate = joinWithBackslash(codePage, list.substr(pos, end - pos), name);
            if (candidate.starts_with(".\\") || candidate.starts_with("..\\")) {
                candidate = platform.currentDirectory() + '\\' + candidate;
            }
            if (isProgramFile(platform, candidate)) break;
            pos = end;
        }
    }
    return isProgramFile(platform, candidate) ? candidate : std::string();
}

std::string directoryPart(const CodePage& codePage, const std::string& path) {
    const std::size_t slash = codePage.findLastOf(path, "\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string filePart(const CodePage& codePage, const std::string& path) {
    const std::size_t slash = codePage.findLastOf(path, "\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string stripExtension(const CodePage& codePage, const std::string& name) {
    const std::size_t dot = codePage.findLastOf(name, ".");
    if (dot == std::string::npos || dot + 1 == name.size()) return name;
    return name.substr(0, dot);
}

bool pathExists(Platform& platform, const std::string& path) {
    if (path.find_first_of("?*") != std::string::npos) return false;
    return platform.pathKind(path) != PathKind::Missing;
}

void stripTrailingSeparator(const CodePage& codePage, std::string& path) {
    if (codePage.endsWith(path, "\\") || codePage.endsWith(path, "/")) path.pop_back();
}

int isAbsolutePath(Platform& platform, const std::string& path) { return platform.pathIsRelative(path) == 1 ? 0 : 1; }

int normalizePath(const CodePage& codePage, std::string& output, const std::string& input) {
    output = input;
    std::string prefix;
    std::string segment;
    std::vector<std::string> stack;
    bool onlySeparators = true;
    for (std::size_t i = 0, next = 0; i < input.size(); i = next) {
        next = codePage.next(input, i);
        const char c = input[i];
        // A character's lead byte is never a separator, and its trail byte is
        // stepped over with it.
        if (!isSeparator(c)) {
            onlySeparators = false;
            segment.append(input, i, next - i);
            continue;
        }
        if (onlySeparators) {
            prefix += '\\';
            continue;
        }
        if (segment == "..") {
            if (stack.empty()) return 1;
            stack.pop_back();
        } else if (!segment.empty() && segment != ".") {
            stack.push_back(segment);
        }
        segment.clear();
    }
    // A final "." or ".." that no separator follows stays as it is.
    if (!segment.empty()) stack.push_back(segment);
    std::string result = prefix;
    for (std::size_t i = 0; i < stack.size(); ++i) {
        if (i > 0) result += '\\';
        result += stack[i];
    }
    output = result;
    return 0;
}

}  // namespace launcher
