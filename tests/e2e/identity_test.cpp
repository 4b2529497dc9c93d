// How the launcher finds itself, and with it its INI file, from argument 0
// of its command line.
#include "e2e.h"

namespace e2e {
namespace {

// One way to start the launcher. The image holds bin\qmlaunch.exe with
// bin\qmlaunch.ini; "${IMAGE}" stands for the image folder.
struct StartCase : Case {
    const char* argument0;
    const char* currentDirectory;  ///< relative to the image; empty: the image
    const char* pathPrefix;        ///< put in front of PATH; empty: PATH unchanged
    const char* tracedFullPath;
    const char* tracedDir;
};

class LauncherIdentity : public ::testing::TestWithParam<StartCase> {};

TEST_P(LauncherIdentity, FindsItsIniFileBesideItself) {
    const StartCase& row = GetParam();
    InstallImage image;
    image.writeFile("elsewhere\\readme.txt", "not the launcher's folder\r\n");
    const TraceTokens tokens{{"${IMAGE}", image.dir()}};
    const RunResult result = runProgram(
        {.application = image.addLauncher("bin\\qmlaunch.exe", "[MANAGER]\r\nVERSION=2.0\r\n"),
         .commandLine = withTokens(row.argument0, tokens) + " -log " + image.path("trace.log"),
         .currentDirectory = row.currentDirectory[0] == '\0' ? image.dir() : image.path(row.currentDirectory),
         .pathPrefix = withTokens(row.pathPrefix, tokens)});

    EXPECT_EQ(image.readFile("trace.log"),
              goldenTrace("version_only.txt", {{"${FULLPATH}", withTokens(row.tracedFullPath, tokens)},
                                               {"${DIR}", withTokens(row.tracedDir, tokens)},
                                               {"${LOG}", image.path("trace.log")}}));
    // The INI file was read: its version is in the box.
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes, Boxes{errorBox("agentNotFound", "2.0")});
}

INSTANTIATE_TEST_SUITE_P(, LauncherIdentity,
                         ::testing::Values(StartCase{"FullPath", "\"${IMAGE}\\bin\\qmlaunch.exe\"", "elsewhere", "",
                                                     "${IMAGE}\\bin\\qmlaunch.exe", "${IMAGE}\\bin\\"},
                                           // Typed at a prompt in its own folder: the name alone fails, the
                                           // ".exe" retry finds it through the current directory.
                                           StartCase{"BareNameWithoutExtension", "qmlaunch", "bin", "",
                                                     "${IMAGE}\\bin\\.\\qmlaunch.exe", "${IMAGE}\\bin\\.\\"},
                                           StartCase{"BareNameWithExtension", "qmlaunch.exe", "bin", "",
                                                     "${IMAGE}\\bin\\.\\qmlaunch.exe", "${IMAGE}\\bin\\.\\"},
                                           StartCase{"RelativePathWithoutExtension", "bin\\qmlaunch", "", "",
                                                     "${IMAGE}\\bin\\qmlaunch.exe", "${IMAGE}\\bin\\"},
                                           StartCase{"BareNameFoundOnPath", "qmlaunch", "elsewhere", "${IMAGE}\\bin",
                                                     "${IMAGE}\\bin\\qmlaunch.exe", "${IMAGE}\\bin\\"}),
                         byName);

// Argument 0 names nothing that exists, and the current directory holds no
// launcher: the identity stays empty and the INI path is ".ini".
TEST(LauncherNotFound, IniPathIsDotIni) {
    InstallImage image;
    image.writeFile("elsewhere\\readme.txt", "not the launcher's folder\r\n");
    const RunResult result =
        runProgram({.application = image.addLauncher("bin\\qmlaunch.exe", "[MANAGER]\r\nVERSION=2.0\r\n"),
                    .commandLine = "no-such-launcher -log trace.log",
                    .currentDirectory = image.path("elsewhere")});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes, (Boxes{{"", text("cannotOpenIni", ".ini"), BoxIcon::Error}}));
    // The INI file fails before the command line is read: no trace.
    EXPECT_EQ(directoryEntries(image.path("elsewhere")), Strings{"readme.txt"});
}

}  // namespace
}  // namespace e2e
