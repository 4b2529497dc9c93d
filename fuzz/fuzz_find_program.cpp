// Program lookup the way a command shell does it, over an in-memory file
// set. The input is NUL-separated: the name looked up, the current
// directory, the PATH value (absent when the input stops before it), then
// files; a file piece that starts with "/" adds a directory instead.
#include "fuzz_support.h"
#include "platform/path_utils.h"

using namespace launcher;

FUZZ_TARGET(input) {
    const std::vector<std::string_view> pieces = fuzzing::splitAt(input, '\0');
    testing::MemoryPlatform platform = fuzzing::freshPlatform();
    const std::string name(pieces[0]);
    platform.currentDir = pieces.size() > 1 ? std::string(pieces[1]) : "C:\\work";
    if (pieces.size() > 2) {
        platform.environment["PATH"] = std::string(pieces[2]);
    } else {
        platform.environment.erase("PATH");
    }
    for (std::size_t i = 3; i < pieces.size(); ++i) {
        if (!pieces[i].empty() && pieces[i][0] == '/') {
            platform.directories.insert(std::string(pieces[i].substr(1)));
        } else {
            platform.files[std::string(pieces[i])] = "MZ";
        }
    }

    // What is found is an existing file, reached under the name asked for.
    const std::string found = findProgram(platform, name);
    if (!found.empty()) {
        FUZZ_CHECK(platform.pathKind(found) == PathKind::File, name, found);
        FUZZ_CHECK(found.ends_with(name), name, found);
    }
    // An absolute name that is a file is found as it is.
    const bool absolute = (!name.empty() && name[0] == '\\') || (name.size() > 2 && name[1] == ':');
    if (absolute) FUZZ_CHECK(found == (platform.pathKind(name) == PathKind::File ? name : std::string()), name, found);
}
