#include "platform/process_launch.h"

namespace launcher {

std::string resolveProgramFile(Platform& platform, const std::string& path) {
    const CodePage codePage = platform.systemCodePage();
    const std::size_t slash = codePage.findLastOf(path, "\\/");
    std::string program = path;
    std::size_t componentStart = 0;
    if (slash != std::string::npos) {
        componentStart = slash + 1;
    } else {
        const std::size_t colon = codePage.find(path, ":");
        if (colon != std::string::npos) {
            componentStart = colon + 1;
        } else {
            // No directory at all: the current directory only, never PATH.
            program = ".\\" + path;
            componentStart = 2;
        }
    }
    // Without a file name there is nothing to look for: an empty name must
    // never find ".exe" or ".cmd" in the current directory.
    if (componentStart == program.size()) return std::string();
    if (codePage.find(program, ".", componentStart) != std::string::npos) {
        return platform.pathKind(program) != PathKind::Missing ? program : std::string();
    }
    // A name without extension is never started as it is.
    for (const char* extension : {".com", ".exe", ".bat", ".cmd"}) {
        const std::string candidate = program + extension;
        if (platform.pathKind(candidate) != PathKind::Missing) return candidate;
    }
    return std::string();
}

std::string joinArgVector(const ArgVector& arguments) {
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) line += ' ';
        line += arguments[i];
    }
    return line;
}

int runAndWait(Platform& platform, const std::string& program, const ArgVector& arguments) {
    const std::string file = resolveProgramFile(platform, program);
    if (file.empty()) return kStartFailed;
    return platform.runAndWaitProcess(file, joinArgVector(arguments));
}

StartResult startAndExit(Platform& platform, const std::string& program, const ArgVector& arguments) {
    const std::string file = resolveProgramFile(platform, program);
    if (file.empty()) return StartResult::Failed;
    return platform.startProcess(file, joinArgVector(arguments)) ? StartResult::HandedOver : StartResult::Failed;
}

}  // namespace launcher
