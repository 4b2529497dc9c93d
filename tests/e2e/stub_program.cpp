// A stand-in for the programs that the launcher starts, copied under any name
// (setup.exe, agent.exe). Each run appends its raw command line as one line to
// "<own path without extension>.calls", then follows "<...>.plan", one
// instruction a line (LF or CR LF):
//   exit 23 23 0xC0000005               exit codes of the 1st, 2nd, ... run; the last repeats
//   reg HKLM|Software\Key|name|value    write a string value (HKLM or HKCU, the stub's own view)
//   file C:\dir\name.txt|content        write a file, folders made
// In a value or a content, %n stands for a line feed, %r for a carriage
// return and %% for a percent sign. Without a plan the stub exits with 0; a
// line it cannot follow makes it exit with 0x5707BAD.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <vector>

#include "files.h"

namespace {

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const bool escape = text[i] == '%' && (next == 'n' || next == 'r' || next == '%');
        out += !escape ? text[i] : next == 'n' ? '\n' : next == 'r' ? '\r' : '%';
        i += escape ? 1 : 0;
    }
    return out;
}

bool writeValue(const std::string& hive, const std::string& key, const std::string& name, const std::string& value) {
    HKEY root = hive == "HKLM" ? HKEY_LOCAL_MACHINE : hive == "HKCU" ? HKEY_CURRENT_USER : nullptr;
    HKEY opened = nullptr;
    const bool written = root &&
                         RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) == 0 &&
                         RegSetValueExA(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>(value.size() + 1)) == 0;
    RegCloseKey(opened);
    return written;
}

// Follows one line of the plan; returns false when it cannot. exitCodes
// holds 0 for a run without a plan, then the planned codes.
bool follow(const std::string& line, std::vector<std::uint32_t>& exitCodes) {
    std::istringstream in(line);
    std::string verb, first, key, name;
    in >> verb;
    in.get();
    if (verb == "exit") {
        for (std::string word; in >> word;) {
            char* end = nullptr;
            exitCodes.push_back(static_cast<std::uint32_t>(std::strtoul(word.c_str(), &end, 0)));
            if (*end != '\0') return false;
        }
        return true;
    }
    // Fields end at "|"; the last one keeps any further ones.
    const bool split =
        (verb == "reg" && std::getline(std::getline(std::getline(in, first, '|'), key, '|'), name, '|')) ||
        (verb == "file" && std::getline(in, first, '|'));
    const std::string last = unescape(std::string(std::istreambuf_iterator<char>(in), {}));
    if (!split) return line.empty();
    return verb == "reg" ? writeValue(first, key, name, last) : e2e::writeBytes(first, last);
}

}  // namespace

int main() {
    // Its own path wide: the stub may stand in a folder whose name the
    // system code page cannot spell.
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    const std::wstring base = std::filesystem::path(path).replace_extension().wstring();
    e2e::writeFileAt(base + L".calls", std::string(GetCommandLineA()) + "\n", true);
    const std::string calls = e2e::readFileAt(base + L".calls").value_or("\n");
    const std::size_t run = static_cast<std::size_t>(std::count(calls.begin(), calls.end(), '\n'));
    std::vector<std::uint32_t> exitCodes{0};
    std::istringstream lines(e2e::readFileAt(base + L".plan").value_or(""));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!follow(line, exitCodes)) return 0x5707BAD;
    }
    return static_cast<int>(exitCodes[std::min(run, exitCodes.size() - 1)]);
}
