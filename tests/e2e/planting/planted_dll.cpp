// A DLL named like a system DLL that message boxes pull in (uxtheme.dll).
// Placed beside a program, it proves whether that program's loader looked
// in the program's own folder: when it loads, it leaves "planted.marker"
// beside itself.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char buffer[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(instance, buffer, sizeof(buffer));
    std::string path(buffer, length);
    const std::size_t slash = path.find_last_of("\\/");
    path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "planted.marker";
    HANDLE marker = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
