// The command line as the launcher reads it: the help forms, and -log in
// the cases where it writes no trace.
#include "expected_texts.h"
#include "expected_traces.h"
#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/text.h"

namespace e2e {
namespace {

const char* const kLauncher = "qmlaunch.exe";

SeenBox usageBox(const LanguageTexts& texts) {
    return {texts.usageTitle, fill(texts.usageText, "qmlaunch"), BoxIcon::Information};
}

SeenBox noAgentBox(const LanguageTexts& texts) {
    return {texts.errorTitle, fill(texts.agentNotFound, "2.0"), BoxIcon::Error};
}

struct HelpCase {
    const char* name;
    const char* arguments;
    bool usage;  ///< the usage box and exit code 0; else the ordinary run
};

void PrintTo(const HelpCase& row, std::ostream* out) { *out << row.name; }

class HelpOption : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpOption, ShowsUsageOnlyForTheExactHelpForms) {
    InstallImage image;
    image.addLauncher(kLauncher);
    image.writeFile("qmlaunch.ini", kVersionOnlyIni);

    const RunResult result = image.run(kLauncher, GetParam().arguments);

    const LanguageTexts& texts = textsFor(userLanguage());
    if (GetParam().usage) {
        EXPECT_EQ(result.boxes, std::vector<SeenBox>{usageBox(texts)});
        EXPECT_EQ(result.exitCode, 0);
    } else {
        EXPECT_EQ(result.boxes, std::vector<SeenBox>{noAgentBox(texts)});
        EXPECT_EQ(result.exitCode, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    , HelpOption,
    ::testing::Values(HelpCase{"DashHelp", "-help", true}, HelpCase{"DashQuestionMark", "-?", true},
                      HelpCase{"SlashHelp", "/help", true}, HelpCase{"SlashQuestionMark", "/?", true},
                      // Silent operation is not known yet when the usage box comes.
                      HelpCase{"SilentThenHelp", "-silent -help", true},
                      HelpCase{"HelpAfterUnknownArguments", "-x foo -help", true},
                      HelpCase{"DashH", "-h", false}, HelpCase{"UpperCase", "-HELP", false},
                      HelpCase{"DoubleDash", "--help", false},
                      // The value of -input, and an argument collected for the agent.
                      HelpCase{"ValueOfInput", "-input -help", false},
                      HelpCase{"AfterManagerArgs", "-managerArgs -help", false}),
    [](const ::testing::TestParamInfo<HelpCase>& row) { return std::string(row.param.name); });

// The INI file is read before the command line: a missing one wins over
// -help, and -silent cannot hold its box back.
TEST(HelpWithoutIni, MissingIniFileWinsOverHelp) {
    const char* const cases[] = {"-help", "-silent -help"};
    for (int i = 0; i < 2; ++i) {
        const char* arguments = cases[i];
        SCOPED_TRACE(arguments);
        InstallImage image("." + std::to_string(i));
        image.addLauncher(kLauncher);

        const RunResult result = image.run(kLauncher, arguments);

        const LanguageTexts& texts = textsFor(userLanguage());
        EXPECT_EQ(result.boxes,
                  (std::vector<SeenBox>{{"", fill(texts.cannotOpenIni, image.path("qmlaunch.ini")), BoxIcon::Error}}));
        EXPECT_EQ(result.exitCode, 1);
    }
}

// -log that cannot or does not name a file: the run is the same as without
// it, and no file appears anywhere in the image.
TEST(LogOption, UnwritableOrMissingFileNameChangesNothing) {
    const char* const cases[] = {
        "-log <DIR>\\missing\\folder\\trace.log",
        "-log",
        "-nl de_DE -log",
    };
    for (int i = 0; i < 3; ++i) {
        const char* arguments = cases[i];
        SCOPED_TRACE(arguments);
        InstallImage image("." + std::to_string(i));
        image.addLauncher(kLauncher);
        image.writeFile("qmlaunch.ini", kVersionOnlyIni);

        const RunResult result = image.run(kLauncher, replaceAll(arguments, "<DIR>", image.dir()));

        EXPECT_EQ(result.boxes, std::vector<SeenBox>{noAgentBox(textsFor(userLanguage()))});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(image.entries(), (std::vector<std::string>{"qmlaunch.exe", "qmlaunch.ini"}));
    }
}

// The C runtime hands *.xml over as it is, even where files match it.
TEST(ManagerArgs, WildcardReachesTheTraceUnexpanded) {
    InstallImage image;
    image.addLauncher(kLauncher);
    image.writeFile("qmlaunch.ini", kVersionOnlyIni);
    image.writeFile("a.xml", "<a/>\r\n");
    image.writeFile("b.xml", "<b/>\r\n");

    const RunResult result = image.run(kLauncher, "-log trace.log -managerArgs *.xml");

    const std::string trace = image.readFile("trace.log");
    const std::string arguments = withCrLf("argLicenseAccepted: (0)\nargManagerArgs[0]: (*.xml)\n\nMode\n");
    EXPECT_NE(trace.find(arguments), std::string::npos) << trace;
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
}  // namespace e2e
