// The command line and its merge with the INI file. The input is the
// arguments separated by NUL bytes, optionally followed by a byte 0x1E and
// the text of the INI file; argument 0, the program, is fixed.

#include "config/launcher_ini.h"
#include "fuzz_support.h"
#include "launcher/command_line.h"
#include "launcher/effective_settings.h"
#include "launcher/launcher_state.h"

using namespace launcher;

namespace {

const char* const kIniPath = "C:\\image\\setup.ini";

bool isFlag(int value) { return value == 0 || value == 1; }

bool contains(const std::vector<std::string>& list, std::string_view text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

}  // namespace

FUZZ_TARGET(input) {
    const std::vector<std::string_view> parts = fuzzing::splitAt(input, '\x1e', 2);
    std::vector<std::string> arguments = {"C:\\image\\setup.exe"};
    for (const std::string_view piece : fuzzing::splitAt(parts[0], '\0')) arguments.emplace_back(piece);

    testing::MemoryPlatform platform = fuzzing::freshPlatform();
    LauncherState state;
    state.launcherDir = "C:\\image\\";
    state.launcherName = "setup";
    if (parts.size() > 1) {
        platform.addFile(kIniPath, std::string(parts[1]));
        FUZZ_CHECK(readLauncherIni(platform, kIniPath, state), input);
    }

    const ParseResult parsed = parseCommandLine(arguments, state);
    if (parsed == ParseResult::HelpRequested) {
        const bool asked = contains(arguments, "-help") || contains(arguments, "-?") || contains(arguments, "/help") ||
                           contains(arguments, "/?");
        FUZZ_CHECK(asked, input);
        return;
    }
    // Lists hold arguments of the command line only, none of them twice
    // over; a value comes from the argument after its option.
    const std::vector<std::string> given(arguments.begin() + 1, arguments.end());
    FUZZ_CHECK(state.argInstallerArgs.size() + state.argManagerArgs.size() <= given.size(), input);
    for (const std::string& element : state.argInstallerArgs) FUZZ_CHECK(contains(given, element), input, element);
    for (const std::string& element : state.argManagerArgs) FUZZ_CHECK(contains(given, element), input, element);
    for (const std::string* text : {&state.argInputFile, &state.argLogFile, &state.argAppDataLocation, &state.argNL}) {
        if (!text->empty()) FUZZ_CHECK(contains(given, *text), input, *text);
    }
    FUZZ_CHECK(isFlag(state.argIsSilent) && isFlag(state.argIsUserAdmin) && isFlag(state.isDebug) &&
                   isFlag(state.isWait) && isFlag(state.argLicenseAccepted),
               input);
    if (state.isDebug == 1) {
        FUZZ_CHECK(contains(given, "-log"), input);
        state.traceFile.open(platform, state.argLogFile);
    }

    platform.admin = static_cast<int>(input.size() % 2);
    resolveEffectiveSettings(platform, state);

    // Silent operation waits and shows no box; -silent cannot be undone.
    FUZZ_CHECK(isFlag(state.isSilent) && isFlag(state.isDialogAllowed) && isFlag(state.isUserAdmin), input);
    FUZZ_CHECK(state.isDialogAllowed == 1 - state.isSilent, input);
    if (state.isSilent == 1) FUZZ_CHECK(state.isWait == 1, input);
    if (state.argIsSilent == 1) FUZZ_CHECK(state.isSilent == 1, input);
    if (state.argIsUserAdmin == 1) FUZZ_CHECK(state.isUserAdmin == 1, input);
    // The command line wins where it says something.
    FUZZ_CHECK(state.appDataLocation ==
                   (state.argAppDataLocation.empty() ? state.iniAppDataLocation : state.argAppDataLocation),
               input, state.appDataLocation);
    FUZZ_CHECK(state.nl == (state.argNL.empty() ? state.iniNL : state.argNL), input, state.nl);
    if (state.argInputFile.empty() && state.iniManagerInput.empty()) FUZZ_CHECK(state.inputFile.empty(), input);

    state.traceFile.close();
    FUZZ_CHECK(platform.boxes.empty(), input);
}
