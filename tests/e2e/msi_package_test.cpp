// A real MSI package, built with wixl, installed through Wine's own
// msiexec.exe: the launcher hands it STANDALONE and APPDATALOCATION, the
// package records them and the agent's location in the registry and lays
// down the agent with its config.ini and installed.xml, and the launcher
// then finds the agent and starts it. The package is a 64-bit one: its key
// is in the 64-bit registry view only, which the 32-bit launcher reads after
// its own. Copies of msiexec.exe planted in the image, the working directory
// and on PATH never run.
#include "e2e.h"

namespace e2e {
namespace {

const char* const kPackageKey = "Software\\QuillmarkE2E\\MsiAgent";
const std::string kAgentDir = "C:\\Program Files\\Quillmark Demo Agent";

// The package is not installed while the object lives: removed before and
// after, with what its agent left behind.
struct PackageRemoved {
    PackageRemoved() { remove(); }
    ~PackageRemoved() { remove(); }
    static void remove() {
        runProgram({.application = systemMsiexec(),
                    .commandLine = "msiexec /x \"" + buildFile("e2e_agent.msi") + "\" /q",
                    .timeoutMilliseconds = 120000});
        removeTree(kAgentDir);
        deleteRegistryKey(Hive::LocalMachine, kTestsKey, View::SixtyFourBit);
    }
};

TEST(MsiPackage, InstallsThroughTheSystemsMsiexecAndStartsTheAgent) {
    const PackageRemoved notInstalled;
    ASSERT_FALSE(readRegistryString(Hive::LocalMachine, kPackageKey, "location", View::SixtyFourBit))
        << "the package is still installed";
    InstallImage image;
    const std::string launcher =
        image.addLauncher("qmlaunch.exe",
                          "[INSTALLER]\r\nLOCATION=packages\\agent.msi\r\n"
                          "[MANAGER]\r\nLOCATION_KEY=" +
                              std::string(kPackageKey) + "\r\nVERSION=2.1\r\nLAUNCHER=eclipse\\agent.exe\r\n");
    image.writeFile("packages\\agent.msi", readFileBytes(buildFile("e2e_agent.msi")));
    const Strings planted = {"msiexec.exe", "work\\msiexec.exe", "path\\msiexec.exe"};
    for (const std::string& copy : planted) image.addStub(copy);
    const RunResult result = runProgram(
        {.application = launcher,
         .commandLine = "\"" + launcher + "\" -wait -appDataLocation \"C:\\ProgramData\\Quillmark E2E\" -log \"" +
                        image.path("trace.log") + "\"",
         .currentDirectory = image.path("work"),
         .timeoutMilliseconds = 120000,  // the first msiexec.exe of a fresh prefix takes a while
         .pathPrefix = image.dir() + ";" + image.path("path")});

    EXPECT_EQ(image.readFile("trace.log"),
              goldenTrace("msi_install_and_start.txt", {{"${IMAGE}", image.dir()}, {"${SYSTEM}", systemDirectory()}}));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxes, Boxes{});
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, kPackageKey, "location"), std::nullopt);
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, kPackageKey, "location", View::SixtyFourBit), kAgentDir + "\\");
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, kPackageKey, "standalone", View::SixtyFourBit), "false");
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, kPackageKey, "appDataLocation", View::SixtyFourBit),
              "C:\\ProgramData\\Quillmark E2E");
    const std::string agent = kAgentDir + "\\eclipse\\agent.exe";
    EXPECT_EQ(recordedCalls(agent), Strings{"\"" + agent + "\" -dataLocation \"C:\\ProgramData\\Quillmark E2E\""});
    for (const std::string& copy : planted) EXPECT_EQ(image.stubCalls(copy), Strings{}) << copy;
}

}  // namespace
}  // namespace e2e
