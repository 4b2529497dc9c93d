// launcher-check --explain reads an image the way the launcher does: the
// command lines it prints are the ones the launcher's children receive.
#include <algorithm>
#include <regex>

#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/registry.h"
#include "harness/test_programs.h"

namespace e2e {
namespace {

// Returns the "commandLine:" that --explain prints in its section.
std::string explainedCommand(const InstallImage& image, const std::string& section, const std::string& arguments) {
    const std::string check = buildDirectory() + "\\src\\check\\launcher-check.exe";
    const std::string output = image.path("explain.txt");
    RunSpec spec;
    spec.application = "C:\\windows\\system32\\cmd.exe";
    spec.commandLine = "cmd /c \"\"" + check + "\" --explain \"" + image.dir() + "\" " + arguments + " > \"" + output + "\"\"";
    EXPECT_TRUE(runProgram(spec).started);
    std::string text = image.readFile("explain.txt");
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::smatch found;
    const std::regex line("\n" + section + "\n(?:  .*\n)*?  commandLine: (.*)\n");
    EXPECT_TRUE(std::regex_search(text, found, line)) << text;
    return found.size() > 1 ? found[1].str() : std::string();
}

TEST(LauncherCheck, ExplainedCommandLinesAreTheOnesTheChildrenReceive) {
    const ScratchRegistryKey machineKey(Hive::LocalMachine, kTestsKey);
    InstallImage image;
    image.addLauncher("QuillmarkSetup.exe");
    image.writeFile("QuillmarkSetup.ini", std::string("[INSTALLER]\r\nLOCATION=disk 1\\setup.exe\r\nARG=A=1 2\r\n"
                                                      "[MANAGER]\r\nLOCATION_KEY=") + kAgentKey +
                                              "\r\nVERSION=2.0\r\nLAUNCHER=eclipse\\agent.exe\r\n[COMMON]\r\n"
                                              "APPDATALOCATION=C:\\Data Dir\\\r\n");
    const std::string agentDir = image.path("agent");
    image.addStub("agent\\eclipse\\agent.exe");
    image.addStub("disk 1\\setup.exe");
    StubPlan setup;
    setup.registryValues = {{"HKLM", kAgentKey, "location", agentDir}};
    setup.files = agentFiles(agentDir, "2.0.1");
    image.writePlan("disk 1\\setup.exe", setup);
    const std::string arguments = "-silent -nl pt_BR -managerArgs \"x y\" -z";

    const std::string installer = explainedCommand(image, "installer", arguments);
    const RunResult run = image.run("QuillmarkSetup.exe", arguments);
    EXPECT_EQ(run.exitCode, 0);
    const std::string agent = explainedCommand(image, "agent", arguments);

    EXPECT_EQ(image.stubCalls("disk 1\\setup.exe"), std::vector<std::string>{installer});
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"), std::vector<std::string>{agent});
    EXPECT_NE(installer.find("/S /L1046 /v\"/qn A=\\\"1 2\\\""), std::string::npos) << installer;
}

}  // namespace
}  // namespace e2e
