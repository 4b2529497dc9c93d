#include "harness/test_programs.h"

#include <windows.h>

namespace e2e {

std::string buildDirectory() {
    char buffer[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    std::string path(buffer, length);
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string launcherProgram() { return buildDirectory() + "\\launcher.exe"; }

std::string stubProgram() { return buildDirectory() + "\\stub_program.exe"; }

std::string plainBoxProgram() { return buildDirectory() + "\\plain_box.exe"; }

std::string plantedDll() { return buildDirectory() + "\\planted\\uxtheme.dll"; }

std::string agentPackage() { return buildDirectory() + "\\e2e_agent.msi"; }

std::string expectedFile(const std::string& name) { return buildDirectory() + "\\expected\\" + name; }

}  // namespace e2e
