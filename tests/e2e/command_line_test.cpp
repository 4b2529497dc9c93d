// The command line as the launcher reads it: the help forms, and -log in
// the cases where it writes no trace.
#include "e2e.h"

namespace e2e {
namespace {

const char* const kVersionOnlyIni = "[MANAGER]\r\nVERSION=2.0\r\n";

struct HelpCase : Case {
    const char* arguments;
    bool usage;  ///< the usage box and exit code 0; else the ordinary run
};

class HelpOption : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpOption, ShowsUsageOnlyForTheExactHelpForms) {
    InstallImage image;
    image.addLauncher("qmlaunch.exe", kVersionOnlyIni);

    const RunResult result = image.run("qmlaunch.exe", GetParam().arguments);

    const SeenBox usage{text("usageTitle"), text("usageText", "qmlaunch"), BoxIcon::Information};
    EXPECT_EQ(result.exitCode, GetParam().usage ? 0 : 1);
    EXPECT_EQ(result.boxes, Boxes{GetParam().usage ? usage : errorBox("agentNotFound", "2.0")});
}

INSTANTIATE_TEST_SUITE_P(
    , HelpOption,
    ::testing::Values(HelpCase{"DashHelp", "-help", true}, HelpCase{"DashQuestionMark", "-?", true},
                      HelpCase{"SlashHelp", "/help", true}, HelpCase{"SlashQuestionMark", "/?", true},
                      // Silent operation is not known yet when the usage box comes.
                      HelpCase{"SilentThenHelp", "-silent -help", true},
                      HelpCase{"HelpAfterUnknownArguments", "-x foo -help", true}, HelpCase{"DashH", "-h", false},
                      HelpCase{"UpperCase", "-HELP", false}, HelpCase{"DoubleDash", "--help", false},
                      // The value of -input, and an argument collected for the agent.
                      HelpCase{"ValueOfInput", "-input -help", false},
                      HelpCase{"AfterManagerArgs", "-managerArgs -help", false}),
    byName);

// The INI file is read before the command line: a missing one wins over
// -help, and -silent cannot hold its box back.
TEST(HelpWithoutIni, MissingIniFileWinsOverHelp) {
    for (const std::string arguments : {"-help", "-silent -help"}) {
        SCOPED_TRACE(arguments);
        InstallImage image("." + std::to_string(arguments.size()));
        image.addLauncher("qmlaunch.exe");

        const RunResult result = image.run("qmlaunch.exe", arguments);

        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.boxes, (Boxes{{"", text("cannotOpenIni", image.path("qmlaunch.ini")), BoxIcon::Error}}));
    }
}

// -log that cannot or does not name a file: the run is the same as without
// it, and no file appears anywhere in the image.
TEST(LogOption, UnwritableOrMissingFileNameChangesNothing) {
    for (const std::string arguments : {"-log ${IMAGE}\\missing\\folder\\trace.log", "-log", "-nl de_DE -log"}) {
        SCOPED_TRACE(arguments);
        InstallImage image("." + std::to_string(arguments.size()));
        image.addLauncher("qmlaunch.exe", kVersionOnlyIni);

        const RunResult result = image.run("qmlaunch.exe", withTokens(arguments, {{"${IMAGE}", image.dir()}}));

        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.boxes, Boxes{errorBox("agentNotFound", "2.0")});
        EXPECT_EQ(directoryEntries(image.dir()), (Strings{"qmlaunch.exe", "qmlaunch.ini"}));
    }
}

// The C runtime hands *.xml over as it is, even where files match it.
TEST(ManagerArgs, WildcardReachesTheTraceUnexpanded) {
    InstallImage image;
    image.addLauncher("qmlaunch.exe", kVersionOnlyIni);
    image.writeFile("a.xml", "<a/>\r\n");
    image.writeFile("b.xml", "<b/>\r\n");

    const RunResult result = image.run("qmlaunch.exe", "-log trace.log -managerArgs *.xml");

    const std::string trace = image.readFile("trace.log");
    EXPECT_NE(trace.find(withCrLf("argLicenseAccepted: (0)\nargManagerArgs[0]: (*.xml)\n\nMode\n")), std::string::npos)
        << trace;
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
}  // namespace e2e
