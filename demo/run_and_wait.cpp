// Starts a program with the arguments given, waits for it and prints its
// whole 32-bit exit code: wine itself passes on only the lowest 8 bits
// (3010 comes back as 194).
//   run_and_wait.exe PROGRAM [ARGUMENT...]
// PROGRAM is the program file itself (a full path, or one relative to the
// current directory; no search). Each ARGUMENT reaches it exactly as this
// program received it: quotation marks, backslashes before them or at the
// end, blanks, empty arguments and characters outside the ANSI code page
// included, as a program that splits its command line by the C runtime's
// rules reads them. Prints "exit code N" (N signed, as -1 for 0xFFFFFFFF)
// and ends with 0, or ends with 2 when the program cannot be started.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Appends argument to the command line so that the C runtime's splitting
// gives it back unchanged: as it is when it holds no blank, tab, line feed,
// vertical tab or quotation mark and is not empty; otherwise in quotation
// marks, a quotation mark inside escaped with a backslash, and the
// backslashes before a quotation mark or before the closing one doubled.
// Backslashes anywhere else stand for themselves.
void appendQuoted(std::wstring& commandLine, const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        commandLine += argument;
        return;
    }
    commandLine += L'"';
    for (std::size_t at = 0;; ++at) {
        std::size_t backslashes = 0;
        while (at < argument.size() && argument[at] == L'\\') {
            ++backslashes;
            ++at;
        }
        if (at == argument.size()) {
            commandLine.append(backslashes * 2, L'\\');
            break;
        }
        if (argument[at] == L'"') {
            commandLine.append(backslashes * 2 + 1, L'\\');
        } else {
            commandLine.append(backslashes, L'\\');
        }
        commandLine += argument[at];
    }
    commandLine += L'"';
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: run_and_wait PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    // Argument 0 is read up to the next quotation mark, whatever the
    // backslashes; a file name holds no quotation mark.
    std::wstring commandLine = std::wstring(L"\"") + argv[1] + L"\"";
    for (int i = 2; i < argc; ++i) {
        commandLine += L' ';
        appendQuoted(commandLine, argv[i]);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = GetExitCodeProcess(process.hProcess, &code) != 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!known) {
        std::fprintf(stderr, "cannot read the exit code (error %lu)\n", GetLastError());
        return 2;
    }
    std::printf("exit code %ld\n", static_cast<long>(code));
    return 0;
}
