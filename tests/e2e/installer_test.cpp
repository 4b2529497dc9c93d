// The agent is missing: the launcher runs its installer (an executable
// installer, or msiexec.exe for an MSI package), reads the installer's exit
// code, looks for the agent again and starts it. One row per outcome, with
// stub programs as installer, msiexec.exe and agent.
#include <optional>

#include "expected_texts.h"
#include "expected_traces.h"
#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/registry.h"
#include "harness/system_msiexec.h"
#include "harness/text.h"

namespace e2e {
namespace {

enum class Installer {
    Stub,              ///< the stub at the INI location
    Msiexec,           ///< the stub as the system's msiexec.exe, and a package file
    MsiexecNoPackage,  ///< the same without the package file
    NotAProgram,       ///< a text file at the INI location
    Missing,           ///< nothing at the INI location
};

struct OutcomeCase {
    const char* name;
    Installer installer;
    const char* location;  ///< LOCATION of [INSTALLER]
    std::uint32_t installerExit;
    const char* installsVersion;  ///< the agent version the installer lays down; "": none
    bool agentProgram;            ///< eclipse\agent.exe is there
    std::vector<std::uint32_t> agentExits;
    const char* arguments;
    const char* installerCall;  ///< nullptr: the installer never runs
    std::size_t agentRuns;
    const char* agentCall;
    std::int32_t exitCode;
    int box;  ///< message id; 0: no box
    const char* boxArgument;
    const char* traceEnd;
};

void PrintTo(const OutcomeCase& row, std::ostream* out) { *out << row.name; }

SeenBox errorBox(int message, const std::string& argument) {
    const LanguageTexts& texts = englishTexts();
    const char* format = message == 2011   ? texts.agentNotFound
                         : message == 2013 ? kEnglishInstallerNotFound
                                           : kEnglishInstallerFailed;
    return {texts.errorTitle, fill(format, argument), BoxIcon::Error};
}

class InstallOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(InstallOutcome, ExitCodeBoxTraceAndChildren) {
    const OutcomeCase& row = GetParam();
    ASSERT_EQ(userLanguage(), 1033) << "the installer cases expect English boxes";
    const ScratchRegistryKey machineKey(Hive::LocalMachine, kTestsKey);
    InstallImage image;
    image.addLauncher("qmlaunch.exe");
    image.writeFile("qmlaunch.ini", std::string("[INSTALLER]\r\nLOCATION=") + row.location +
                                        "\r\n[MANAGER]\r\nLOCATION_KEY=" + kAgentKey +
                                        "\r\nVERSION=2.0\r\nLAUNCHER=eclipse\\agent.exe\r\n");
    const std::string agentDir = image.path("agent");
    if (row.agentProgram) {
        image.addStub("agent\\eclipse\\agent.exe");
        StubPlan agent;
        agent.exitCodes = row.agentExits;
        image.writePlan("agent\\eclipse\\agent.exe", agent);
    }
    StubPlan setup;
    setup.exitCodes = {row.installerExit};
    if (row.installsVersion[0] != '\0') {
        setup.registryValues = {{"HKLM", kAgentKey, "location", agentDir}};
        setup.files = agentFiles(agentDir, row.installsVersion);
    }
    std::optional<StubbedSystemMsiexec> msiexec;
    switch (row.installer) {
        case Installer::Stub:
            image.addStub(row.location);
            image.writePlan(row.location, setup);
            break;
        case Installer::Msiexec:
            image.writeFile(row.location, "a package that only the real msiexec.exe would open\r\n");
            msiexec.emplace(setup);
            break;
        case Installer::MsiexecNoPackage:
            msiexec.emplace(setup);
            break;
        case Installer::NotAProgram:
            image.writeFile(row.location, "this is not a program\r\n");
            break;
        case Installer::Missing:
            break;
    }

    const RunResult result = image.run("qmlaunch.exe", std::string(row.arguments) + " -log trace.log");

    const TraceTokens tokens{
        {"${IMAGE}", image.dir()}, {"${SYSTEM}", systemDirectory()}, {"${RC}", std::to_string(row.exitCode)}};
    const auto expanded = [&](const char* text) { return withTokens(text, tokens); };
    EXPECT_EQ(result.exitCode, row.exitCode);
    EXPECT_EQ(result.boxes, row.box == 0 ? std::vector<SeenBox>{}
                                         : std::vector<SeenBox>{errorBox(row.box, expanded(row.boxArgument))});
    EXPECT_TRUE(traceEndsWith(image.readFile("trace.log"), row.traceEnd, tokens));
    const std::vector<std::string> installerCalls = row.installerCall == nullptr
                                                        ? std::vector<std::string>{}
                                                        : std::vector<std::string>{expanded(row.installerCall)};
    const std::vector<std::string> recorded = msiexec                            ? msiexec->calls()
                                              : row.installer == Installer::Stub ? image.stubCalls(row.location)
                                                                                 : std::vector<std::string>{};
    EXPECT_EQ(recorded, installerCalls);
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"),
              std::vector<std::string>(row.agentRuns, expanded(row.agentCall)));
}

const char* const kSetupCall = R"("${IMAGE}\setup.exe" /v"STANDALONE=false")";
const char* const kSilentSetupCall = R"("${IMAGE}\setup.exe" /S /v"/qn STANDALONE=false")";
const char* const kMsiexecCall = R"(${SYSTEM}\msiexec.exe /i "${IMAGE}\agent.msi" STANDALONE=false)";
const char* const kSilentMsiexecCall = R"(${SYSTEM}\msiexec.exe /i "${IMAGE}\agent.msi" /q STANDALONE=false)";
const char* const kAgentCall = R"("${IMAGE}\agent\eclipse\agent.exe")";
const char* const kSilentAgentCall = R"("${IMAGE}\agent\eclipse\agent.exe" -silent -nosplash)";

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

constexpr std::int32_t kAccessViolation = static_cast<std::int32_t>(0xC0000005u);

// name, installer, location, its exit code, version it installs, agent
// program there, agent's exit codes, arguments, installer call, agent runs,
// agent call, exit code, box, box argument, end of the trace.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    , InstallOutcome,
    ::testing::Values(
        OutcomeCase{"AgentStarted", Installer::Stub, "setup.exe", 0, "2.0.1", true, {}, "-wait", kSetupCall, 1,
                    kAgentCall, 0, 0, "", kAgentStarted},
        OutcomeCase{"AgentRestartedWhileItExits23", Installer::Stub, "setup.exe", 0, "2.0.1", true, {23, 23, 23, 0},
                    "-wait", kSetupCall, 4, kAgentCall, 0, 0, "", kAgentStarted},
        OutcomeCase{"AgentsLastExitCode", Installer::Stub, "setup.exe", 0, "2.0.1", true, {23, 0xC0000005u}, "-wait",
                    kSetupCall, 2, kAgentCall, kAccessViolation, 0, "", kAgentStarted},
        // Silent operation waits for the agent without -wait.
        OutcomeCase{"SilentRunWaitsForTheAgent", Installer::Stub, "setup.exe", 0, "2.0.1", true, {5}, "-silent",
                    kSilentSetupCall, 1, kSilentAgentCall, 5, 0, "", kSilentAgentStarted},
        OutcomeCase{"InstallerNotFound", Installer::Missing, "disk1\\setup.exe", 0, "", true, {}, "-wait", nullptr, 0,
                    kAgentCall, 1, 2013, "${IMAGE}\\disk1\\setup.exe",
                    "Installer does not exist: ${IMAGE}\\disk1\\setup.exe\n"},
        OutcomeCase{"SilentInstallerNotFound", Installer::Missing, "disk1\\setup.exe", 0, "", true, {}, "-silent",
                    nullptr, 0, kAgentCall, 1, 0, "", "Installer does not exist: ${IMAGE}\\disk1\\setup.exe\n"},
        OutcomeCase{"MsiPackageNotFound", Installer::MsiexecNoPackage, "agent.msi", 0, "", true, {}, "-wait", nullptr,
                    0, kAgentCall, 1, 2013, "${IMAGE}\\agent.msi",
                    "MSI installer image is not found: ${IMAGE}\\agent.msi\n"},
        OutcomeCase{"AgentStillTooOld", Installer::Stub, "setup.exe", 0, "1.9.0", true, {}, "-wait", kSetupCall, 0,
                    kAgentCall, 1, 2011, "2.0",
                    "refVersion: (1.9.0)\niniManagerVersion: (2.0)\nCorrect agent cannot be found \n"},
        OutcomeCase{"AgentProgramNotFound", Installer::Stub, "setup.exe", 0, "2.0.1", false, {}, "-wait", kSetupCall,
                    0, kAgentCall, 1, 2011, "2.0",
                    "agentArglist[0]: (\"${IMAGE}\\agent\\eclipse\\agent.exe\")\n"
                    "Agent program cannot be found: ${IMAGE}\\agent\\eclipse\\agent.exe \n"},
        OutcomeCase{"UserCancelled1602", Installer::Stub, "setup.exe", 1602, "2.0.1", true, {}, "-wait", kSetupCall,
                    0, kAgentCall, 1602, 0, "", kSetupCancelled},
        OutcomeCase{"SetupCancelled232", Installer::Stub, "setup.exe", 232, "2.0.1", true, {}, "-wait", kSetupCall, 0,
                    kAgentCall, 232, 0, "", kSetupCancelled},
        OutcomeCase{"MsiexecCancelled1602", Installer::Msiexec, "agent.msi", 1602, "2.0.1", true, {}, "-wait",
                    kMsiexecCall, 0, kAgentCall, 1602, 0, "", kMsiexecCancelled},
        // 232 is a cancellation only from an executable installer.
        OutcomeCase{"Msiexec232IsAnError", Installer::Msiexec, "agent.msi", 232, "2.0.1", true, {}, "-wait",
                    kMsiexecCall, 0, kAgentCall, 232, 2015, "232", kMsiexecFailed},
        OutcomeCase{"SilentMsiexec232", Installer::Msiexec, "agent.msi", 232, "2.0.1", true, {}, "-silent",
                    kSilentMsiexecCall, 0, kAgentCall, 232, 0, "", kMsiexecFailed},
        OutcomeCase{"MsiexecInstallsTheAgent", Installer::Msiexec, "agent.msi", 0, "2.0.1", true, {}, "-wait",
                    kMsiexecCall, 1, kAgentCall, 0, 0, "", kAgentStarted},
        OutcomeCase{"InstallerError1603", Installer::Stub, "setup.exe", 1603, "2.0.1", true, {}, "-wait", kSetupCall,
                    0, kAgentCall, 1603, 2015, "1603", kSetupFailed},
        OutcomeCase{"SilentInstallerError1603", Installer::Stub, "setup.exe", 1603, "2.0.1", true, {}, "-silent",
                    kSilentSetupCall, 0, kAgentCall, 1603, 0, "", kSetupFailed},
        OutcomeCase{"InstallerCrashed", Installer::Stub, "setup.exe", 0xC0000005u, "2.0.1", true, {}, "-wait",
                    kSetupCall, 0, kAgentCall, kAccessViolation, 2015, "-1073741819", kSetupFailed},
        OutcomeCase{"InstallerCannotStart", Installer::NotAProgram, "setup.exe", 0, "", true, {}, "-wait", nullptr, 0,
                    kAgentCall, -1, 2015, "-1", kSetupFailed}),
    [](const ::testing::TestParamInfo<OutcomeCase>& row) { return std::string(row.param.name); });
// clang-format on

// A whole run that installs the agent and starts it, with an INI file that
// sets the locale, a data location with its trailing backslash, and
// arguments for both children.
TEST(InstallAndStart, TraceOfTheWholeRun) {
    const ScratchRegistryKey machineKey(Hive::LocalMachine, kTestsKey);
    InstallImage image;
    image.addLauncher("qmlaunch.exe");
    image.writeFile("qmlaunch.ini",
                    "[INSTALLER]\r\n"
                    "LOCATION=disk1\\setup.exe\r\n"
                    "ARG=INSTALLDIR=C:\\Program Files\\Quillmark\r\n"
                    "[MANAGER]\r\n"
                    "LOCATION_KEY=Software\\QuillmarkE2E\\Agent\r\n"
                    "VERSION=2.0\r\n"
                    "LAUNCHER=eclipse\\agent.exe\r\n"
                    "ARG=-consoleLog\r\n"
                    "[COMMON]\r\n"
                    "APPDATALOCATION=C:\\ProgramData\\Quillmark E2E\\\r\n"
                    "NL=de_DE\r\n");
    image.addStub("disk1\\setup.exe");
    StubPlan setup;
    setup.registryValues = {{"HKLM", kAgentKey, "location", image.path("agent")}};
    setup.files = agentFiles(image.path("agent"), "2.0.1");
    image.writePlan("disk1\\setup.exe", setup);
    image.addStub("agent\\eclipse\\agent.exe");

    const RunResult result = image.run("qmlaunch.exe", "-wait -log trace.log");

    EXPECT_EQ(image.readFile("trace.log"), goldenTrace("install_and_start.txt", {{"${IMAGE}", image.dir()}}));
    EXPECT_EQ(image.stubCalls("disk1\\setup.exe"),
              std::vector<std::string>{"\"" + image.path("disk1\\setup.exe") +
                                       R"(" /L1031 /v"INSTALLDIR=\"C:\Program Files\Quillmark\" STANDALONE=false )"
                                       R"(APPDATALOCATION=\"C:\ProgramData\Quillmark E2E\\"")"});
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"),
              std::vector<std::string>{"\"" + image.path("agent\\eclipse\\agent.exe") +
                                       R"(" -dataLocation "C:\ProgramData\Quillmark E2E" -nl de_DE -consoleLog)"});
    EXPECT_EQ(result.boxes, std::vector<SeenBox>{});
    EXPECT_EQ(result.exitCode, 0);
}

}  // namespace
}  // namespace e2e
