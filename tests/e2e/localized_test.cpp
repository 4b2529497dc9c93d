// The boxes in the user's language. Every suite here is named Localized*:
// ctest runs them once per language, each time under another LC_ALL, and
// once in English with the rest of the tests.
#include "expected_texts.h"
#include "gtest/gtest.h"
#include "harness/install_image.h"

namespace e2e {
namespace {

const char* const kLauncher = "qmsetup.exe";

TEST(LocalizedIniMissing, BoxNamesTheIniPathUnderAnEmptyTitle) {
    const LanguageTexts& texts = textsFor(userLanguage());
    InstallImage image;
    image.addLauncher(kLauncher);

    const RunResult result = image.run(kLauncher);

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes,
              (std::vector<SeenBox>{{"", fill(texts.cannotOpenIni, image.path("qmsetup.ini")), BoxIcon::Error}}));
}

TEST(LocalizedUsage, HelpShowsTheUsageWithTheLauncherName) {
    const LanguageTexts& texts = textsFor(userLanguage());
    InstallImage image;
    image.addLauncher(kLauncher);
    image.writeFile("qmsetup.ini", "[MANAGER]\r\nVERSION=2.0\r\n");

    const RunResult result = image.run(kLauncher, "-help");

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxes,
              (std::vector<SeenBox>{{texts.usageTitle, fill(texts.usageText, "qmsetup"), BoxIcon::Information}}));
}

// No agent and no installer: the box of the INI file's mode.
struct NoInstallerCase {
    const char* mode;
    const char* LanguageTexts::*message;
};

void PrintTo(const NoInstallerCase& row, std::ostream* out) { *out << row.mode; }

class LocalizedNoInstaller : public ::testing::TestWithParam<NoInstallerCase> {};

TEST_P(LocalizedNoInstaller, BoxNamesTheRequiredVersion) {
    const LanguageTexts& texts = textsFor(userLanguage());
    InstallImage image;
    image.addLauncher(kLauncher);
    image.writeFile("qmsetup.ini", std::string("[MANAGER]\r\nVERSION=3.2.1\r\nMODE=") + GetParam().mode + "\r\n");

    const RunResult result = image.run(kLauncher);

    const std::string text = fill(texts.*(GetParam().message), "3.2.1");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes, (std::vector<SeenBox>{{texts.errorTitle, text, BoxIcon::Error}}));
    if (texts.table == 1049 && GetParam().message == &LanguageTexts::agentNotFoundExtension) {
        // Longer than 255 bytes of UTF-8: a launcher that capped messages
        // would cut or empty this one.
        EXPECT_GT(text.size(), 255u);
    }
}

INSTANTIATE_TEST_SUITE_P(, LocalizedNoInstaller,
                         ::testing::Values(NoInstallerCase{"INSTALL", &LanguageTexts::agentNotFound},
                                           NoInstallerCase{"UNINSTALL", &LanguageTexts::agentNotFound},
                                           NoInstallerCase{"EXTENSION", &LanguageTexts::agentNotFoundExtension}),
                         [](const ::testing::TestParamInfo<NoInstallerCase>& row) { return std::string(row.param.mode); });

}  // namespace
}  // namespace e2e
