// The harness of the end-to-end tests: programs run as a user or a script
// would run them, their message boxes read and closed, installation images
// with stub programs (stub_program.cpp), the registry in either view, and the
// expected texts (expected/texts.txt) and trace (expected/*.txt).
#pragma once

#include <cstdlib>
#include <set>
#include <sstream>
#include <vector>

#include "files.h"
#include "gtest/gtest.h"

namespace e2e {

using Strings = std::vector<std::string>;

/// Returns text with every occurrence of from replaced by to.
inline std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

/// Returns UTF-16 text as UTF-8.
inline std::string toUtf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

/// Returns the file's bytes; fails the test when it cannot be read.
inline std::string readFile(const std::string& path) {
    const std::optional<std::string> bytes = readBytes(path);
    if (!bytes) ADD_FAILURE() << "cannot read " << path;
    return bytes.value_or("");
}

/// Returns the path of a file that the build puts beside e2e_tests.exe.
inline std::string buildFile(const std::string& name) {
    char self[MAX_PATH * 4] = {};
    const std::string path(self, GetModuleFileNameA(nullptr, self, sizeof(self)));
    return path.substr(0, path.rfind('\\') + 1) + name;
}

/// Returns a message box as the tests compare it: "[icon] title: text".
inline std::string box(const std::string& icon, const std::string& title, const std::string& text) {
    return "[" + icon + "] " + title + ": " + text;
}

/// Returns "error" or "information" for the icon of a box, told apart by the
/// colours on the screen where the box's icon control (0x440) lies: the error
/// icon is mostly red, the information icon mostly blue.
inline std::string iconOf(HWND window) {
    RECT rect{};
    GetWindowRect(GetDlgItem(window, 0x440), &rect);
    HDC screen = GetDC(nullptr);
    int red = 0;
    int blue = 0;
    for (int y = rect.top; y < rect.bottom; y += 4) {
        for (int x = rect.left; x < rect.right; x += 4) {
            const COLORREF pixel = GetPixel(screen, x, y);
            red += GetRValue(pixel) > 150 && GetGValue(pixel) < 100 && GetBValue(pixel) < 100;
            blue += GetBValue(pixel) > 150 && GetRValue(pixel) < 100;
        }
    }
    ReleaseDC(nullptr, screen);
    return red > 8 && red > 2 * blue ? "error" : blue > 8 && blue > 2 * red ? "information" : "unrecognised";
}

struct RunResult {
    std::int32_t exitCode = 0;  ///< all 32 bits, as GetExitCodeProcess gives them
    Strings boxes;              ///< box() of each, in the order they came up
};

/// How long a box may take to show a recognised icon.
inline constexpr ULONGLONG kPaintMilliseconds = 30000;

/// Runs the program with this raw command line (argument 0 included) to its
/// end, reading its boxes and closing each with OK as a user would. Past the
/// time-out it is killed and the test fails. The longest program of the tests,
/// an MSI installation, takes about 1.5 s natively and 4 s under qemu-i386
/// with both cores busy: 120 s leaves a wide margin on slower hosts. Wide, for
/// folders whose names the system code page cannot spell.
inline RunResult runProgram(const std::wstring& program, std::wstring commandLine, const std::wstring& directory,
                            DWORD timeoutMilliseconds = 120000) {
    RunResult result;
    STARTUPINFOW startup{.cb = sizeof(STARTUPINFOW)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                        &startup, &process)) {
        ADD_FAILURE() << "cannot start " << toUtf8(program) << ", error " << GetLastError();
        return result;
    }
    std::set<HWND> handled;
    const ULONGLONG deadline = GetTickCount64() + timeoutMilliseconds;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr;) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != process.dwProcessId || !IsWindowVisible(window) || !handled.insert(window).second) continue;
            wchar_t title[1024] = {};
            std::wstring text(64 * 1024, L'\0');
            GetWindowTextW(window, title, 1024);
            text.resize(GetDlgItemTextW(window, 0xFFFF, text.data(), static_cast<int>(text.size())));
            // A box that has only just come up may not be painted yet: read its
            // icon again until it is recognised. Painted boxes take at most a
            // few tens of milliseconds, natively and under qemu-i386 alike; the
            // deadline only ends the wait for a box that never shows a known icon.
            std::string icon = iconOf(window);
            for (const ULONGLONG paintDeadline = GetTickCount64() + kPaintMilliseconds;
                 icon == "unrecognised" && GetTickCount64() < paintDeadline; icon = iconOf(window)) {
                Sleep(20);
            }
            result.boxes.push_back(box(icon, toUtf8(title), toUtf8(text)));
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        if (GetTickCount64() > deadline && TerminateProcess(process.hProcess, 0xDEAD)) {
            ADD_FAILURE() << "[" << toUtf8(commandLine) << "] still ran after " << timeoutMilliseconds << " ms: killed";
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = static_cast<std::int32_t>(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}

/// The same, with everything in the system code page.
inline RunResult runProgram(const std::string& program, const std::string& commandLine, const std::string& directory,
                            DWORD timeoutMilliseconds = 120000) {
    return runProgram(widePath(program).wstring(), widePath(commandLine).wstring(), widePath(directory).wstring(),
                      timeoutMilliseconds);
}

/// HKLM\kTestsKey holds all that the tests write in the registry; the agent's
/// "location" is registered under kAgentKey.
inline constexpr const char* kTestsKey = "Software\\QuillmarkE2E";
inline constexpr const char* kAgentKey = "Software\\QuillmarkE2E\\Agent";

/// The registry view of the tests and the launcher (32-bit programs in a
/// 64-bit prefix), or the 64-bit one.
enum class View : REGSAM { Own = KEY_WOW64_32KEY, SixtyFourBit = KEY_WOW64_64KEY };

/// Returns HKLM\key of that view opened, or created; null when that fails.
inline HKEY openKey(const std::string& key, View view, bool create = false) {
    HKEY opened = nullptr;
    const REGSAM access = KEY_ALL_ACCESS | static_cast<REGSAM>(view);
    const LONG status =
        create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, access, nullptr, &opened, nullptr)
               : RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, access, &opened);
    return status == ERROR_SUCCESS ? opened : nullptr;
}

/// Writes a string value of type REG_SZ or REG_EXPAND_SZ under HKLM.
inline void setRegistryString(const std::string& key, const std::string& name, const std::string& value, View view,
                              DWORD type = REG_SZ) {
    HKEY opened = openKey(key, view, true);
    EXPECT_EQ(RegSetValueExA(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS)
        << key << "\\" << name;
    RegCloseKey(opened);
}

/// Returns a string value under HKLM, or nothing when the key or the value is missing.
inline std::optional<std::string> readRegistryString(const std::string& key, const std::string& name, View view) {
    HKEY opened = openKey(key, view);
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    const LONG status = RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    return opened && status == ERROR_SUCCESS ? std::optional<std::string>(data) : std::nullopt;
}

/// Returns the files of an installed agent of this version in agentDir: its
/// config.ini naming agentDir\data, and data\installed.xml.
inline std::vector<std::pair<std::string, std::string>> agentFiles(const std::string& agentDir,
                                                                   const std::string& version) {
    return {{agentDir + "\\eclipse\\configuration\\config.ini", "tessa.appDataLocation=" + agentDir + "\\data\r\n"},
            {agentDir + "\\data\\installed.xml",
             "<installed>\r\n  <package id='com.norvex.tessa.agent' version='" + version + "'/>\r\n</installed>\r\n"}};
}

/// Returns the stub plan of an installer that lays down agentFiles() and
/// registers agentDir as "location" under kAgentKey.
inline std::string installPlan(const std::string& agentDir, const std::string& version) {
    std::string plan = "reg HKLM|" + std::string(kAgentKey) + "|location|" + agentDir + "\n";
    for (const auto& [file, content] : agentFiles(agentDir, version)) {
        plan += "file " + file + "|" + replaceAll(replaceAll(content, "\r", "%r"), "\n", "%n") + "\n";
    }
    return plan;
}

/// Lays down agentFiles() and the stub as agentDir\eclipse\agent.exe, without
/// registering them; returns the agent program.
inline std::string addAgent(const std::string& agentDir, const std::string& version) {
    std::vector<std::pair<std::string, std::string>> files = agentFiles(agentDir, version);
    files.emplace_back(agentDir + "\\eclipse\\agent.exe", readFile(buildFile("stub_program.exe")));
    for (const auto& [file, content] : files) EXPECT_TRUE(writeBytes(file, content)) << file;
    return files.back().first;
}

/// The [MANAGER] section of an INI file that looks for the agent under kAgentKey.
inline std::string agentIni(const std::string& version = "2.0") {
    return "[MANAGER]\r\nLOCATION_KEY=" + std::string(kAgentKey) + "\r\nVERSION=" + version +
           "\r\nLAUNCHER=eclipse\\agent.exe\r\n";
}

/// A fresh folder C:\e2e\<test name>, removed when the test passed (kept for a
/// look when it failed). HKLM\kTestsKey is empty, in both views, while it lives.
class Image {
public:
    Image() {
        clear();
        std::filesystem::create_directories(widePath(dir));
    }
    ~Image() {
        if (!::testing::Test::HasFailure()) clear();
    }

    std::string path(const std::string& relative) const { return dir + "\\" + relative; }
    void writeFile(const std::string& relative, const std::string& bytes) const {
        EXPECT_TRUE(writeBytes(path(relative), bytes)) << relative;
    }
    /// Copies the launcher in, and writes ini beside it as its INI file unless empty.
    void addLauncher(const std::string& relative, const std::string& ini = "") {
        launcher_ = relative;
        writeFile(relative, readFile(buildFile("launcher.exe")));
        if (!ini.empty()) writeFile(stubBase(relative) + ".ini", ini);
    }
    /// Copies the stub program in, with its plan.
    void addStub(const std::string& relative, const std::string& plan = "") const {
        writeFile(relative, readFile(buildFile("stub_program.exe")));
        if (!plan.empty()) writeFile(stubBase(relative) + ".plan", plan);
    }
    /// Returns the command lines that the stub copy recorded, in order.
    Strings calls(const std::string& relative) const {
        Strings lines;
        std::istringstream calls(readBytes(stubBase(path(relative)) + ".calls").value_or(""));
        for (std::string line; std::getline(calls, line);) lines.push_back(line);
        return lines;
    }
    /// Runs the last launcher added as "<quoted full path> arguments" in the image.
    RunResult launch(const std::string& arguments) const {
        return runProgram(path(launcher_), "\"" + path(launcher_) + "\" " + arguments, dir);
    }

    const std::string dir = [] {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return "C:\\e2e\\" + replaceAll(std::string(test->test_suite_name()) + "." + test->name(), "/", ".");
    }();

private:
    void clear() const {
        std::error_code ignored;
        std::filesystem::remove_all(widePath(dir), ignored);
        for (View view : {View::Own, View::SixtyFourBit}) {
            HKEY key = openKey(kTestsKey, view);
            RegDeleteTreeA(key, nullptr);
            RegCloseKey(key);
        }
    }
    std::string launcher_;
};

/// Returns the user's language table: GetUserDefaultLangID, which must equal
/// E2E_USER_LANGID; Swedish has no table and gets English.
inline std::uint16_t userTable() {
    const LANGID language = GetUserDefaultLangID();
    const char* expected = std::getenv("E2E_USER_LANGID");
    EXPECT_TRUE(expected != nullptr && language == std::atoi(expected)) << "Wine did not take LC_ALL: " << language;
    return language == 1053 ? 1033 : language;
}

/// Returns the text of that name in the user's table (expected/texts.txt),
/// "%s" replaced by argument; fails the test when it is not there.
inline std::string text(const std::string& name, const std::string& argument = "") {
    static const std::string texts = "\n" + readFile(buildFile("expected\\texts.txt"));
    const std::string key = "\n" + std::to_string(userTable()) + " " + name + " ";
    const std::size_t at = texts.find(key);
    const std::size_t start = at == std::string::npos ? texts.size() : at + key.size();
    EXPECT_NE(at, std::string::npos) << "no text" << key;
    return replaceAll(replaceAll(texts.substr(start, texts.find('\n', start) - start), "\\n", "\n"), "%s", argument);
}

/// The error box of a message, in the user's language.
inline std::string errorBox(const std::string& message, const std::string& argument) {
    return box("error", text("errorTitle"), text(message, argument));
}

/// A row of a parameterized suite, named and printed by its name.
struct Case {
    const char* name;
    friend std::ostream& operator<<(std::ostream& out, const Case& row) { return out << row.name; }
};
inline constexpr auto byName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace e2e
