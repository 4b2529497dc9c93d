#include "harness/launcher_run.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "gtest/gtest.h"

namespace e2e {

namespace {

constexpr DWORD kPollMilliseconds = 20;

std::string nameOf(const std::string& variable) { return variable.substr(0, variable.find('=', 1)); }

bool sameName(const std::string& left, const std::string& right) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, left.c_str(), -1, right.c_str(), -1) == CSTR_EQUAL;
}

// The tests' environment with the overrides in place, as a block for
// CreateProcess; empty when there is nothing to override.
std::string environmentBlock(const std::vector<std::string>& overrides) {
    if (overrides.empty()) return std::string();
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const std::string variable = entry;
        bool replaced = false;
        for (const std::string& wanted : overrides) replaced = replaced || sameName(nameOf(variable), nameOf(wanted));
        if (!replaced) block.append(variable).push_back('\0');
    }
    FreeEnvironmentStringsA(strings);
    for (const std::string& wanted : overrides) block.append(wanted).push_back('\0');
    block.push_back('\0');
    return block;
}

}  // namespace

RunResult runProgram(const RunSpec& spec) {
    RunResult result;
    std::vector<char> commandLine(spec.commandLine.begin(), spec.commandLine.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string environment = environmentBlock(spec.environment);
    if (!CreateProcessA(spec.application.empty() ? nullptr : spec.application.c_str(), commandLine.data(), nullptr,
                        nullptr, FALSE, 0, environment.empty() ? nullptr : environment.data(),
                        spec.currentDirectory.empty() ? nullptr : spec.currentDirectory.c_str(), &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start " << spec.application << " [" << spec.commandLine << "], error "
                      << GetLastError();
        return result;
    }
    result.started = true;
    result.processId = process.dwProcessId;
    CloseHandle(process.hThread);

    BoxWatcher watcher(process.dwProcessId);
    const ULONGLONG deadline = GetTickCount64() + spec.timeoutMilliseconds;
    while (WaitForSingleObject(process.hProcess, kPollMilliseconds) == WAIT_TIMEOUT) {
        watcher.poll();
        if (GetTickCount64() > deadline) {
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, INFINITE);
            result.timedOut = true;
            ADD_FAILURE() << "[" << spec.commandLine << "] still ran after " << spec.timeoutMilliseconds
                          << " ms and was killed";
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    result.exitCode = static_cast<std::int32_t>(code);
    result.boxes = watcher.boxes();
    return result;
}

std::vector<ChildProcess> runningChildren(std::uint32_t parentId) {
    std::vector<ChildProcess> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot list processes, error " << GetLastError();
        return children;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentId) children.push_back({entry.th32ProcessID, entry.szExeFile});
    }
    CloseHandle(snapshot);
    return children;
}

void endProcess(std::uint32_t id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) return;
    TerminateProcess(process, 0xDEAD);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}

}  // namespace e2e
