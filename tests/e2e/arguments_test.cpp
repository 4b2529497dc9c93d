// Arguments the launcher passes on, end to end: values with blanks, tabs,
// quotation marks and "=", lists longer than 254 elements, and command
// lines at the platform's limit of 32 766 characters (32 767 with the
// terminator). Each child records the command line it received; it must be
// exactly the one the launcher builds.
#include <optional>

#include "e2e.h"

namespace e2e {
namespace {

enum class Child { Agent, Setup, Msiexec };

// An image whose child of that kind runs and records its command line: an
// installed agent (the launcher exits with its code 0), or a missing agent
// and an installer that exits with 1602.
class ChildImage : public LauncherImage {
public:
    explicit ChildImage(Child child)
        : LauncherImage(std::string("[INSTALLER]\r\nLOCATION=") +
                        (child == Child::Msiexec ? "agent.msi" : "setup.exe") + "\r\n" + agentIni()),
          child_(child) {
        if (child == Child::Agent) registerAgent(addAgent("agent", "2.0.1"));
        if (child == Child::Setup) addStub("setup.exe", "exit 1602\n");
        if (child == Child::Msiexec) {
            writeFile("agent.msi", "not opened by the stub\r\n");
            msiexec_.emplace("exit 1602\n");
        }
    }

    /// Returns what the child recorded.
    Strings calls() const {
        return child_ == Child::Agent   ? stubCalls("agent\\eclipse\\agent.exe")
               : child_ == Child::Setup ? stubCalls("setup.exe")
                                        : msiexec_->calls();
    }

    /// Returns the head of the child's command line, before its arguments.
    std::string head() const {
        return child_ == Child::Agent   ? "\"" + path("agent\\eclipse\\agent.exe") + "\""
               : child_ == Child::Setup ? "\"" + path("setup.exe") + "\" /v\""
                                        : systemMsiexec() + " /i \"" + path("agent.msi") + "\"";
    }

    /// Returns the exit code of a run in which the child ran.
    std::int32_t exitCode() const { return child_ == Child::Agent ? 0 : 1602; }

private:
    Child child_;
    std::optional<StubbedSystemMsiexec> msiexec_;
};

// "a1 a2 ... aN" with before and after each word.
std::string numbered(int count, const std::string& before, const std::string& after) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += before + "a" + std::to_string(i) + after;
    return text;
}

struct PassedCase : Case {
    Child child;
    std::string arguments;  ///< the launcher's, after -wait; "<TAB>" stands for a tab
    std::string tail;       ///< the child's command line after head(), with "${IMAGE}" and "<TAB>"
};

class PassedOn : public ::testing::TestWithParam<PassedCase> {};

TEST_P(PassedOn, ChildReceivesTheBuiltCommandLine) {
    const PassedCase& row = GetParam();
    ChildImage child(row.child);

    const RunResult result = child.launch("-wait " + replaceAll(row.arguments, "<TAB>", "\t"));

    EXPECT_EQ(child.calls(),
              Strings{child.head() + withTokens(row.tail, {{"<TAB>", "\t"}, {"${IMAGE}", child.dir()}})});
    EXPECT_EQ(result.exitCode, child.exitCode());
    EXPECT_EQ(result.boxes, Boxes{});
}

INSTANTIATE_TEST_SUITE_P(
    , PassedOn,
    ::testing::Values(
        // Argument by argument: "two words", plain, a tab inside, k=v w,
        // q"uote, x="y z", and an empty one. Only a blank makes quotes.
        PassedCase{"AgentArguments", Child::Agent,
                   R"(-managerArgs "two words" plain "tab<TAB>inside" "k=v w" "q\"uote" "x=\"y z\"" "")",
                   R"( "two words" plain tab<TAB>inside "k=v w" q"uote "x="y z"" )"},
        // -input is made absolute; a data location with a blank and "=" gets
        // a quotation mark after the "=" and one at its end.
        PassedCase{"AgentOptionValues", Child::Agent,
                   R"(-input "in put.xml" -appDataLocation "D:\data=1 x\\" -nl de_DE)",
                   R"( -input "${IMAGE}\in put.xml" -dataLocation D:\data="1 x" -nl de_DE)"},
        PassedCase{"SetupProperties", Child::Setup,
                   R"(-appDataLocation "C:\d ir\\" -installerArgs "A=B C" "P=\"q\"" "T=a<TAB>b" plain)",
                   R"(A=\"B C\" P=\"q\" T=a<TAB>b plain STANDALONE=false APPDATALOCATION=\"C:\d ir\\"")"},
        PassedCase{"MsiexecProperties", Child::Msiexec,
                   R"(-appDataLocation "C:\d ir\\" -installerArgs "A=B C" "P=\"q\"" "T=a<TAB>b" plain)",
                   R"( "A=B C" P="q" T=a<TAB>b plain STANDALONE=false APPDATALOCATION="C:\d ir\")"},
        PassedCase{"ThreeHundredAgentArguments", Child::Agent, "-managerArgs" + numbered(300, " ", ""),
                   numbered(300, " ", "")},
        PassedCase{"ThreeHundredSetupArguments", Child::Setup, "-installerArgs" + numbered(300, " ", ""),
                   numbered(300, "", " ") + "STANDALONE=false\""},
        PassedCase{"ThreeHundredMsiexecArguments", Child::Msiexec, "-installerArgs" + numbered(300, " ", ""),
                   numbered(300, " ", "") + " STANDALONE=false"}),
    byName);

// Blank-separated words of "x" that are exactly length characters long.
std::string wordsOfLength(std::size_t length) {
    std::string words;
    while (length > 101) {
        words += std::string(100, 'x') + " ";
        length -= 101;
    }
    return words + std::string(length, 'x');
}

struct LimitCase : Case {
    Child child;
    std::size_t childLength;  ///< of the child's command line
    bool starts;
};

class CommandLineLimit : public ::testing::TestWithParam<LimitCase> {};

// The launcher is started as "qmlaunch", found through the working
// directory, so that its own command line stays shorter than its child's.
TEST_P(CommandLineLimit, LongerThanThePlatformTakesFailsToStart) {
    const LimitCase& row = GetParam();
    ChildImage child(row.child);
    const std::string list = row.child == Child::Agent ? "-managerArgs" : "-installerArgs";
    const std::string closing = row.child == Child::Agent ? "" : " STANDALONE=false\"";
    const std::string separator = row.child == Child::Agent ? " " : "";
    const std::string words = wordsOfLength(row.childLength - child.head().size() - separator.size() - closing.size());
    const std::string expected = child.head() + separator + words + closing;
    ASSERT_EQ(expected.size(), row.childLength);

    const RunSpec request{.application = child.path("qmlaunch.exe"),
                          .commandLine = "qmlaunch -wait -log trace.log " + list + " " + words,
                          .currentDirectory = child.dir()};
    ASSERT_LT(request.commandLine.size(), 32767u);
    const RunResult result = runProgram(request);

    EXPECT_EQ(child.calls(), row.starts ? Strings{expected} : Strings{});
    const std::string trace = child.readFile("trace.log");
    if (row.child == Child::Agent) {
        EXPECT_EQ(result.exitCode, row.starts ? 0 : -1);
        EXPECT_EQ(result.boxes, Boxes{});
        EXPECT_TRUE(traceEndsWith(trace, "isWait: (1)\n"));
    } else {
        EXPECT_EQ(result.exitCode, row.starts ? 1602 : -1);
        EXPECT_EQ(result.boxes, row.starts ? Boxes{} : Boxes{errorBox("installerFailed", "-1", 1033)});
        EXPECT_TRUE(
            traceEndsWith(trace, std::string("rc: (") + (row.starts ? "1602" : "-1") + ")\nInstallerProgram: (" +
                                     child.path("setup.exe") + ")\n" +
                                     (row.starts ? "Install Cancelled by user \n" : "Error installing agent\n")));
    }
}

INSTANTIATE_TEST_SUITE_P(, CommandLineLimit,
                         ::testing::Values(LimitCase{"AgentAtTheLimit", Child::Agent, 32766, true},
                                           LimitCase{"AgentOverTheLimit", Child::Agent, 32767, false},
                                           LimitCase{"SetupAtTheLimit", Child::Setup, 32766, true},
                                           LimitCase{"SetupOverTheLimit", Child::Setup, 32767, false}),
                         byName);

}  // namespace
}  // namespace e2e
