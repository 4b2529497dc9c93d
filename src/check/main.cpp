// launcher-check's entry point: the machine's own platform on Windows,
// none elsewhere (an environment file describes one there).
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "check/tool.h"

#ifdef _WIN32
#include "platform/win32_platform.h"

// Arguments such as *.ini reach the tool unexpanded, as they reach the launcher.
extern "C" {
int _dowildcard = 0;
}
#endif

int main(int argc, char** argv) {
    // Letter case in comparisons follows the user's default locale, as in the launcher.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
#ifdef _WIN32
    launcher::restrictDllSearchToSystemDirectory();
    launcher::Win32Platform native;
    return launcher::check::runTool(arguments, std::cout, std::cerr, &native);
#else
    return launcher::check::runTool(arguments, std::cout, std::cerr, nullptr);
#endif
}
