// The launcher's INI file, as anyone who can write beside the launcher may
// have written it: read through the in-memory platform.
#include "config/launcher_ini.h"
#include "fuzz_support.h"

using namespace launcher;

FUZZ_TARGET(text) {
    const char* const iniPath = "C:\\image\\setup.ini";
    testing::MemoryPlatform platform = fuzzing::freshPlatform();
    platform.addFile(iniPath, std::string(text));

    IniValues values;
    values.iniManagerArgs.push_back("left over from before");
    const bool read = readLauncherIni(platform, iniPath, values);
    FUZZ_CHECK(read, text);
    FUZZ_CHECK(platform.boxes.empty(), text);

    // Every list entry is a line of its own, and such a line holds at
    // least "ARG=". A value comes from one piece of a line, after its key
    // and "=".
    const std::size_t lists = values.iniInstallerArgs.size() + values.iniManagerArgs.size();
    FUZZ_CHECK(lists * 4 <= text.size(), text);
    for (const IniKey& key : iniKeys()) {
        if (key.text != nullptr) fuzzing::checkPieceValue(std::strlen(key.name) + 1, values.*(key.text), text);
        if (key.list != nullptr) {
            for (const std::string& element : values.*(key.list)) {
                fuzzing::checkPieceValue(std::strlen(key.name) + 1, element, text);
            }
        }
    }
    // A final MODE value that names a mode is the mode.
    LaunchMode named = LaunchMode::INSTALL;
    if (parseLaunchMode(values.iniMode, named)) FUZZ_CHECK(values.mode == named, values.iniMode);
}
