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

// The characters of text, without its separators.
std::vector<std::string> charactersWithoutSeparators(const CodePage& codePage, const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0, next = 0; i < text.size(); i = next) {
        next = codePage.next(text, i);
        if (next - i == 1 && isSeparator(text[i])) continue;
        characters.push_back(text.substr(i, next - i));
    }
    return characters;
}

void checkNormalize(const CodePage& codePage, const std::string& input) {
    std::string output = "before";
    const int result = normalizePath(codePage, output, input);
    FUZZ_CHECK(result == 0 || result == 1, input);
    if (result == 1) {
        FUZZ_CHECK(output == input, input, output);
        return;
    }
    // A normalised path is written with backslashes only, and normalising
    // it again changes nothing.
    FUZZ_CHECK(codePage.find(output, "/") == std::string::npos, input, output);
    std::string again = "before";
    FUZZ_CHECK(normalizePath(codePage, again, output) == 0, input, output);
    FUZZ_CHECK(again == output, input, output, again);
}

void checkSplit(const CodePage& codePage, const std::string& path) {
    const std::string directory = directoryPart(codePage, path);
    const std::string file = filePart(codePage, path);
    FUZZ_CHECK(directory + file == path, path, directory, file);
    FUZZ_CHECK(directory.empty() || codePage.endsWith(directory, "\\"), path, directory);
    FUZZ_CHECK(codePage.find(file, "\\") == std::string::npos, path, file);

    const std::string stem = stripExtension(codePage, file);
    FUZZ_CHECK(file.compare(0, stem.size(), stem) == 0, file, stem);
    if (stem.size() < file.size()) {
        FUZZ_CHECK(file[stem.size()] == '.', file, stem);
        FUZZ_CHECK(stem.size() + 1 < file.size(), file, stem);
    }

    std::string stripped = path;
    stripTrailingSeparator(codePage, stripped);
    FUZZ_CHECK(path.compare(0, stripped.size(), stripped) == 0, path, stripped);
    FUZZ_CHECK(
        stripped.size() == path.size() || (stripped.size() + 1 == path.size() &&
                                           codePage.beginsCharacter(path, stripped.size()) && isSeparator(path.back())),
        path, stripped);
}

void checkRepairs(const CodePage& codePage, const std::string& value) {
    const std::string unescaped = unescapeDriveColon(codePage, value);
    FUZZ_CHECK(unescaped.size() == value.size() || unescaped.size() + 1 == value.size(), value, unescaped);
    // Only separators are dropped, never more than one of each pair, and
    // never the second byte of a character.
    const std::string collapsed = collapseSeparators(codePage, value);
    FUZZ_CHECK(charactersWithoutSeparators(codePage, collapsed) == charactersWithoutSeparators(codePage, value), value,
               collapsed);
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
