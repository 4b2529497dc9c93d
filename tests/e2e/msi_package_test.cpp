// A real MSI package, built with wixl, installed through Wine's own
// msiexec.exe: the launcher hands it STANDALONE and APPDATALOCATION, the
// package records them and the agent's location in the registry and lays
// down the agent with its config.ini and installed.xml, and the launcher
// then finds the agent and starts it. Copies of msiexec.exe planted in the
// image, the working directory and on PATH never run.
#include <windows.h>

#include "expected_traces.h"
#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/registry.h"
#include "harness/system_msiexec.h"
#include "harness/test_programs.h"
#include "harness/text.h"

namespace e2e {
namespace {

const char* const kPackageKey = "Software\\QuillmarkE2E\\MsiAgent";
const char* const kAgentDir = "C:\\Program Files\\Quillmark Demo Agent";

// The package is not installed while the object lives: removed before and
// after, with what its agent left behind.
class PackageRemoved {
public:
    PackageRemoved() { remove(); }
    ~PackageRemoved() { remove(); }
    PackageRemoved(const PackageRemoved&) = delete;
    PackageRemoved& operator=(const PackageRemoved&) = delete;

private:
    static void remove() {
        RunSpec uninstall;
        uninstall.application = systemMsiexec();
        uninstall.commandLine = "msiexec /x \"" + agentPackage() + "\" /q";
        uninstall.timeoutMilliseconds = 120000;
        runProgram(uninstall);
        removeTree(kAgentDir);
        deleteRegistryKey(Hive::LocalMachine, kTestsKey);
    }
};

TEST(MsiPackage, InstallsThroughTheSystemsMsiexecAndStartsTheAgent) {
    const PackageRemoved notInstalled;
    ASSERT_FALSE(readRegistryString(Hive::LocalMachine, kPackageKey, "location")) << "the package is still installed";
    InstallImage image;
    image.addLauncher("qmlaunch.exe");
    image.writeFile("qmlaunch.ini",
                    "[INSTALLER]\r\nLOCATION=packages\\agent.msi\r\n"
                    "[MANAGER]\r\nLOCATION_KEY=Software\\QuillmarkE2E\\MsiAgent\r\nVERSION=2.1\r\n"
                    "LAUNCHER=eclipse\\agent.exe\r\n");
    image.writeFile("packages\\agent.msi", readFileBytes(agentPackage()));
    const std::vector<std::string> planted = {"msiexec.exe", "work\\msiexec.exe", "path\\msiexec.exe"};
    for (const std::string& copy : planted) image.addStub(copy);

    RunSpec spec;
    spec.application = image.path("qmlaunch.exe");
    spec.commandLine = "\"" + spec.application +
                       "\" -wait -appDataLocation \"C:\\ProgramData\\Quillmark E2E\" -log \"" +
                       image.path("trace.log") + "\"";
    spec.currentDirectory = image.path("work");
    char path[32767] = {};
    GetEnvironmentVariableA("PATH", path, sizeof(path));
    spec.environment = {"PATH=" + image.dir() + ";" + image.path("path") + ";" + path};
    // The first msiexec.exe of a fresh prefix takes a while.
    spec.timeoutMilliseconds = 120000;
    const RunResult result = runProgram(spec);

    EXPECT_EQ(image.readFile("trace.log"),
              goldenTrace("msi_install_and_start.txt", {{"${IMAGE}", image.dir()}, {"${SYSTEM}", systemDirectory()}}));
    EXPECT_EQ(result.boxes, std::vector<SeenBox>{});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, kPackageKey, "location"), std::string(kAgentDir) + "\\");
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, kPackageKey, "standalone"), "false");
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, kPackageKey, "appDataLocation"), "C:\\ProgramData\\Quillmark E2E");
    const std::string agent = std::string(kAgentDir) + "\\eclipse\\agent.exe";
    EXPECT_EQ(recordedCalls(agent),
              std::vector<std::string>{"\"" + agent + "\" -dataLocation \"C:\\ProgramData\\Quillmark E2E\""});
    for (const std::string& copy : planted) EXPECT_EQ(image.stubCalls(copy), std::vector<std::string>{}) << copy;
}

}  // namespace
}  // namespace e2e
