// The launcher's entry point, and the only place where the process ends.
// The arguments come wide (-municode): the C runtime splits the UTF-16
// command line by the same rules as the narrow one, and the launcher then
// spells each argument in the system code page itself, a path so that it
// still names its file when the code page lacks a character of it.
#include <clocale>
#include <string>
#include <vector>

#include "launcher/launch_sequence.h"
#include "platform/win32_platform.h"

// The C runtime must hand arguments such as *.xml over unexpanded.
extern "C" {
int _dowildcard = 0;
}

int wmain(int argc, wchar_t** argv) {
    launcher::restrictDllSearchToSystemDirectory();
    // Letter case in comparisons follows the user's default locale.
    std::setlocale(LC_ALL, "");
    std::vector<std::u16string> arguments;
    for (int i = 0; i < argc; ++i) arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    launcher::Win32Platform platform;
    launcher::LauncherState state;
    return launcher::runLaunchSequence(platform, state, launcher::commandArguments(platform, arguments)).exitCode;
}
