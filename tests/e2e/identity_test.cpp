// How the launcher finds itself, and with it its INI file, from argument 0
// of its command line.
#include <windows.h>

#include "expected_texts.h"
#include "expected_traces.h"
#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/text.h"

namespace e2e {
namespace {

// One way to start the launcher. The image holds bin\qmlaunch.exe with
// bin\qmlaunch.ini; "<DIR>" stands for the image folder.
struct StartCase {
    const char* name;
    const char* argument0;
    const char* currentDirectory;  ///< relative to the image; empty: the image
    const char* pathPrefix;        ///< put in front of PATH; empty: PATH unchanged
    const char* tracedFullPath;
    const char* tracedDir;
};

void PrintTo(const StartCase& row, std::ostream* out) { *out << row.name; }

class LauncherIdentity : public ::testing::TestWithParam<StartCase> {};

TEST_P(LauncherIdentity, FindsItsIniFileBesideItself) {
    const StartCase& row = GetParam();
    InstallImage image;
    const std::string launcher = image.addLauncher("bin\\qmlaunch.exe");
    image.writeFile("bin\\qmlaunch.ini", kVersionOnlyIni);
    image.writeFile("elsewhere\\readme.txt", "not the launcher's folder\r\n");

    RunSpec spec;
    spec.application = launcher;
    spec.commandLine = replaceAll(row.argument0, "<DIR>", image.dir()) + " -log " + image.path("trace.log");
    spec.currentDirectory = row.currentDirectory[0] == '\0' ? image.dir() : image.path(row.currentDirectory);
    if (row.pathPrefix[0] != '\0') {
        char path[32767] = {};
        GetEnvironmentVariableA("PATH", path, sizeof(path));
        spec.environment.push_back("PATH=" + replaceAll(row.pathPrefix, "<DIR>", image.dir()) + ";" + path);
    }
    const RunResult result = runProgram(spec);

    const TracedIdentity identity{replaceAll(row.tracedFullPath, "<DIR>", image.dir()),
                                  replaceAll(row.tracedDir, "<DIR>", image.dir()), "qmlaunch.exe", "qmlaunch"};
    EXPECT_EQ(image.readFile("trace.log"), versionOnlyTrace(identity, image.path("trace.log")));
    // The INI file was read: its version is in the box.
    const LanguageTexts& texts = textsFor(userLanguage());
    EXPECT_EQ(result.boxes, (std::vector<SeenBox>{{texts.errorTitle, fill(texts.agentNotFound, "2.0"), BoxIcon::Error}}));
    EXPECT_EQ(result.exitCode, 1);
}

INSTANTIATE_TEST_SUITE_P(
    , LauncherIdentity,
    ::testing::Values(
        StartCase{"FullPath", "\"<DIR>\\bin\\qmlaunch.exe\"", "elsewhere", "", "<DIR>\\bin\\qmlaunch.exe",
                  "<DIR>\\bin\\"},
        // Typed at a prompt in its own folder: the name alone fails, the
        // ".exe" retry finds it through the current directory.
        StartCase{"BareNameWithoutExtension", "qmlaunch", "bin", "", "<DIR>\\bin\\.\\qmlaunch.exe",
                  "<DIR>\\bin\\.\\"},
        StartCase{"BareNameWithExtension", "qmlaunch.exe", "bin", "", "<DIR>\\bin\\.\\qmlaunch.exe",
                  "<DIR>\\bin\\.\\"},
        StartCase{"RelativePathWithoutExtension", "bin\\qmlaunch", "", "", "<DIR>\\bin\\qmlaunch.exe",
                  "<DIR>\\bin\\"},
        StartCase{"BareNameFoundOnPath", "qmlaunch", "elsewhere", "<DIR>\\bin", "<DIR>\\bin\\qmlaunch.exe",
                  "<DIR>\\bin\\"}),
    [](const ::testing::TestParamInfo<StartCase>& start) { return std::string(start.param.name); });

// Argument 0 names nothing that exists, and the current directory holds no
// launcher: the identity stays empty and the INI path is ".ini".
TEST(LauncherNotFound, IniPathIsDotIni) {
    InstallImage image;
    const std::string launcher = image.addLauncher("bin\\qmlaunch.exe");
    image.writeFile("bin\\qmlaunch.ini", kVersionOnlyIni);
    image.writeFile("elsewhere\\readme.txt", "not the launcher's folder\r\n");

    RunSpec spec;
    spec.application = launcher;
    spec.commandLine = "no-such-launcher -log trace.log";
    spec.currentDirectory = image.path("elsewhere");
    const RunResult result = runProgram(spec);

    const LanguageTexts& texts = textsFor(userLanguage());
    EXPECT_EQ(result.boxes, (std::vector<SeenBox>{{"", fill(texts.cannotOpenIni, ".ini"), BoxIcon::Error}}));
    EXPECT_EQ(result.exitCode, 1);
    // The INI file fails before the command line is read: no trace.
    EXPECT_EQ(directoryEntries(image.path("elsewhere")), std::vector<std::string>{"readme.txt"});
}

}  // namespace
}  // namespace e2e
