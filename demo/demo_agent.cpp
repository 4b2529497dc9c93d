// The demo agent: records the command line it was started with, beside
// itself in runs.log, says so on its console, and exits with 0.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string log(self, length);
    log = log.substr(0, log.find_last_of('\\') + 1) + "runs.log";
    const char* commandLine = GetCommandLineA();
    if (FILE* file = std::fopen(log.c_str(), "ab")) {
        std::fprintf(file, "%s\r\n", commandLine);
        std::fclose(file);
    }
    std::printf("Quillmark demo agent ran: %s\n", commandLine);
    return 0;
}
