// A stand-in for the programs that the launcher starts. Tests copy it under
// any name (setup.exe, agent.exe, java.exe, msiexec.exe). Each run appends
// its raw command line as one line to "<own path without extension>.calls",
// then follows "<own path without extension>.plan" (see stub_plan.h): it
// writes the planned registry values and files, sleeps, and exits with the
// code planned for this run. Without a plan it exits with 0.
#include <windows.h>

#include <string>

#include "harness/stub_plan.h"

namespace {

// Exit code when the plan cannot be followed; no test plans it.
constexpr UINT kPlanFailed = 0x5707BAD;

std::string ownPathWithoutExtension() {
    char buffer[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    std::string path(buffer, length);
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
    return path;
}

bool readWholeFile(const std::string& path, std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    content.clear();
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) content.append(chunk, got);
    CloseHandle(file);
    return true;
}

bool writeWholeFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size();
    CloseHandle(file);
    return ok;
}

// Appends the command line and returns how many runs the file now records.
std::size_t recordCall(const std::string& callsPath) {
    HANDLE file = CreateFileA(callsPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        const std::string line = std::string(GetCommandLineA()) + "\n";
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string calls;
    if (!readWholeFile(callsPath, calls)) return 1;
    std::size_t runs = 0;
    for (char c : calls) runs += c == '\n' ? 1 : 0;
    return runs;
}

void makeParentDirectories(const std::string& path) {
    for (std::size_t at = path.find_first_of("\\/", 3); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
}

bool writeRegistryValue(const e2e::PlannedRegistryValue& value) {
    HKEY root = value.hive == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, value.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG status = RegSetValueExA(key, value.name.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.value.c_str()),
                                       static_cast<DWORD>(value.value.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

int main() {
    const std::string base = ownPathWithoutExtension();
    const std::size_t run = recordCall(base + ".calls");

    std::string text;
    if (!readWholeFile(base + ".plan", text)) return 0;
    e2e::StubPlan plan;
    std::string error;
    if (!e2e::parseStubPlan(text, plan, error)) {
        writeWholeFile(base + ".plan-error", error);
        return static_cast<int>(kPlanFailed);
    }
    for (const e2e::PlannedRegistryValue& value : plan.registryValues) {
        if (!writeRegistryValue(value)) return static_cast<int>(kPlanFailed);
    }
    for (const e2e::PlannedFile& file : plan.files) {
        makeParentDirectories(file.path);
        if (!writeWholeFile(file.path, file.content)) return static_cast<int>(kPlanFailed);
    }
    if (plan.sleepMilliseconds != 0) Sleep(plan.sleepMilliseconds);
    return static_cast<int>(e2e::exitCodeOfRun(plan, run));
}
