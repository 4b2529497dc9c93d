// Path arithmetic on paths from the command line, the INI file and the
// agent's files: normalisation, splitting, extensions, and the two repairs
// applied to the data directory that config.ini names. The first byte
// chooses the code page: a single-byte one, or 932, whose second bytes can
// be backslashes.

#include "discovery/installed_version.h"
#include "fuzz_support.h"
#include "platform/path_utils.h"

using namespace launcher;

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string withoutSeparators(std::string text) {
    std::erase_if(text, isSeparator);
    return text;
}

void checkNormalize(const std::string& input) {
    std::string output = "before";
    const int result = normalizePath(output, input);
    FUZZ_CHECK(result == 0 || result == 1, input);
    if (result == 1) {
        FUZZ_CHECK(output == input, input, output);
        return;
    }
    // A normalised path is written with backslashes only, and normalising
    // it again changes nothing.
    FUZZ_CHECK(output.find('/') == std::string::npos, input, output);
    std::string again = "before";
    FUZZ_CHECK(normalizePath(again, output) == 0, input, output);
    FUZZ_CHECK(again == output, input, output, again);
}

void checkSplit(const std::string& path) {
    const std::string directory = directoryPart(path);
    const std::string file = filePart(path);
    FUZZ_CHECK(directory + file == path, path, directory, file);
    FUZZ_CHECK(directory.empty() || directory.back() == '\\', path, directory);
    FUZZ_CHECK(file.find('\\') == std::string::npos, path, file);

    const std::string stem = stripExtension(file);
    FUZZ_CHECK(file.compare(0, stem.size(), stem) == 0, file, stem);
    if (stem.size() < file.size()) {
        FUZZ_CHECK(file[stem.size()] == '.', file, stem);
        FUZZ_CHECK(stem.size() + 1 < file.size(), file, stem);
    }

    std::string stripped = path;
    stripTrailingSeparator(stripped);
    FUZZ_CHECK(path.compare(0, stripped.size(), stripped) == 0, path, stripped);
    FUZZ_CHECK(stripped.size() == path.size() || (stripped.size() + 1 == path.size() && isSeparator(path.back())),
               path, stripped);
}

void checkRepairs(const std::string& value) {
    const std::string unescaped = unescapeDriveColon(value);
    FUZZ_CHECK(unescaped.size() == value.size() || unescaped.size() + 1 == value.size(), value, unescaped);
    // Only separators are dropped, never more than one of each pair.
    const std::string collapsed = collapseSeparators(value);
    FUZZ_CHECK(withoutSeparators(collapsed) == withoutSeparators(value), value, collapsed);
    FUZZ_CHECK(2 * collapsed.size() + 1 >= value.size(), value, collapsed);
    // A value without repeated separators is left alone.
    const bool repeated = std::adjacent_find(value.begin(), value.end(), [](char a, char b) {
                              return isSeparator(a) && isSeparator(b);
                          }) != value.end();
    if (!repeated) FUZZ_CHECK(collapsed == value, value, collapsed);
}

}  // namespace

FUZZ_TARGET(input) {
    if (input.empty()) return;
    CodePage codePage;
    if (input[0] & 1) codePage.withLeadBytes(0x81, 0x9F).withLeadBytes(0xE0, 0xFC);
    const std::string path(input.substr(1));
    checkNormalize(codePage, path);
    checkSplit(codePage, path);
    checkRepairs(codePage, path);

    // A wildcard never exists, whatever the file system holds.
    if (path.find_first_of("?*") != std::string::npos) {
        testing::MemoryPlatform platform = fuzzing::freshPlatform();
        platform.addFile(path, "x");
        FUZZ_CHECK(!pathExists(platform, path), path);
    }
}
