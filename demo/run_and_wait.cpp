// Starts a program and prints its whole 32-bit exit code: wine itself
// passes on only the lowest 8 bits.
//   run_and_wait.exe PROGRAM [ARGUMENT...]
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: run_and_wait PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    std::string commandLine = std::string("\"") + argv[1] + "\"";
    for (int i = 2; i < argc; ++i) commandLine += std::string(" \"") + argv[i] + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit code %ld\n", static_cast<long>(code));
    return 0;
}
