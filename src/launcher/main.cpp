// The launcher's entry point, and the only place where the process ends.
#include <clocale>
#include <string>
#include <vector>

#include "launcher/launch_sequence.h"
#include "platform/win32_platform.h"

// The C runtime must hand arguments such as *.xml over unexpanded.
extern "C" {
int _dowildcard = 0;
}

int main(int argc, char** argv) {
    launcher::restrictDllSearchToSystemDirectory();
    // Letter case in comparisons follows the user's default locale.
    std::setlocale(LC_ALL, "");
    std::vector<std::string> arguments(argv, argv + argc);
    launcher::Win32Platform platform;
    launcher::LauncherState state;
    return launcher::runLaunchSequence(platform, state, arguments).exitCode;
}
