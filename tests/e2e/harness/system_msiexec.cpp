#include "harness/system_msiexec.h"

#include <windows.h>

#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/test_programs.h"
#include "harness/text.h"

namespace e2e {

namespace {

const char* const kOverridesKey = "Software\\Wine\\DllOverrides";
const char* const kOverride = "msiexec.exe";

std::string savedOriginal() { return systemMsiexec() + ".e2e-original"; }

std::string stubFile(const std::string& extension) {
    const std::string program = systemMsiexec();
    return program.substr(0, program.size() - 4) + extension;
}

void setOverride(bool native) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOverridesKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot open HKCU\\" << kOverridesKey;
        return;
    }
    if (native) {
        static const char kNative[] = "native";
        RegSetValueExA(key, kOverride, 0, REG_SZ, reinterpret_cast<const BYTE*>(kNative), sizeof(kNative));
    } else {
        RegDeleteValueA(key, kOverride);
    }
    RegCloseKey(key);
}

// Puts the original program and Wine's own choice back, if a stub is there.
void restore() {
    setOverride(false);
    for (const char* extension : {".plan", ".calls"}) DeleteFileA(stubFile(extension).c_str());
    if (!pathExists(savedOriginal())) return;
    DeleteFileA(systemMsiexec().c_str());
    if (!MoveFileA(savedOriginal().c_str(), systemMsiexec().c_str())) {
        ADD_FAILURE() << "cannot put " << systemMsiexec() << " back, error " << GetLastError();
    }
}

}  // namespace

std::string systemDirectory() {
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    return directory;
}

std::string systemMsiexec() { return systemDirectory() + "\\msiexec.exe"; }

StubbedSystemMsiexec::StubbedSystemMsiexec(const StubPlan& plan) {
    restore();
    if (!MoveFileA(systemMsiexec().c_str(), savedOriginal().c_str()) ||
        !CopyFileA(stubProgram().c_str(), systemMsiexec().c_str(), FALSE)) {
        ADD_FAILURE() << "cannot replace " << systemMsiexec() << ", error " << GetLastError();
    }
    writeStubPlan(systemMsiexec(), plan);
    setOverride(true);
}

StubbedSystemMsiexec::~StubbedSystemMsiexec() { restore(); }

std::vector<std::string> StubbedSystemMsiexec::calls() const { return recordedCalls(systemMsiexec()); }

}  // namespace e2e
