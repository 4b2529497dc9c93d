// Message boxes really shown: in the user's language (ctest runs Localized*
// under English, Japanese and Swedish, which falls back to English), and
// without a planted DLL in the launcher's folder.
#include "e2e.h"

namespace e2e {
namespace {

struct BoxCase : Case {
    const char* arguments;
    std::int32_t exitCode;
    const char* icon;
    const char* title;
    const char* text;
    const char* argument;
};

class LocalizedBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(LocalizedBox, TitleTextAndIcon) {
    const BoxCase& row = GetParam();
    Image image;
    image.addLauncher("qmlaunch.exe", "[MANAGER]\r\nVERSION=2.0\r\n");

    const RunResult run = image.launch(row.arguments);

    EXPECT_EQ(run.boxes, Strings{box(row.icon, text(row.title), text(row.text, row.argument))});
    EXPECT_EQ(run.exitCode, row.exitCode);
}

INSTANTIATE_TEST_SUITE_P(
    , LocalizedBox,
    ::testing::Values(BoxCase{"Usage", "-help", 0, "information", "usageTitle", "usageText", "qmlaunch"},
                      BoxCase{"AgentNotFound", "", 1, "error", "errorTitle", "agentNotFound", "2.0"}),
    byName);

// A DLL named like one that message boxes pull in (uxtheme.dll), placed beside
// the program as in a downloads folder, leaves planted.marker when it loads.
// Wine prefers its builtin DLLs, which would hide it: the ctest entry sets
// WINEDLLOVERRIDES=uxtheme=n,b.
TEST(DllPlanting, LoadsIntoAPlainProgramButNeverIntoTheLauncher) {
    const char* overrides = std::getenv("WINEDLLOVERRIDES");
    ASSERT_TRUE(overrides && std::string(overrides).find("uxtheme=n") != std::string::npos);
    Image image;
    image.writeFile("uxtheme.dll", readFile(buildFile("planted\\uxtheme.dll")));
    image.writeFile("plain_box.exe", readFile(buildFile("plain_box.exe")));
    image.addLauncher("qmlaunch.exe");  // without its INI file: a box comes up

    EXPECT_EQ(runProgram(image.path("plain_box.exe"), "plain_box", image.dir).boxes.size(), 1u);
    ASSERT_TRUE(DeleteFileA(image.path("planted.marker").c_str())) << "the control did not load the planted DLL";
    EXPECT_EQ(image.launch("").boxes.size(), 1u);
    EXPECT_FALSE(readBytes(image.path("planted.marker"))) << "the launcher loaded the planted DLL";
}

}  // namespace
}  // namespace e2e
