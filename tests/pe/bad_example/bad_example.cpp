// A program built the way launcher.exe must not be: console subsystem, no
// ASLR or DEP, no relocations, no manifest, the C++ and GCC runtimes as
// DLLs and shfolder.dll among its imports. Its own source includes a
// Windows header outside the Win32 side. It is never run; the PE checks
// must reject every one of these faults in it.
#include <shlobj.h>

#include <string>

int main(int argc, char**) {
    char path[MAX_PATH];
    const std::string text(static_cast<std::size_t>(argc), 'x');
    return SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path) == S_OK ? static_cast<int>(text.size()) : 1;
}
