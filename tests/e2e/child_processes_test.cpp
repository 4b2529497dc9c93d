// Real children: the stub program as installer (setup.exe) and as agent records
// the command line it received, as the C runtime split the launcher's own and
// CreateProcess delivered the one it built, and ends with the exit code of its
// plan, of which the launcher passes on all 32 bits.
#include "e2e.h"

namespace e2e {
namespace {

struct ChildCase : Case {
    const char* setupPlan;  ///< "exit ..."; the installer then installs agent 2.0.1
    const char* agentPlan;
    const char* arguments;  ///< the launcher's; "<TAB>" stands for a tab
    const char* setupCall;  ///< the installer's command line, with "${IMAGE}" and "<TAB>"
    const char* agentCall;  ///< the agent's, on each of its runs; "${AGENT}" is its program
    std::size_t agentRuns;
    std::uint32_t exitCode;
    const char* boxArgument;  ///< of the installer-failed box; nullptr: no box
};

class Children : public ::testing::TestWithParam<ChildCase> {};

TEST_P(Children, ExitCodesAndCommandLines) {
    const ChildCase& row = GetParam();
    Image image;
    image.addLauncher("qmlaunch.exe", "[INSTALLER]\r\nLOCATION=setup.exe\r\n" + agentIni());
    image.addStub("setup.exe", std::string(row.setupPlan) + "\n" + installPlan(image.path("agent"), "2.0.1"));
    image.addStub("agent\\eclipse\\agent.exe", row.agentPlan);
    image.writeFile("a.xml", "a file that *.xml would match\r\n");

    const RunResult run = image.launch(replaceAll(row.arguments, "<TAB>", "\t"));

    const auto expand = [&](std::string call) {
        call = replaceAll(replaceAll(call, "<TAB>", "\t"), "${AGENT}", image.path("agent\\eclipse\\agent.exe"));
        return replaceAll(call, "${IMAGE}", image.dir);
    };
    EXPECT_EQ(image.calls("setup.exe"), Strings{expand(row.setupCall)});
    EXPECT_EQ(image.calls("agent\\eclipse\\agent.exe"), Strings(row.agentRuns, expand(row.agentCall)));
    EXPECT_EQ(run.exitCode, static_cast<std::int32_t>(row.exitCode));
    EXPECT_EQ(run.boxes, row.boxArgument ? Strings{errorBox("installerFailed", row.boxArgument)} : Strings{});
}

const char* const kSetupCall = R"("${IMAGE}\setup.exe" /v"STANDALONE=false")";

INSTANTIATE_TEST_SUITE_P(
    , Children,
    ::testing::Values(
        // Blanks, tabs, quotation marks, "=", a wildcard and an empty argument;
        // only a blank makes quotation marks.
        ChildCase{
            "ArgumentBytes", "exit 0", "",
            R"(-wait -appDataLocation "C:\d ir\\" -installerArgs "A=B C" "P=\"q\"" "T=a<TAB>b" )"
            R"(-managerArgs "two words" "tab<TAB>inside" "q\"uote" "x=\"y z\"" *.xml "")",
            R"("${IMAGE}\setup.exe" /v"A=\"B C\" P=\"q\" T=a<TAB>b STANDALONE=false APPDATALOCATION=\"C:\d ir\\"")",
            R"("${AGENT}" -dataLocation "C:\d ir" "two words" tab<TAB>inside q"uote "x="y z"" *.xml )", 1, 0, nullptr},
        // 23 asks for another run; the agent's last code is the launcher's.
        ChildCase{"AgentCrashCode", "exit 0", "exit 23 0xC0000005", "-wait", kSetupCall, R"("${AGENT}")", 2,
                  0xC0000005u, nullptr},
        ChildCase{"InstallerCrashCode", "exit 0xC0000005", "", "-wait", kSetupCall, "", 0, 0xC0000005u, "-1073741819"},
        // Installed, restart due: the agent starts, and the restart code stands in for its 0.
        ChildCase{"RestartRequired3010", "exit 3010", "", "-wait", kSetupCall, R"("${AGENT}")", 1, 3010, nullptr},
        ChildCase{"RestartStarted1641Silent", "exit 1641", "", "-silent",
                  R"("${IMAGE}\setup.exe" /S /v"/qn STANDALONE=false")", R"("${AGENT}" -silent -nosplash)", 1, 1641,
                  nullptr}),
    byName);

// Typed at a prompt in the launcher's folder: argument 0 is the bare name,
// without ".exe", and the launcher still finds itself, and its INI file.
TEST(Identity, BareNameFromTheCurrentDirectory) {
    Image image;
    image.addLauncher("bin\\qmlaunch.exe", "[MANAGER]\r\nVERSION=2.0\r\n");

    const RunResult run = runProgram(image.path("bin\\qmlaunch.exe"), "qmlaunch -log trace.log", image.path("bin"));

    const std::string trace = readFile(image.path("bin\\trace.log"));
    EXPECT_NE(trace.find("launcherFullPath: (" + image.path("bin\\.\\qmlaunch.exe") + ")\r\n"), std::string::npos)
        << trace;
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.boxes, Strings{errorBox("agentNotFound", "2.0")});  // the version of its INI file
}

}  // namespace
}  // namespace e2e
