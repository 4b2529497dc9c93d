// A real MSI package (e2e_agent.msi, built with wixl) installed through the
// system's own msiexec.exe: the launcher hands it STANDALONE and
// APPDATALOCATION, the package records them and the agent's location in the
// registry and lays the agent down, and the launcher then finds the agent and
// starts it. A 64-bit package: its key is in the 64-bit registry view only,
// where the 32-bit launcher looks after its own. Copies of msiexec.exe in the
// image and in the working directory never run.
#include "e2e.h"

namespace e2e {
namespace {

const char* const kPackageKey = "Software\\QuillmarkE2E\\MsiAgent";
const std::string kAgentDir = "C:\\Program Files\\Quillmark Demo Agent";

std::string systemDirectory() {
    char directory[MAX_PATH] = {};
    return std::string(directory, GetSystemDirectoryA(directory, MAX_PATH));
}

// Removes the package, and with it its key and what its agent left behind.
void removePackage() {
    runProgram(systemDirectory() + "\\msiexec.exe", "msiexec /x \"" + buildFile("e2e_agent.msi") + "\" /q", "C:\\");
    std::error_code ignored;
    std::filesystem::remove_all(widePath(kAgentDir), ignored);
}

TEST(MsiPackage, InstallsThroughTheSystemsMsiexecAndStartsTheAgent) {
    removePackage();
    ASSERT_EQ(readRegistryString(kPackageKey, "location", View::SixtyFourBit), std::nullopt);
    Image image;
    image.addLauncher("qmlaunch.exe", "[INSTALLER]\r\nLOCATION=packages\\agent.msi\r\n[MANAGER]\r\nLOCATION_KEY=" +
                                          std::string(kPackageKey) +
                                          "\r\nVERSION=2.1\r\nLAUNCHER=eclipse\\agent.exe\r\n");
    image.writeFile("packages\\agent.msi", readFile(buildFile("e2e_agent.msi")));
    image.addStub("msiexec.exe");
    image.addStub("work\\msiexec.exe");

    const RunResult run = runProgram(image.path("qmlaunch.exe"),
                                     "\"" + image.path("qmlaunch.exe") +
                                         "\" -wait -appDataLocation \"C:\\ProgramData\\Quillmark E2E\" -log \"" +
                                         image.path("trace.log") + "\"",
                                     image.path("work"));

    // The whole trace, byte for byte (expected/: LF line ends, tokens for the folders).
    const std::string golden = readFile(buildFile("expected\\msi_install_and_start.txt"));
    EXPECT_EQ(readFile(image.path("trace.log")),
              replaceAll(replaceAll(replaceAll(golden, "${IMAGE}", image.dir), "${SYSTEM}", systemDirectory()), "\n",
                         "\r\n"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.boxes, Strings{});
    EXPECT_EQ(readRegistryString(kPackageKey, "location", View::Own), std::nullopt);
    EXPECT_EQ(readRegistryString(kPackageKey, "location", View::SixtyFourBit), kAgentDir + "\\");
    EXPECT_EQ(readRegistryString(kPackageKey, "standalone", View::SixtyFourBit), "false");
    EXPECT_EQ(readRegistryString(kPackageKey, "appDataLocation", View::SixtyFourBit), "C:\\ProgramData\\Quillmark E2E");
    const std::string agent = kAgentDir + "\\eclipse\\agent.exe";
    EXPECT_EQ(readBytes(stubBase(agent) + ".calls"),
              "\"" + agent + "\" -dataLocation \"C:\\ProgramData\\Quillmark E2E\"\n");
    EXPECT_EQ(image.calls("msiexec.exe"), Strings{});
    EXPECT_EQ(image.calls("work\\msiexec.exe"), Strings{});
    removePackage();
}

}  // namespace
}  // namespace e2e
