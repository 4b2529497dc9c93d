// The boxes in the user's language. Every suite here is named Localized*:
// ctest runs them once per language, each time under another LC_ALL, and
// once in English with the rest of the tests.
#include "e2e.h"

namespace e2e {
namespace {

TEST(LocalizedIniMissing, BoxNamesTheIniPathUnderAnEmptyTitle) {
    InstallImage image;
    image.addLauncher("qmsetup.exe");

    const RunResult result = image.run("qmsetup.exe");

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes, (Boxes{{"", text("cannotOpenIni", image.path("qmsetup.ini")), BoxIcon::Error}}));
}

TEST(LocalizedUsage, HelpShowsTheUsageWithTheLauncherName) {
    InstallImage image;
    image.addLauncher("qmsetup.exe", "[MANAGER]\r\nVERSION=2.0\r\n");

    const RunResult result = image.run("qmsetup.exe", "-help");

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxes, (Boxes{{text("usageTitle"), text("usageText", "qmsetup"), BoxIcon::Information}}));
}

// No agent and no installer: the box of the INI file's mode.
struct NoInstallerCase : Case {
    const char* message;
};

class LocalizedNoInstaller : public ::testing::TestWithParam<NoInstallerCase> {};

TEST_P(LocalizedNoInstaller, BoxNamesTheRequiredVersion) {
    InstallImage image;
    image.addLauncher("qmsetup.exe", std::string("[MANAGER]\r\nVERSION=3.2.1\r\nMODE=") + GetParam().name + "\r\n");

    const RunResult result = image.run("qmsetup.exe");

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes, Boxes{errorBox(GetParam().message, "3.2.1")});
    if (tableFor(userLanguage()) == 1049 && GetParam().message == std::string("agentNotFoundExtension")) {
        // Longer than 255 bytes of UTF-8: a launcher that capped messages
        // would cut or empty this one.
        EXPECT_GT(text(GetParam().message, "3.2.1").size(), 255u);
    }
}

INSTANTIATE_TEST_SUITE_P(, LocalizedNoInstaller,
                         ::testing::Values(NoInstallerCase{"INSTALL", "agentNotFound"},
                                           NoInstallerCase{"UNINSTALL", "agentNotFound"},
                                           NoInstallerCase{"EXTENSION", "agentNotFoundExtension"}),
                         byName);

}  // namespace
}  // namespace e2e
