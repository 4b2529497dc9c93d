// launcher-check --explain reads an image the way the launcher does: the
// command lines it prints are the ones the launcher's children receive.
#include <algorithm>
#include <regex>

#include "e2e.h"

namespace e2e {
namespace {

// Returns the "commandLine:" that --explain prints in its section.
std::string explainedCommand(const InstallImage& image, const std::string& section, const std::string& arguments) {
    EXPECT_TRUE(
        runProgram({.application = "C:\\windows\\system32\\cmd.exe",
                    .commandLine = "cmd /c \"\"" + buildFile("src\\check\\launcher-check.exe") + "\" --explain \"" +
                                   image.dir() + "\" " + arguments + " > \"" + image.path("explain.txt") + "\"\""})
            .started);
    std::string text = image.readFile("explain.txt");
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::smatch found;
    const std::regex line("\n" + section + "\n(?:  .*\n)*?  commandLine: (.*)\n");
    EXPECT_TRUE(std::regex_search(text, found, line)) << text;
    return found.size() > 1 ? found[1].str() : std::string();
}

TEST(LauncherCheck, ExplainedCommandLinesAreTheOnesTheChildrenReceive) {
    LauncherImage image("[INSTALLER]\r\nLOCATION=disk 1\\setup.exe\r\nARG=A=1 2\r\n" + agentIni() +
                            "[COMMON]\r\nAPPDATALOCATION=C:\\Data Dir\\\r\n",
                        "QuillmarkSetup.exe");
    image.addStub("agent\\eclipse\\agent.exe");
    image.addStub("disk 1\\setup.exe", installPlan(image.path("agent"), "2.0.1"));
    const std::string arguments = "-silent -nl pt_BR -managerArgs \"x y\" -z";

    const std::string installer = explainedCommand(image, "installer", arguments);
    EXPECT_EQ(image.launch(arguments).exitCode, 0);
    const std::string agent = explainedCommand(image, "agent", arguments);

    EXPECT_EQ(image.stubCalls("disk 1\\setup.exe"), Strings{installer});
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"), Strings{agent});
    EXPECT_NE(installer.find("/S /L1046 /v\"/qn A=\\\"1 2\\\""), std::string::npos) << installer;
}

}  // namespace
}  // namespace e2e
