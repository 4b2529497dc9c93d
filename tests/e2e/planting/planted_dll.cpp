// A DLL named like a system DLL that message boxes pull in (uxtheme.dll).
// Placed beside a program, it proves whether that program's loader looked in
// the program's own folder: when it loads, it leaves "planted.marker" in the
// current directory, which the tests make that folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    CloseHandle(
        CreateFileA("planted.marker", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return TRUE;
}
