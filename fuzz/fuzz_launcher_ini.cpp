// The launcher's INI file, as anyone who can write beside the launcher may
// have written it: read through the in-memory platform.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "config/launcher_ini.h"
#include "fuzz_support.h"

using namespace launcher;

namespace {

const char* const kIniPath = "C:\\image\\setup.ini";

// A value comes from one piece of a line, after its key and "=": it never
// holds a line feed or a NUL, and never exceeds the rest of a piece.
void checkValue(const char* key, std::string_view value) {
    FUZZ_CHECK(std::strlen(key) + 1 + value.size() <= fuzzing::kPieceLength, key, value);
    FUZZ_CHECK(value.find('\n') == std::string_view::npos, value);
    FUZZ_CHECK(value.find('\0') == std::string_view::npos, value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzzing::asText(data, size);
    testing::MemoryPlatform platform = fuzzing::freshPlatform();
    platform.addFile(kIniPath, std::string(text));

    IniValues values;
    values.iniManagerArgs.push_back("left over from before");
    const bool read = readLauncherIni(platform, kIniPath, values);
    FUZZ_CHECK(read, text);
    FUZZ_CHECK(platform.boxes.empty(), text);

    // Every list entry is a line of its own, and such a line holds at
    // least "ARG=".
    const std::size_t lists = values.iniInstallerArgs.size() + values.iniManagerArgs.size();
    FUZZ_CHECK(lists * 4 <= text.size(), text);
    for (const IniKey& key : iniKeys()) {
        if (key.text != nullptr) checkValue(key.name, values.*(key.text));
        if (key.list != nullptr) {
            for (const std::string& element : values.*(key.list)) checkValue(key.name, element);
        }
    }
    // A final MODE value that names a mode is the mode.
    LaunchMode named = LaunchMode::INSTALL;
    if (parseLaunchMode(values.iniMode, named)) FUZZ_CHECK(values.mode == named, values.iniMode);
    return 0;
}
