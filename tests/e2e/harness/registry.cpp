// The registry helpers, and the system's msiexec.exe replaced by the stub.
#include "e2e.h"

#include <windows.h>

namespace e2e {

namespace {

HKEY rootOf(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

REGSAM viewOf(View view) { return view == View::SixtyFourBit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

const char* const kOverridesKey = "Software\\Wine\\DllOverrides";

std::string savedOriginal() { return systemMsiexec() + ".e2e-original"; }

std::string stubFile(const std::string& extension) {
    const std::string program = systemMsiexec();
    return program.substr(0, program.size() - 4) + extension;
}

// Puts the original program and Wine's own choice back, if a stub is there.
void restore() {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kOverridesKey, "msiexec.exe");
    for (const char* extension : {".plan", ".calls"}) DeleteFileA(stubFile(extension).c_str());
    if (!pathExists(savedOriginal())) return;
    DeleteFileA(systemMsiexec().c_str());
    if (!MoveFileA(savedOriginal().c_str(), systemMsiexec().c_str())) {
        ADD_FAILURE() << "cannot put " << systemMsiexec() << " back, error " << GetLastError();
    }
}

}  // namespace

void setRegistryString(Hive hive, const std::string& key, const std::string& name, const std::string& value,
                       View view) {
    setRegistryValue(hive, key, name, REG_SZ, std::string(value.c_str(), value.size() + 1), view);
}

void setRegistryValue(Hive hive, const std::string& key, const std::string& name, std::uint32_t type,
                      const std::string& data, View view) {
    HKEY opened = nullptr;
    LONG status =
        RegCreateKeyExA(rootOf(hive), key.c_str(), 0, nullptr, 0, KEY_WRITE | viewOf(view), nullptr, &opened, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()));
        RegCloseKey(opened);
    }
    if (status != ERROR_SUCCESS) ADD_FAILURE() << "cannot write registry value " << key << "\\" << name;
}

std::optional<std::string> readRegistryString(Hive hive, const std::string& key, const std::string& name, View view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(rootOf(hive), key.c_str(), 0, KEY_READ | viewOf(view), &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    char data[4096] = {};
    DWORD size = sizeof(data) - 1;
    const LONG status = RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return std::string(data);
}

void deleteRegistryKey(Hive hive, const std::string& key, View view) {
    // The view is chosen by the key that the tree is deleted from.
    const std::size_t slash = key.rfind('\\');
    HKEY parent = nullptr;
    LONG status = RegOpenKeyExA(rootOf(hive), slash == std::string::npos ? "" : key.substr(0, slash).c_str(), 0,
                                KEY_ALL_ACCESS | viewOf(view), &parent);
    if (status == ERROR_SUCCESS) {
        status = RegDeleteTreeA(parent, key.substr(slash + 1).c_str());
        RegCloseKey(parent);
    }
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        ADD_FAILURE() << "cannot delete registry key " << key << ", error " << status;
    }
}

std::string systemDirectory() {
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    return directory;
}

std::string systemMsiexec() { return systemDirectory() + "\\msiexec.exe"; }

StubbedSystemMsiexec::StubbedSystemMsiexec(const std::string& plan) {
    restore();
    if (!MoveFileA(systemMsiexec().c_str(), savedOriginal().c_str()) ||
        !CopyFileA(buildFile("stub_program.exe").c_str(), systemMsiexec().c_str(), FALSE)) {
        ADD_FAILURE() << "cannot replace " << systemMsiexec() << ", error " << GetLastError();
    }
    writeStubPlan(systemMsiexec(), plan);
    setRegistryString(Hive::CurrentUser, kOverridesKey, "msiexec.exe", "native");
}

StubbedSystemMsiexec::~StubbedSystemMsiexec() { restore(); }

std::vector<std::string> StubbedSystemMsiexec::calls() const { return recordedCalls(systemMsiexec()); }

}  // namespace e2e
