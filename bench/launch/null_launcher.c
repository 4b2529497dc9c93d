/* The null launcher of the launch benchmark: the least that starting the
 * agent and waiting for it takes. It starts its own command line minus its
 * program name (the agent, quoted, and its arguments) the way launcher.exe
 * starts the agent (CreateProcessA, handles inherited, same environment and
 * directory), waits for it and ends with its exit code. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD code = 1;
    (void)instance;
    (void)previous;
    (void)show;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}
