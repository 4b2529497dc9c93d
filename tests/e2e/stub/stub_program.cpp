// A stand-in for the programs that the launcher starts. Tests copy it under
// any name (setup.exe, agent.exe, java.exe, msiexec.exe). Each run appends
// its raw command line as one line to "<own path without extension>.calls",
// then follows "<own path without extension>.plan" (see stub_plan.h): it
// writes the planned registry values and files, sleeps, and exits with the
// code planned for this run. Without a plan it exits with 0.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness/stub_plan.h"
#include "harness/text.h"

namespace {

// Appends the command line and returns how many runs the file now records.
std::size_t recordCall(const std::string& callsPath) {
    std::ofstream(callsPath, std::ios::binary | std::ios::app) << GetCommandLineA() << '\n';
    std::string calls;
    if (!e2e::readWholeFile(callsPath, calls)) return 1;
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), '\n'));
}

// Follows one line of the plan; returns false when it cannot.
bool follow(const std::string& line, std::vector<std::uint32_t>& exitCodes, DWORD& sleep) {
    const std::size_t blank = line.find(' ');
    const std::string verb = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    std::istringstream words(rest);
    // The fields of "reg" and "file", split at "|"; the last keeps any further ones.
    const std::size_t parts = verb == "reg" ? 4 : 2;
    std::vector<std::string> fields;
    for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
        bar = fields.size() + 1 < parts ? rest.find('|', start) : std::string::npos;
        fields.push_back(rest.substr(start, bar - start));
    }
    if (line.empty()) return true;
    if (verb == "exit") {
        for (std::string word; words >> word;) {
            char* end = nullptr;
            exitCodes.push_back(static_cast<std::uint32_t>(std::strtoul(word.c_str(), &end, 0)));
            if (*end != '\0') return false;
        }
        return true;
    }
    if (verb == "sleep") return static_cast<bool>(words >> sleep);
    if (verb == "file" && fields.size() == 2 && !fields[0].empty()) {
        return e2e::writeWholeFile(fields[0], e2e::unescapePlanText(fields[1]));
    }
    if (verb != "reg" || fields.size() != 4 || (fields[0] != "HKCU" && fields[0] != "HKLM")) return false;
    HKEY key = nullptr;
    const std::string value = e2e::unescapePlanText(fields[3]);
    if (RegCreateKeyExA(fields[0] == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, fields[1].c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG status = RegSetValueExA(key, fields[2].c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

int main() {
    char path[MAX_PATH * 4] = {};
    const std::string base = e2e::withoutExtension(std::string(path, GetModuleFileNameA(nullptr, path, sizeof(path))));
    const std::size_t run = recordCall(base + ".calls");
    std::string text;
    if (!e2e::readWholeFile(base + ".plan", text)) return 0;
    std::vector<std::uint32_t> exitCodes;
    DWORD sleep = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!follow(line, exitCodes, sleep)) {
            e2e::writeWholeFile(base + ".plan-error", line);
            return 0x5707BAD;
        }
    }
    Sleep(sleep);
    return exitCodes.empty()
               ? 0
               : static_cast<int>(exitCodes[std::min(std::max<std::size_t>(run, 1), exitCodes.size()) - 1]);
}
