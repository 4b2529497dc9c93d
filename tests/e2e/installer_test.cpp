// The agent is missing: the launcher runs its installer (an executable
// installer, or msiexec.exe for an MSI package), reads the installer's exit
// code, looks for the agent again and starts it. One row per outcome, with
// stub programs as installer, msiexec.exe and agent.
#include <optional>

#include "e2e.h"

namespace e2e {
namespace {

enum class Installer {
    Stub,              ///< the stub as setup.exe
    Msiexec,           ///< the stub as the system's msiexec.exe, and a package agent.msi
    MsiexecNoPackage,  ///< the same without the package file
    NotAProgram,       ///< a text file as setup.exe
    Missing,           ///< nothing at the INI location disk1\setup.exe
};

struct OutcomeCase : Case {
    Installer installer;
    std::uint32_t installerExit;
    const char* installsVersion;  ///< the agent version the installer lays down; "": none
    bool agentProgram;            ///< eclipse\agent.exe is there
    const char* agentPlan;
    const char* arguments;  ///< "-wait" or "-silent"
    std::size_t agentRuns;
    std::int32_t exitCode;
    const char* box;  ///< the message of the error box; "": no box
    const char* boxArgument;
    const char* traceEnd;
};

class InstallOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(InstallOutcome, ExitCodeBoxTraceAndChildren) {
    const OutcomeCase& row = GetParam();
    ASSERT_EQ(userLanguage(), 1033) << "the installer cases expect English boxes";
    const bool msi = row.installer == Installer::Msiexec || row.installer == Installer::MsiexecNoPackage;
    const std::string location = msi                                   ? "agent.msi"
                                 : row.installer == Installer::Missing ? "disk1\\setup.exe"
                                                                       : "setup.exe";
    LauncherImage image("[INSTALLER]\r\nLOCATION=" + location + "\r\n" + agentIni());
    if (row.agentProgram) image.addStub("agent\\eclipse\\agent.exe", row.agentPlan);
    std::string setup = "exit " + std::to_string(row.installerExit) + "\n";
    if (row.installsVersion[0] != '\0') setup += installPlan(image.path("agent"), row.installsVersion);
    std::optional<StubbedSystemMsiexec> msiexec;
    if (row.installer == Installer::Stub) image.addStub(location, setup);
    if (row.installer == Installer::Msiexec) image.writeFile(location, "a package only the real msiexec.exe opens\r\n");
    if (row.installer == Installer::NotAProgram) image.writeFile(location, "this is not a program\r\n");
    if (msi) msiexec.emplace(setup);

    const RunResult result = image.launch(std::string(row.arguments) + " -log trace.log");

    const TraceTokens tokens{
        {"${IMAGE}", image.dir()}, {"${SYSTEM}", systemDirectory()}, {"${RC}", std::to_string(row.exitCode)}};
    EXPECT_EQ(result.exitCode, row.exitCode);
    EXPECT_EQ(result.boxes,
              row.box[0] == '\0' ? Boxes{} : Boxes{errorBox(row.box, withTokens(row.boxArgument, tokens), 1033)});
    EXPECT_TRUE(traceEndsWith(image.readFile("trace.log"), row.traceEnd, tokens));
    // What the installer and the agent were started with, when they ran.
    const bool silent = row.arguments == std::string("-silent");
    const std::string installerCall =
        msi ? (silent ? R"(${SYSTEM}\msiexec.exe /i "${IMAGE}\agent.msi" /q STANDALONE=false)"
                      : R"(${SYSTEM}\msiexec.exe /i "${IMAGE}\agent.msi" STANDALONE=false)")
            : (silent ? R"("${IMAGE}\setup.exe" /S /v"/qn STANDALONE=false")"
                      : R"("${IMAGE}\setup.exe" /v"STANDALONE=false")");
    const bool installerRan = row.installer == Installer::Stub || row.installer == Installer::Msiexec;
    EXPECT_EQ(msiexec        ? msiexec->calls()
              : installerRan ? image.stubCalls(location)
                             : Strings{},
              installerRan ? Strings{withTokens(installerCall, tokens)} : Strings{});
    const std::string agentCall =
        "\"" + image.path("agent\\eclipse\\agent.exe") + (silent ? "\" -silent -nosplash" : "\"");
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"), Strings(row.agentRuns, agentCall));
}

// The ends of the traces; "${RC}" is the installer's exit code, which is
// also the launcher's.
const char* const kAgentStarted = "agentArglist[0]: (\"${IMAGE}\\agent\\eclipse\\agent.exe\")\nisWait: (1)\n";
const char* const kSilentAgentStarted =
    "agentArglist[0]: (\"${IMAGE}\\agent\\eclipse\\agent.exe\")\nagentArglist[1]: (-silent)\n"
    "agentArglist[2]: (-nosplash)\nisWait: (1)\n";
const char* const kSetupCancelled =
    "rc: (${RC})\nInstallerProgram: (${IMAGE}\\setup.exe)\nInstall Cancelled by user \n";
const char* const kSetupFailed = "rc: (${RC})\nInstallerProgram: (${IMAGE}\\setup.exe)\nError installing agent\n";
const char* const kMsiexecCancelled =
    "rc: (${RC})\nInstallerProgram: (${SYSTEM}\\msiexec.exe)\nInstall Cancelled by user \n";
const char* const kMsiexecFailed = "rc: (${RC})\nInstallerProgram: (${SYSTEM}\\msiexec.exe)\nError installing agent\n";
const char* const kNotFound = "installerNotFound";
const char* const kFailed = "installerFailed";

constexpr std::int32_t kAccessViolation = static_cast<std::int32_t>(0xC0000005u);

// name, installer, its exit code, version it installs, agent program there,
// the agent's plan, arguments, agent runs, exit code, box, box argument, end
// of the trace.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    , InstallOutcome,
    ::testing::Values(
        OutcomeCase{"AgentStarted", Installer::Stub, 0, "2.0.1", true, "", "-wait", 1, 0, "", "", kAgentStarted},
        OutcomeCase{"AgentRestartedWhileItExits23", Installer::Stub, 0, "2.0.1", true, "exit 23 23 23 0", "-wait", 4, 0,
                    "", "", kAgentStarted},
        OutcomeCase{"AgentsLastExitCode", Installer::Stub, 0, "2.0.1", true, "exit 23 0xC0000005", "-wait", 2,
                    kAccessViolation, "", "", kAgentStarted},
        // Silent operation waits for the agent without -wait.
        OutcomeCase{"SilentRunWaitsForTheAgent", Installer::Stub, 0, "2.0.1", true, "exit 5", "-silent", 1, 5, "", "",
                    kSilentAgentStarted},
        OutcomeCase{"InstallerNotFound", Installer::Missing, 0, "", true, "", "-wait", 0, 1, kNotFound,
                    "${IMAGE}\\disk1\\setup.exe", "Installer does not exist: ${IMAGE}\\disk1\\setup.exe\n"},
        OutcomeCase{"SilentInstallerNotFound", Installer::Missing, 0, "", true, "", "-silent", 0, 1, "", "",
                    "Installer does not exist: ${IMAGE}\\disk1\\setup.exe\n"},
        OutcomeCase{"MsiPackageNotFound", Installer::MsiexecNoPackage, 0, "", true, "", "-wait", 0, 1, kNotFound,
                    "${IMAGE}\\agent.msi", "MSI installer image is not found: ${IMAGE}\\agent.msi\n"},
        OutcomeCase{"AgentStillTooOld", Installer::Stub, 0, "1.9.0", true, "", "-wait", 0, 1, "agentNotFound", "2.0",
                    "refVersion: (1.9.0)\niniManagerVersion: (2.0)\nCorrect agent cannot be found \n"},
        OutcomeCase{"AgentProgramNotFound", Installer::Stub, 0, "2.0.1", false, "", "-wait", 0, 1, "agentNotFound", "2.0",
                    "agentArglist[0]: (\"${IMAGE}\\agent\\eclipse\\agent.exe\")\n"
                    "Agent program cannot be found: ${IMAGE}\\agent\\eclipse\\agent.exe \n"},
        OutcomeCase{"UserCancelled1602", Installer::Stub, 1602, "2.0.1", true, "", "-wait", 0, 1602, "", "",
                    kSetupCancelled},
        OutcomeCase{"SetupCancelled232", Installer::Stub, 232, "2.0.1", true, "", "-wait", 0, 232, "", "",
                    kSetupCancelled},
        OutcomeCase{"MsiexecCancelled1602", Installer::Msiexec, 1602, "2.0.1", true, "", "-wait", 0, 1602, "", "",
                    kMsiexecCancelled},
        // 232 is a cancellation only from an executable installer.
        OutcomeCase{"Msiexec232IsAnError", Installer::Msiexec, 232, "2.0.1", true, "", "-wait", 0, 232, kFailed, "232",
                    kMsiexecFailed},
        OutcomeCase{"SilentMsiexec232", Installer::Msiexec, 232, "2.0.1", true, "", "-silent", 0, 232, "", "",
                    kMsiexecFailed},
        OutcomeCase{"MsiexecInstallsTheAgent", Installer::Msiexec, 0, "2.0.1", true, "", "-wait", 1, 0, "", "",
                    kAgentStarted},
        // Success with a restart due: the agent starts, and the restart code
        // stands in for its final 0.
        OutcomeCase{"SetupRestartRequired3010", Installer::Stub, 3010, "2.0.1", true, "", "-wait", 1, 3010, "", "",
                    kAgentStarted},
        OutcomeCase{"MsiexecRestartStarted1641", Installer::Msiexec, 1641, "2.0.1", true, "", "-wait", 1, 1641, "", "",
                    kAgentStarted},
        OutcomeCase{"InstallerError1603", Installer::Stub, 1603, "2.0.1", true, "", "-wait", 0, 1603, kFailed, "1603",
                    kSetupFailed},
        OutcomeCase{"SilentInstallerError1603", Installer::Stub, 1603, "2.0.1", true, "", "-silent", 0, 1603, "", "",
                    kSetupFailed},
        OutcomeCase{"InstallerCrashed", Installer::Stub, 0xC0000005u, "2.0.1", true, "", "-wait", 0, kAccessViolation,
                    kFailed, "-1073741819", kSetupFailed},
        OutcomeCase{"InstallerCannotStart", Installer::NotAProgram, 0, "", true, "", "-wait", 0, -1, kFailed, "-1",
                    kSetupFailed}),
    byName);
// clang-format on

// A whole run that installs the agent and starts it, with an INI file
// (expected/install_and_start.ini) that sets the locale, a data location
// with its trailing backslash, and arguments for both children.
TEST(InstallAndStart, TraceOfTheWholeRun) {
    LauncherImage image(withCrLf(readFileBytes(buildFile("expected\\install_and_start.ini"))));
    image.addStub("disk1\\setup.exe", installPlan(image.path("agent"), "2.0.1"));
    image.addStub("agent\\eclipse\\agent.exe");

    const RunResult result = image.launch("-wait -log trace.log");

    EXPECT_EQ(image.readFile("trace.log"), goldenTrace("install_and_start.txt", {{"${IMAGE}", image.dir()}}));
    EXPECT_EQ(image.stubCalls("disk1\\setup.exe"),
              Strings{"\"" + image.path("disk1\\setup.exe") +
                      R"(" /L1031 /v"INSTALLDIR=\"C:\Program Files\Quillmark\" STANDALONE=false )"
                      R"(APPDATALOCATION=\"C:\ProgramData\Quillmark E2E\\"")"});
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"),
              Strings{"\"" + image.path("agent\\eclipse\\agent.exe") +
                      R"(" -dataLocation "C:\ProgramData\Quillmark E2E" -nl de_DE -consoleLog)"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxes, Boxes{});
}

}  // namespace
}  // namespace e2e
