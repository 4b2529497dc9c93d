// Every fuzz target, one property each, over one driver: the build makes an
// executable per target, and FUZZ_TARGET names the function that it runs on
// each input. Inputs reach the readers through a machine of this file's own
// that holds nothing but the files a target puts in it. A failed property
// aborts, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "check/env_platform.h"
#include "discovery/reference_file.h"
#include "launcher/command_line.h"
#include "launcher/effective_settings.h"
#include "platform/path_utils.h"
#include "platform/text_file.h"
#include "version/version_compare.h"

#define FUZZ_CHECK(condition)                                                          \
    if (!(condition)) {                                                                \
        std::fprintf(stderr, "property failed: %s (line %d)\n", #condition, __LINE__); \
        std::abort();                                                                  \
    }

namespace launcher::fuzzing {

// The longest piece of a line that one read delivers, written out here rather
// than taken from the reader, so that a change to the reader's own constant
// is caught.
inline constexpr std::size_t kPieceLength = 254;

// The pieces of text between separators, in place: a reader that reads past
// the last one meets the end of libFuzzer's buffer.
std::vector<std::string_view> splitAt(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (std::size_t at; (at = text.find(separator)) != std::string_view::npos; text.remove_prefix(at + 1)) {
        pieces.push_back(text.substr(0, at));
    }
    pieces.push_back(text);
    return pieces;
}

// A file that hands out its bytes in reads of sizes that a generator seeded
// with `sizes` picks (all at once for 0), as a pipe or a network file may.
struct File : InputFile {
    File(std::string bytes, unsigned sizes) : bytes_(std::move(bytes)), sizes_(sizes) {}
    std::size_t read(char* buffer, std::size_t size) override {
        constexpr std::size_t kSizes[] = {1, 2, 3, 7, 64, 253, 254, 255, 256, 4096, 70000};
        if (sizes_ != 0) sizes_ = sizes_ * 1103515245u + 12345u;
        const std::size_t got =
            bytes_.copy(buffer, sizes_ == 0 ? size : std::min(size, kSizes[(sizes_ >> 16) % 11]), at_);
        at_ += got;
        return got;
    }
    std::string bytes_;
    unsigned sizes_;
    std::size_t at_ = 0;
};

// launcher-check's described machine, with its files in memory: a file
// named without a folder stands in every folder.
struct Machine : check::EnvPlatform {
    Machine() : EnvPlatform(check::EnvSettings(), std::string()) {}
    std::map<std::string, std::string> files;
    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        auto found = files.find(path);
        if (found == files.end()) found = files.find(path.substr(path.rfind('\\') + 1));
        return found == files.end() ? nullptr : std::make_unique<File>(found->second, 0);
    }
};

// The first byte picks the read sizes, the rest is a file. The reader gives
// the lines of a plain model of text mode, however the bytes arrive: CR LF
// reads as LF, a Ctrl-Z ends the text, a piece is at most 254 characters and
// ends after a line feed, and a line is its piece without the line feed, cut
// at a NUL.
void fuzz_text_file(std::string_view input) {
    if (input.empty()) return;
    const std::string bytes(input.substr(1));
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i) {
        if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') text += bytes[i];
    }
    TextLineReader reader(std::make_unique<File>(bytes, static_cast<unsigned char>(input[0])));
    std::string_view line;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = std::min(text.size() - at, kPieceLength);
        if (const std::size_t lineFeed = text.find('\n', at); lineFeed - at < length) length = lineFeed - at + 1;
        std::string piece = text.substr(at, length);
        at += length;
        if (piece.back() == '\n') piece.pop_back();
        FUZZ_CHECK(reader.nextLine(line) && line == piece.substr(0, piece.find('\0')));
    }
    FUZZ_CHECK(!reader.nextLine(line));
}

// An INI file: every value fits the rest of its piece after its key and "=",
// and holds no line feed and no NUL.
void fuzz_launcher_ini(std::string_view input) {
    Machine machine;
    machine.files["setup.ini"] = input;
    IniValues values;
    FUZZ_CHECK(readLauncherIni(machine, "C:\\image\\setup.ini", values));
    for (const IniKey& key : iniKeys()) {
        std::vector<std::string> found = key.list ? values.*(key.list) : std::vector<std::string>{values.*(key.text)};
        for (const std::string& value : found) {
            FUZZ_CHECK(std::strlen(key.name) + 1 + value.size() <= kPieceLength &&
                       value.find('\n') == std::string::npos && value.find('\0') == std::string::npos);
        }
    }
}

// A reference file: the first line of a key wins, so a plain first line (short,
// no CR, Ctrl-Z or NUL) is found with its own value.
void fuzz_property_file(std::string_view input) {
    Machine machine;
    machine.files["r.properties"] = input;
    const std::string first(input.substr(0, input.find('\n')));
    const std::size_t equals = first.find('=');
    std::string value;
    const int found = readProperty(machine, "C:\\r.properties", first.substr(0, equals), value);
    if (first.size() < kPieceLength && equals + 1 > 1 &&
        first.find_first_of(std::string_view("\r\x1a\0", 3)) == std::string::npos) {
        FUZZ_CHECK(found == 0 && value == first.substr(equals + 1));
    }
}

// config.ini, a byte 0x1E, then installed.xml, which stands wherever the
// launcher looks for it: the two hops give nothing, or exactly the version
// that installed.xml records, without its quotation marks.
void fuzz_installed_version(std::string_view input) {
    const std::string_view config = splitAt(input, '\x1e')[0];
    Machine machine;
    machine.files["C:\\Agent\\eclipse\\configuration\\config.ini"] = config;
    machine.files["installed.xml"] = input.substr(std::min(input.size(), config.size() + 1));
    std::string version;
    readPackageVersion(machine, "C:\\installed.xml", version);
    TraceFile closed;
    const std::optional<std::string> installed = installedAgentVersion(machine, closed, "C:\\Agent");
    FUZZ_CHECK(!installed || (*installed == version && !version.empty() && version.find('\'') == std::string::npos));
}

// Three versions separated by NUL bytes: the comparison orders them, as a
// total order does: antisymmetric, and "at most" is transitive.
void fuzz_version_compare(std::string_view input) {
    std::vector<std::string_view> v = splitAt(input, '\0');
    v.resize(3);
    for (int i = 0; i < 27; ++i) {
        const int ij = compareVersions(v[i % 3], v[i / 3 % 3]);
        FUZZ_CHECK(ij == -compareVersions(v[i / 3 % 3], v[i % 3]));
        if (ij <= 0 && compareVersions(v[i / 3 % 3], v[i / 9]) <= 0)
            FUZZ_CHECK(compareVersions(v[i % 3], v[i / 9]) <= 0);
    }
}

// Arguments separated by NUL bytes, a byte 0x1E, then an INI file: no INI
// file undoes -silent, and a silent run waits and allows no box.
void fuzz_command_line(std::string_view input) {
    const std::string_view line = splitAt(input, '\x1e')[0];
    std::vector<CommandArgument> arguments = {std::string("C:\\image\\setup.exe")};
    for (const std::string_view argument : splitAt(line, '\0')) arguments.emplace_back(std::string(argument));
    Machine machine;
    machine.files["setup.ini"] = input.substr(std::min(input.size(), line.size() + 1));
    LauncherState state;
    state.launcherDir = "C:\\image\\";
    FUZZ_CHECK(readLauncherIni(machine, "C:\\image\\setup.ini", state));
    if (parseCommandLine(arguments, state) == ParseResult::HelpRequested) return;
    resolveEffectiveSettings(machine, state);
    if (state.argIsSilent == 1) FUZZ_CHECK(state.isSilent == 1);
    if (state.isSilent == 1) FUZZ_CHECK(state.isWait == 1 && state.isDialogAllowed == 0);
}

// A byte that chooses the code page (odd: 932, whose second bytes can be
// backslashes), then a path: normalising a normalised path changes nothing.
void fuzz_path_utils(std::string_view input) {
    if (input.empty()) return;
    CodePage codePage;
    if (input[0] & 1) codePage.withLeadBytes(0x81, 0x9F).withLeadBytes(0xE0, 0xFC);
    std::string once;
    std::string twice;
    if (normalizePath(codePage, once, std::string(input.substr(1))) != 0) return;
    FUZZ_CHECK(normalizePath(codePage, twice, once) == 0 && twice == once);
}

}  // namespace launcher::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    launcher::fuzzing::FUZZ_TARGET(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
