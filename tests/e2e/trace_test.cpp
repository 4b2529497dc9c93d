// The trace that -log writes, byte for byte.
#include "e2e.h"

namespace e2e {
namespace {

// Every option of the command line. -silent wins over SILENT=no, so no box
// comes up; -isAdmin wins over ISADMIN=false, so the machine's hive is read.
const char* const kEveryOption =
    "-input data/in.xml -appDataLocation \"D:\\qm data\" -nl fr_FR -log trace.log -silent -wait -isAdmin "
    "-licenseAccepted -installerArgs /L1036 \"PROP=a b\" -managerArgs -consoleLog *.xml";

// expected/every_key.ini sets every key, some of them twice (the last one
// wins), with a comment, and names a reference file that must not be read
// while a registry key is named. The whole trace: expected/every_field.txt.
TEST(Trace, EveryFieldOfARunThatFindsNoInstaller) {
    LauncherImage image(withCrLf(readFileBytes(buildFile("expected\\every_key.ini"))));
    image.addStub("setup.exe");
    // Read, this file would lead to an agent; it must not be read.
    image.writeFile("agent.properties", "location=" + replaceAll(image.path("agent"), "\\", "\\\\") + "\r\n");
    image.writeFile("agent\\eclipse\\configuration\\config.ini",
                    "tessa.appDataLocation=" + replaceAll(image.path("data"), "\\", "/") + "\r\n");
    image.writeFile("data\\installed.xml", "<package id='com.norvex.tessa.agent' version='9.0.0'/>\r\n");
    image.writeFile("a.xml", "<a/>\r\n");
    image.writeFile("b.xml", "<b/>\r\n");

    const RunResult result = image.launch(kEveryOption);

    EXPECT_EQ(image.readFile("trace.log"), goldenTrace("every_field.txt", {{"${IMAGE}", image.dir()}}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes, Boxes{});
    EXPECT_EQ(image.stubCalls("setup.exe"), Strings{});
}

// -log names a file that exists: its old content goes, all of it.
TEST(Trace, ReplacesAnExistingFile) {
    InstallImage image;
    image.addLauncher("qmlaunch.exe", "[MANAGER]\r\nVERSION=2.0\r\n");
    std::string old;
    for (int i = 0; i < 200; ++i) old += "an older and longer trace line\r\n";
    image.writeFile("trace.log", old);

    const RunResult result = image.run("qmlaunch.exe", "-log trace.log");

    EXPECT_EQ(image.readFile("trace.log"), goldenTrace("version_only.txt", {{"${FULLPATH}", image.path("qmlaunch.exe")},
                                                                            {"${DIR}", image.dir() + "\\"},
                                                                            {"${LOG}", "trace.log"}}));
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
}  // namespace e2e
