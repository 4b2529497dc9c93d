// Folders whose names the system code page cannot spell: 测试 under code page
// 1252, 한글 under 932 (which has no Hangul). Windows hands the launcher such
// paths in UTF-16; the launcher takes the short (8.3) name of the part the
// code page lacks, which Wine makes for every long name. The image folder, an
// agent folder named by a registry value, a user's AppData behind <APPDATA>
// and a -log folder: each run installs or finds the agent, starts it with
// paths that open, and exits with 0. launcher-check, too, checks an image in
// any folder that Windows can name, and prints its path in UTF-8: among them
// one whose code-page bytes end in 0x5C (発表 in 932). Run under LC_ALL
// C.UTF-8 (code page 1252) and ja_JP.UTF-8 (932).
#include <cstdlib>

#include "e2e.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

/// The odd folder name of the code page under test, which it cannot spell.
std::wstring oddName() { return GetACP() == 932 ? L"한글 image" : L"测试 image"; }

bool spellable(const std::wstring& text) {
    BOOL usedDefault = FALSE;
    char bytes[256] = {};
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, bytes, sizeof(bytes), nullptr, &usedDefault);
    return !usedDefault;
}

void expectCodePage() {
    const char* expected = std::getenv("E2E_CODE_PAGE");
    ASSERT_TRUE(expected != nullptr && GetACP() == static_cast<UINT>(std::atoi(expected)))
        << "run under an entry whose locale Wine must take";
}

/// The word after word in a recorded command line, up to a blank or the
/// line's end (the paths in question hold no blank), or the quoted program.
std::string wordAfter(const std::string& line, const std::string& word) {
    const std::size_t at = word.empty() ? 1 : line.find(word + " ") + word.size() + 1;
    if (at > line.size()) return std::string();
    return line.substr(at, line.find_first_of(word.empty() ? "\"" : " \n", at) - at);
}

bool opens(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct FolderCase : Case {
    const wchar_t* image;      ///< the launcher's folder in the test's own; "@" is the odd name
    const wchar_t* agent;      ///< the agent's folder
    bool fromAppData;          ///< the INI file names a reference file under <APPDATA>, else the registry key
    const wchar_t* arguments;  ///< the launcher's; "@" as above, "${DIR}" the test's folder, "${APPDATA}" the user's
    bool installed;            ///< the agent is there before the run; else the installer lays it down
};

class UnicodeFolder : public ::testing::TestWithParam<FolderCase> {
protected:
    void SetUp() override {
        expectCodePage();
        ASSERT_FALSE(spellable(oddName())) << "the row tests what it says";
    }
    std::wstring expand(std::wstring text) const {
        for (const auto& [token, value] :
             {std::pair<std::wstring, std::wstring>{L"@", oddName()}, {L"${DIR}", dir}, {L"${APPDATA}", appData}}) {
            for (std::size_t at = text.find(token); at != std::wstring::npos;
                 at = text.find(token, at + value.size())) {
                text.replace(at, token.size(), value);
            }
        }
        return text;
    }
    Image image;
    const std::wstring dir = widePath(image.dir).wstring();
    const std::wstring appData = dir + L"\\Users\\" + oddName() + L"\\AppData\\Roaming";
};

// The user's AppData folder, as the shell reports it, for the time of a test.
class UserAppData {
public:
    explicit UserAppData(const std::wstring& folder) {
        DWORD size = sizeof(old_);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"AppData", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, old_,
                            &size) == ERROR_SUCCESS;
        set(folder.c_str());
    }
    ~UserAppData() { had_ ? set(old_) : (void)RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"AppData"); }

private:
    static void set(const wchar_t* value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"AppData", REG_EXPAND_SZ, value,
                        static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t)));
    }
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    wchar_t old_[MAX_PATH] = {};
    bool had_ = false;
};

TEST_P(UnicodeFolder, InstallsOrFindsTheAgentAndStartsItWithPathsThatOpen) {
    const FolderCase& row = GetParam();
    const fs::path imageDir = expand(dir + L"\\" + row.image);
    const fs::path agentDir = expand(dir + L"\\" + row.agent);
    const std::string stub = readFile(buildFile("stub_program.exe"));
    const std::string dataDir = image.path("data");
    std::optional<UserAppData> userAppData;
    std::string manager = "LOCATION_KEY=" + std::string(kAgentKey);
    if (row.fromAppData) {
        userAppData.emplace(appData);
        manager = "LOCATION_FILE=<APPDATA>\\Q\\agent.properties";
        ASSERT_TRUE(writeFileAt(fs::path(appData) / L"Q\\agent.properties",
                                "location=" + image.path(toUtf8(row.agent)) + "\r\n"));
        fs::create_directories(fs::path(appData) / L"Data");
    }
    fs::create_directories(expand(dir + L"\\@"));  // where -log writes
    ASSERT_TRUE(writeFileAt(imageDir / L"qmlaunch.exe", readFile(buildFile("launcher.exe"))));
    ASSERT_TRUE(writeFileAt(imageDir / L"qmlaunch.ini", "[INSTALLER]\r\nLOCATION=setup.exe\r\n[MANAGER]\r\n" + manager +
                                                            "\r\nVERSION=2.0\r\nLAUNCHER=eclipse\\agent.exe\r\n"
                                                            "[COMMON]\r\nISADMIN=false\r\n"));
    // The installer registers the agent in the current user's hive, which
    // the launcher reads with ISADMIN=false; the data folder is a plain one.
    const std::string agentFiles = "file " + image.path("agent\\eclipse\\configuration\\config.ini") +
                                   "|tessa.appDataLocation=" + dataDir + "%r%n\nfile " + dataDir +
                                   "\\installed.xml|<package id='com.norvex.tessa.agent' version='2.0.1'/>%r%n\n";
    ASSERT_TRUE(writeFileAt(imageDir / L"setup.exe", stub));
    ASSERT_TRUE(writeFileAt(imageDir / L"setup.plan", "reg HKCU|" + std::string(kAgentKey) + "|location|" +
                                                          image.path("agent") + "\n" + agentFiles));
    ASSERT_TRUE(writeFileAt(agentDir / L"eclipse\\agent.exe", stub));
    if (row.installed) {
        ASSERT_TRUE(
            writeFileAt(agentDir / L"eclipse\\configuration\\config.ini", "tessa.appDataLocation=" + dataDir + "\r\n"));
        ASSERT_TRUE(
            writeBytes(dataDir + "\\installed.xml", "<package id='com.norvex.tessa.agent' version='2.0.1'/>\r\n"));
        HKEY key = nullptr;
        const std::wstring location = agentDir.wstring();
        RegCreateKeyExA(HKEY_CURRENT_USER, kAgentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExW(key, L"location", 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                       static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    const fs::path launcher = imageDir / L"qmlaunch.exe";
    const RunResult run =
        runProgram(launcher.wstring(), L"\"" + launcher.wstring() + L"\" " + expand(row.arguments), imageDir.wstring());

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.boxes, Strings{});
    EXPECT_EQ(readFileAt(imageDir / L"setup.calls").has_value(), !row.installed);
    const std::string call = readFileAt(agentDir / L"eclipse\\agent.calls").value_or("");
    EXPECT_TRUE(opens(wordAfter(call, ""))) << "the agent's program in: " << call;
    if (call.find("-dataLocation") != std::string::npos) {
        EXPECT_TRUE(opens(wordAfter(call, "-dataLocation"))) << call;
    }
    const std::wstring arguments = expand(row.arguments);
    if (const std::size_t log = arguments.find(L"-log \""); log != std::wstring::npos) {
        const std::wstring trace = arguments.substr(log + 6, arguments.find(L'"', log + 6) - log - 6);
        EXPECT_NE(readFileAt(trace).value_or("").find("isWait: (1)"), std::string::npos) << toUtf8(trace);
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestsKey, 0, KEY_ALL_ACCESS, &key) == 0) {
        RegDeleteTreeA(key, nullptr);
        RegCloseKey(key);
    }
}

INSTANTIATE_TEST_SUITE_P(, UnicodeFolder,
                         ::testing::Values(FolderCase{"ImageFolder", L"@", L"agent", false, L"-silent", false},
                                           FolderCase{"AgentFromARegistryValue", L"img", L"@\\agent", false, L"-silent",
                                                      true},
                                           FolderCase{"ReferenceFileAndDataUnderAppData", L"img", L"agent", true,
                                                      L"-silent -appDataLocation \"${APPDATA}\\Data\"", true},
                                           FolderCase{"LogInTheFolder", L"img", L"agent", false,
                                                      L"-silent -log \"${DIR}\\@\\trace.txt\"", true}),
                         byName);

// launcher-check on an image in the folder, its report written to a file.
struct CheckCase : Case {
    const wchar_t* folder;  ///< for code page 1252
    const wchar_t* folder932;
};

class CheckFolder : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckFolder, ChecksTheImageAndNamesItInUtf8) {
    expectCodePage();
    Image image;
    const fs::path folder = widePath(image.dir) / (GetACP() == 932 ? GetParam().folder932 : GetParam().folder);
    ASSERT_TRUE(writeFileAt(folder / L"setup.exe", ""));
    ASSERT_TRUE(writeFileAt(folder / L"qmlaunch.exe", ""));
    ASSERT_TRUE(writeFileAt(folder / L"qmlaunch.ini", "[INSTALLER]\r\nLOCATION=setup.exe\r\n" + agentIni()));
    const fs::path report = widePath(image.path("report.txt"));
    SECURITY_ATTRIBUTES inherit{.nLength = sizeof(SECURITY_ATTRIBUTES), .bInheritHandle = TRUE};
    HANDLE out = CreateFileW(report.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{
        .cb = sizeof(STARTUPINFOW), .dwFlags = STARTF_USESTDHANDLES, .hStdOutput = out, .hStdError = out};
    PROCESS_INFORMATION process{};
    const std::wstring program = widePath(buildFile("src\\check\\launcher-check.exe")).wstring();
    std::wstring line = L"launcher-check \"" + folder.wstring() + L"\"";
    ASSERT_TRUE(
        CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process));
    CloseHandle(out);
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0xDEAD;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);

    const std::string text = readFileAt(report).value_or("");
    EXPECT_EQ(code, 0u) << text;
    EXPECT_NE(text.find(toUtf8((folder / L"qmlaunch.ini").wstring()) + ": no warnings"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(, CheckFolder,
                         ::testing::Values(CheckCase{"SpelledByTheCodePage", L"Pakete-Größe\\img", L"発表\\img"},
                                           CheckCase{"LackingFromTheCodePage", L"测试 image", L"한글 image"}),
                         byName);

}  // namespace
}  // namespace e2e
