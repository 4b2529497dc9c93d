// Japanese and Chinese Windows: the ANSI code page is 932 or 936, and the
// second byte of many characters is 0x5C, the backslash (表 is 0x95 0x5C in
// 932, 淺 0x9C 0x5C in 936). An image folder and an agent folder with such
// names, written in code-page bytes as a packager on that Windows writes
// them: the INI file is found, the installer runs from the right path, the
// agent is found through the registry and through a reference file, and a
// missing installer shows the box in the user's language with the path
// intact. Names without such bytes are the control. Run under LC_ALL
// ja_JP.UTF-8 and zh_CN.UTF-8 (E2E_CODE_PAGE says which code page Wine
// must give).
#include <cstdlib>

#include "e2e.h"

namespace e2e {
namespace {

struct NameCase : Case {
    const wchar_t* japanese;  ///< a folder name for code page 932
    const wchar_t* chinese;   ///< for code page 936
    bool trailBackslash;      ///< the name's bytes hold a second byte 0x5C
};

class CodePage : public ::testing::TestWithParam<NameCase> {
protected:
    void SetUp() override {
        const char* expected = std::getenv("E2E_CODE_PAGE");
        ASSERT_TRUE(expected != nullptr && GetACP() == static_cast<UINT>(std::atoi(expected)))
            << "run under an e2e_codepage entry, whose locale Wine must take";
        char bytes[64] = {};
        WideCharToMultiByte(CP_ACP, 0, GetACP() == 932 ? GetParam().japanese : GetParam().chinese, -1, bytes,
                            sizeof(bytes), nullptr, nullptr);
        name = bytes;
        ASSERT_EQ(name.find('\\') != std::string::npos, GetParam().trailBackslash) << "the row tests what it says";
    }
    Image image;
    std::string name;  ///< the row's folder name, in code-page bytes
};

// The launcher in the folder, LOCATION=setup.exe beside it; the installer
// registers an agent in a folder of the same name, where it is found.
TEST_P(CodePage, InstallerBesideTheLauncherAndAgentFromTheRegistry) {
    image.addLauncher(name + "\\qmlaunch.exe", "[INSTALLER]\r\nLOCATION=setup.exe\r\n" + agentIni());
    const std::string agentDir = image.path("agents\\" + name);
    image.addStub(name + "\\setup.exe", installPlan(agentDir, "2.0.1"));
    image.addStub("agents\\" + name + "\\eclipse\\agent.exe");

    const RunResult run = image.launch("-wait");

    EXPECT_EQ(image.calls(name + "\\setup.exe"),
              Strings{"\"" + image.path(name + "\\setup.exe") + "\" /v\"STANDALONE=false\""});
    EXPECT_EQ(image.calls("agents\\" + name + "\\eclipse\\agent.exe"),
              Strings{"\"" + agentDir + "\\eclipse\\agent.exe\""});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.boxes, Strings{});
}

TEST_P(CodePage, AgentFromAReferenceFile) {
    image.addLauncher(name + "\\qmlaunch.exe",
                      "[MANAGER]\r\nLOCATION_FILE=<CURRDIR>agent.properties\r\nVERSION=2.0\r\n"
                      "LAUNCHER=eclipse\\agent.exe\r\n");
    const std::string agent = addAgent(image.path(name + "\\agent"), "2.1.0");
    image.writeFile(name + "\\agent.properties", "location=" + image.path(name + "\\agent") + "\r\n");

    const RunResult run = image.launch("-wait");

    EXPECT_EQ(image.calls(name + "\\agent\\eclipse\\agent.exe"), Strings{"\"" + agent + "\""});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.boxes, Strings{});
}

TEST_P(CodePage, MissingInstallerInTheUsersLanguage) {
    image.addLauncher(name + "\\qmlaunch.exe", "[INSTALLER]\r\nLOCATION=" + name + "\\setup.exe\r\n" + agentIni());

    const RunResult run = image.launch("");

    const std::string missing = image.path(name + "\\" + name + "\\setup.exe");
    EXPECT_EQ(run.boxes, Strings{errorBox("installerNotFound", toUtf8(widePath(missing).wstring()))});
    EXPECT_EQ(run.exitCode, 1);
}

INSTANTIATE_TEST_SUITE_P(, CodePage,
                         ::testing::Values(NameCase{"SecondByteIsABackslash", L"発表", L"淺籠", true},
                                           NameCase{"Control", L"日本", L"中文", false}),
                         byName);

}  // namespace
}  // namespace e2e
