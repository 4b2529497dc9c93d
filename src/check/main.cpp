// launcher-check's entry point: the machine's own platform on Windows,
// none elsewhere (an environment file describes one there). Arguments and
// output are UTF-8 inside the tool; on Windows the arguments come wide, so
// that any folder Windows can name can be checked, and a console gets the
// output as UTF-16.
#include <clocale>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "check/tool.h"

#ifdef _WIN32
#include <windows.h>

#include "messages/messages.h"
#include "platform/win32_platform.h"

// Arguments such as *.ini reach the tool unexpanded, as they reach the launcher.
extern "C" {
int _dowildcard = 0;
}

namespace {

// Writes UTF-8 text to a console as characters, and elsewhere (a file, a
// pipe) as the UTF-8 bytes themselves.
void write(DWORD handleNumber, const std::string& text) {
    HANDLE handle = GetStdHandle(handleNumber);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::u16string wide = launcher::utf8ToUtf16(text);
        WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::setlocale(LC_ALL, "");
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(launcher::utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    launcher::restrictDllSearchToSystemDirectory();
    launcher::Win32Platform native;
    std::ostringstream out;
    std::ostringstream err;
    const int code = launcher::check::runTool(arguments, out, err, &native);
    write(STD_OUTPUT_HANDLE, out.str());
    write(STD_ERROR_HANDLE, err.str());
    return code;
}

#else

int main(int argc, char** argv) {
    // Letter case in comparisons follows the user's default locale, as in the launcher.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return launcher::check::runTool(arguments, std::cout, std::cerr, nullptr);
}

#endif
