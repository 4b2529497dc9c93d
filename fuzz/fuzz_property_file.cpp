// Reference properties files (key=value lines): read through the in-memory
// platform, for the key the launcher asks for and for the key of the
// file's own first line.

#include "discovery/agent_location.h"
#include "discovery/property_list.h"
#include "fuzz_support.h"

using namespace launcher;

namespace {

const char* const kPath = "C:\\ProgramData\\agent\\location.properties";

// A value follows its key and "=" in one piece of a line.
void checkFound(int result, const std::string& key, const std::string& output, std::string_view text) {
    FUZZ_CHECK(result == 0 || result == -1, text);
    if (result == -1) FUZZ_CHECK(output.empty(), text, output);
    fuzzing::checkPieceValue(key.size() + 1, output, text);
}

}  // namespace

FUZZ_TARGET(text) {
    testing::MemoryPlatform platform = fuzzing::freshPlatform();
    platform.addFile(kPath, std::string(text));

    std::string output = "before";
    const int result = readProperty(platform, kPath, "location", output);
    checkFound(result, "location", output, text);

    // The first line of a key wins, so a plain first line is always found
    // with its own value: short, one line, no CR, Ctrl-Z or NUL.
    const std::string_view first = text.substr(0, text.find('\n'));
    const std::size_t equals = first.find('=');
    if (first.size() < fuzzing::kPieceLength && equals != std::string_view::npos && equals > 0 &&
        first.find_first_of(std::string_view("\r\x1a\0", 3)) == std::string_view::npos) {
        const std::string key(first.substr(0, equals));
        std::string value;
        const int found = readProperty(platform, kPath, key, value);
        checkFound(found, key, value, text);
        FUZZ_CHECK(found == 0, text, key);
        FUZZ_CHECK(value == first.substr(equals + 1), text, key, value);
    }

    // A file that cannot be opened leaves the output as it was.
    std::string untouched = "before";
    FUZZ_CHECK(readProperty(platform, "C:\\missing.properties", "location", untouched) == -1);
    FUZZ_CHECK(untouched == "before", untouched);

    // The reference file's own path comes from the INI file and may hold a
    // folder placeholder; take the first line as such a path.
    platform.folders[kCsidlPersonal] = "C:\\Users\\u\\Documents";
    platform.folders[kCsidlAppData] = "C:\\Users\\u\\AppData\\Roaming";
    const std::string written(first);
    const std::string expanded = expandFolderPlaceholders(platform, written, 0, "C:\\image\\");
    if (written.find('<') == std::string::npos) FUZZ_CHECK(expanded == written, written, expanded);
    FUZZ_CHECK(expanded.size() + 14 >= written.size(), written, expanded);

    PropertyList list;
    FUZZ_CHECK(list.loadFile(platform, kPath) == 0, text);
}
