#include <gtest/gtest.h>

#include "launcher/command_line.h"
#include "memory_platform.h"

namespace launcher {
namespace {

using Strings = std::vector<std::string>;

CommandLineValues parse(Strings arguments, ParseResult expected = ParseResult::Continue) {
    arguments.insert(arguments.begin(), "launcher.exe");
    CommandLineValues values;
    EXPECT_EQ(parseCommandLine(arguments, values), expected);
    return values;
}

TEST(CommandLine, EveryOption) {
    const CommandLineValues v = parse({"-input", "in.xml", "-appDataLocation", "C:\\d", "-nl", "de_DE", "-silent",
                                       "-wait", "-isAdmin", "-licenseAccepted", "-log", "t.log"});
    EXPECT_EQ(v.argInputFile, "in.xml");
    EXPECT_EQ(v.argAppDataLocation, "C:\\d");
    EXPECT_EQ(v.argNL, "de_DE");
    EXPECT_EQ(v.argLogFile, "t.log");
    EXPECT_EQ(std::vector<int>({v.argIsSilent, v.isWait, v.argIsUserAdmin, v.argLicenseAccepted, v.isDebug}),
              std::vector<int>(5, 1));
    EXPECT_TRUE(v.argInstallerArgs.empty());
    EXPECT_TRUE(v.argManagerArgs.empty());
}

TEST(CommandLine, HelpFormsComeFirstButOnlyBeforeTheLists) {
    for (const char* help : {"-help", "-?", "/help", "/?"})
        parse({"-silent", help, "-log"}, ParseResult::HelpRequested);
    for (const char* other : {"-h", "-HELP", "--help", "/HELP"}) parse({other});
    EXPECT_EQ(parse({"-managerArgs", "-help"}).argManagerArgs, Strings{"-help"});
}

TEST(CommandLine, ValuesAndSkippedArguments) {
    struct Row {
        Strings arguments;
        std::string input;
        std::string log;
        int silent;
        int debug;
    };
    const Row rows[] = {
        {{"-input"}, "", "", 0, 0},  // a value option at the end is ignored
        {{"-log"}, "", "", 0, 0},
        {{"-input", "-silent"}, "-silent", "", 0, 0},  // the value is taken as it is
        {{"-input", ""}, "", "", 0, 0},
        {{"-input", "a", "-input", "b"}, "b", "", 0, 0},  // the last one wins
        {{"-log", "", "-Silent", "x"}, "", "", 0, 1},     // an empty log name still sets isDebug
        {{"-silent", "-silent", "-log", "-log"}, "", "-log", 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        const CommandLineValues v = parse(row.arguments);
        EXPECT_EQ(v.argInputFile, row.input);
        EXPECT_EQ(v.argLogFile, row.log);
        EXPECT_EQ(v.argIsSilent, row.silent);
        EXPECT_EQ(v.isDebug, row.debug);
    }
}

TEST(CommandLine, ArgumentListsCollectEverythingAfterTheSwitch) {
    struct Row {
        Strings arguments;
        Strings installer;
        Strings manager;
    };
    const Row rows[] = {
        {{"-installerArgs", "/x", "-log", "t.txt"}, {"/x", "-log", "t.txt"}, {}},
        {{"-installerArgs", "a", "-managerArgs", "b", "-installerArgs", "c"}, {"a", "c"}, {"b"}},
        {{"-installerArgs"}, {}, {}},
        {{"-managerArgs", "", "*.xml", "-managerArgs", "-silent"}, {}, {"", "*.xml", "-silent"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        const CommandLineValues v = parse(row.arguments);
        EXPECT_EQ(v.argInstallerArgs, row.installer);
        EXPECT_EQ(v.argManagerArgs, row.manager);
        EXPECT_EQ(v.isDebug + v.argIsSilent, 0);
    }
}

TEST(CommandLine, HugeInputStaysWhole) {
    Strings arguments{"-nl", std::string(200, 'n'), "-input", std::string(100000, 'i'), "-managerArgs"};
    for (int i = 0; i < 300; ++i) arguments.push_back("a" + std::to_string(i));
    const CommandLineValues v = parse(arguments);
    EXPECT_EQ(v.argNL.size(), 200u);
    EXPECT_EQ(v.argInputFile.size(), 100000u);
    ASSERT_EQ(v.argManagerArgs.size(), 300u);
    EXPECT_EQ(v.argManagerArgs[299], "a299");
}

TEST(UsageBox, NamesTheLauncherInTheUserLanguage) {
    testing::MemoryPlatform platform;
    platform.language = 1049;
    showUsage(platform, "setup");
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].title, "Формат:");
    EXPECT_EQ(platform.boxes[0].text,
              "setup [-h] [-input файл-ввода] [-silent] [-licenseAccepted] [-installerArgs арг1 арг2...] "
              "[-managerArgs арг1 арг2 ...]");
    EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Information);
}

}  // namespace
}  // namespace launcher
