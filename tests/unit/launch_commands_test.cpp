#include <gtest/gtest.h>

#include "commands/launch_commands.h"
#include "memory_platform.h"
#include "platform/process_launch.h"

namespace launcher {
namespace {

using Strings = std::vector<std::string>;

struct InstallerCase {
    std::string launcherDir = "C:\\img\\";
    std::string location = "disk1\\setup.exe";
    int silent = 0;
    std::string nl{};
    std::string appData{};
    Strings argArgs{};
    Strings iniArgs{};
    InstallerSettings settings() const {
        return {.launcherDir = launcherDir,
                .iniInstallerLocation = location,
                .isSilent = silent,
                .nl = nl,
                .appDataLocation = appData,
                .argInstallerArgs = argArgs,
                .iniInstallerArgs = iniArgs};
    }
};

std::string installerLine(const InstallerCase& c) {
    LaunchCommands commands;
    buildInstallerCommand(CodePage(), c.settings(), commands);
    return joinArgVector(commands.installerArglist);
}

TEST(InstallerCommand, ExecutableInstaller) {
    const InstallerCase full{.silent = 1,
                             .nl = "de_DE",
                             .appData = "C:\\Data\\Agent",
                             .argArgs = {"INSTALLDIR=C:\\Program Files\\Agent"},
                             .iniArgs = {"IGNORED=1", "IGNORED=2"}};
    LaunchCommands commands;
    buildInstallerCommand(CodePage(), full.settings(), commands);
    EXPECT_EQ(commands.InstallerProgram, "C:\\img\\disk1\\setup.exe");
    EXPECT_EQ(commands.installerArglist.size(), 4u);
    EXPECT_EQ(joinArgVector(commands.installerArglist),
              "\"C:\\img\\disk1\\setup.exe\" /S /L1031 /v\"/qn INSTALLDIR=\\\"C:\\Program Files\\Agent\\\" "
              "STANDALONE=false APPDATALOCATION=\\\"C:\\Data\\Agent\\\"\"");

    EXPECT_EQ(installerLine(InstallerCase{}), "\"C:\\img\\disk1\\setup.exe\" /v\"STANDALONE=false\"");

    const InstallerCase other{
        .location = "..\\up\\.\\AGENT.MSI", .nl = "sv_SE", .appData = "C:\\D\\", .iniArgs = {"A=1", "B"}};
    EXPECT_EQ(installerLine(other),
              "\"C:\\up\\AGENT.MSI\" /L1033 /v\"A=1 B STANDALONE=false APPDATALOCATION=\\\"C:\\D\\\\\"\"");
}

TEST(InstallerCommand, MsiPackageFromTheSystemDirectory) {
    testing::MemoryPlatform platform;
    platform.systemDir = "C:\\WINDOWS\\system32";
    platform.addFile("C:\\work\\.\\msiexec.exe", "");  // planted: never used
    InstallerCase msi{.location = "agent.msi",
                      .silent = 1,
                      .nl = "de_DE",
                      .appData = "C:\\Data\\Agent",
                      .iniArgs = {"TARGETDIR=C:\\Program Files\\Agent", "REBOOT=ReallySuppress"}};
    LaunchCommands commands;
    buildMsiCommand(platform, msi.settings(), commands);
    EXPECT_EQ(commands.InstallerProgram, "C:\\WINDOWS\\system32\\msiexec.exe");
    EXPECT_EQ(commands.installerImage, "C:\\img\\agent.msi");
    EXPECT_EQ(joinArgVector(commands.installerArglist),
              "C:\\WINDOWS\\system32\\msiexec.exe /i \"C:\\img\\agent.msi\" /q \"TARGETDIR=C:\\Program Files\\Agent\" "
              "REBOOT=ReallySuppress STANDALONE=false APPDATALOCATION=\"C:\\Data\\Agent\"");

    platform.systemDir = "C:\\Program Files\\Sys";
    msi = {.location = "disk 1\\agent.msi", .nl = "de_DE"};
    buildMsiCommand(platform, msi.settings(), commands);
    EXPECT_EQ(joinArgVector(commands.installerArglist),
              "C:\\Program Files\\Sys\\msiexec.exe /i \"C:\\img\\disk 1\\agent.msi\" STANDALONE=false");
}

TEST(InstallerCommand, PackageAndRuntimeNames) {
    for (const char* yes : {"agent.msi", "a.msi", "d\\x.msi"}) EXPECT_TRUE(isMsiPackage(yes)) << yes;
    for (const char* no : {".msi", "AGENT.MSI", "agent.Msi", "agent.msix", ""}) EXPECT_FALSE(isMsiPackage(no)) << no;
    for (const char* yes : {"C:\\jre\\bin\\javaw.exe", "C:\\tools\\myjava", "java", "x\\java.exe", "javaw"}) {
        EXPECT_TRUE(isJavaRuntime(CodePage(), yes)) << yes;
    }
    for (const char* no : {"C:\\jre\\bin\\Java.exe", "C:\\jre\\bin\\JAVAW.EXE", "C:\\jre\\bin\\java.bat", "jav"}) {
        EXPECT_FALSE(isJavaRuntime(CodePage(), no)) << no;
    }
}

struct AgentCase {
    std::string refLocation = "C:\\Agent";
    std::string launcher = "eclipse\\agent.exe";
    std::string launcherSilent{};
    int silent = 0;
    int argAdmin = 0;
    std::string iniAdmin{};
    std::string input{};
    std::string appData{};
    std::string nl{};
    Strings argArgs{};
    Strings iniArgs{};
    std::string line() const {
        LaunchCommands commands;
        buildAgentCommand(CodePage(),
                          {.refLocation = refLocation,
                           .iniManagerLauncher = launcher,
                           .iniManagerLauncherSilent = launcherSilent,
                           .isSilent = silent,
                           .argIsUserAdmin = argAdmin,
                           .iniIsAdmin = iniAdmin,
                           .inputFile = input,
                           .appDataLocation = appData,
                           .nl = nl,
                           .argManagerArgs = argArgs,
                           .iniManagerArgs = iniArgs},
                          commands);
        return joinArgVector(commands.agentArglist);
    }
};

TEST(AgentCommand, JavaRuntimeWithEverySetting) {
    const AgentCase c{.refLocation = "C:\\Program Files\\Agent",
                      .launcherSilent = "jre\\bin\\java.exe",
                      .silent = 1,
                      .iniAdmin = "TRUE",
                      .input = "C:\\img\\install.xml",
                      .appData = "C:\\Data\\Agent\\",
                      .nl = "de_DE",
                      .argArgs = {"-record", "C:\\my files\\rec.xml"},
                      .iniArgs = {"-ignored"}};
    EXPECT_EQ(
        c.line(),
        "\"C:\\Program Files\\Agent\\jre\\bin\\java.exe\" -jar \"C:\\Program Files\\Agent\\eclipse\\startup.jar\" "
        "-silent -nosplash -isAdmin -input C:\\img\\install.xml -dataLocation C:\\Data\\Agent -nl de_DE "
        "-record \"C:\\my files\\rec.xml\"");
}

TEST(AgentCommand, ChoicesAndQuoting) {
    struct Row {
        const char* what;
        AgentCase c;
        const char* line;
    };
    const Row rows[] = {
        {"nothing set", AgentCase{}, "\"C:\\Agent\\eclipse\\agent.exe\""},
        {"silent without a silent program", {.silent = 1}, "\"C:\\Agent\\eclipse\\agent.exe\" -silent -nosplash"},
        {"silent program ignored when interactive", {.launcherSilent = "x.exe"}, "\"C:\\Agent\\eclipse\\agent.exe\""},
        {"ISADMIN Yes", {.iniAdmin = "Yes"}, "\"C:\\Agent\\eclipse\\agent.exe\" -isAdmin"},
        {"ISADMIN false", {.iniAdmin = "false"}, "\"C:\\Agent\\eclipse\\agent.exe\""},
        {"-isAdmin", {.argAdmin = 1}, "\"C:\\Agent\\eclipse\\agent.exe\" -isAdmin"},
        {"data location loses one separator",
         {.appData = "C:\\Data\\\\"},
         "\"C:\\Agent\\eclipse\\agent.exe\" -dataLocation C:\\Data\\"},
        {"data location with blank and equals",
         {.appData = "C:\\a=b c/"},
         "\"C:\\Agent\\eclipse\\agent.exe\" -dataLocation C:\\a=\"b c\""},
        {"runtime in capitals is no runtime", {.launcher = "jre\\JAVAW.EXE"}, "\"C:\\Agent\\jre\\JAVAW.EXE\""},
        {"INI arguments wrapped",
         {.iniArgs = {"a b", "c=d e", ""}},
         "\"C:\\Agent\\eclipse\\agent.exe\" \"a b\" \"c=d e\" "},
        {"location with trailing backslash", {.refLocation = "C:\\Agent\\"}, "\"C:\\Agent\\eclipse\\agent.exe\""},
    };
    for (const Row& row : rows) EXPECT_EQ(row.c.line(), row.line) << row.what;
}

TEST(ProgramFile, ResolutionBeforeStart) {
    struct Row {
        const char* path;
        Strings existing;
        const char* resolved;
    };
    const Row rows[] = {
        {"C:\\x\\agent", {"C:\\x\\agent.exe"}, "C:\\x\\agent.exe"},
        {"C:\\x\\agent", {"C:\\x\\agent.exe", "C:\\x\\agent.com"}, "C:\\x\\agent.com"},
        {"C:\\x\\agent", {"C:\\x\\agent"}, ""},
        {"C:\\x.y\\agent", {"C:\\x.y\\agent.cmd"}, "C:\\x.y\\agent.cmd"},
        {"C:\\x\\a.exe", {}, ""},
        {"java.exe", {"java.exe", "C:\\Windows\\java.exe"}, ""},  // only the current directory
        {"java.exe", {".\\java.exe"}, ".\\java.exe"},
        {"C:tool", {"C:tool.bat"}, "C:tool.bat"},
        {"C:/x/tool.v2/run", {"C:/x/tool.v2/run.exe"}, "C:/x/tool.v2/run.exe"},
        // No file name, no search: never .\.exe or C:\x\.cmd.
        {"", {".\\.com", ".\\.exe", ".\\.bat", ".\\.cmd"}, ""},
        {"C:\\x\\", {"C:\\x\\.exe"}, ""},
    };
    for (const Row& row : rows) {
        testing::MemoryPlatform platform;
        for (const std::string& file : row.existing) platform.addFile(file, "");
        EXPECT_EQ(resolveProgramFile(platform, row.path), row.resolved) << row.path;
    }
}

TEST(ProgramFile, StartsWithTheJoinedLine) {
    testing::MemoryPlatform platform;
    platform.addFile("C:\\x\\agent.exe", "");
    platform.exitCodes = {1602, -1};
    EXPECT_EQ(runAndWait(platform, "C:\\x\\agent", {"\"C:\\x\\agent\"", "a b", ""}), 1602);
    EXPECT_EQ(startAndExit(platform, "C:\\x\\agent.exe", {"x"}), StartResult::Failed);
    EXPECT_EQ(runAndWait(platform, "C:\\x\\missing.exe", {"x"}), -1);
    ASSERT_EQ(platform.processes.size(), 2u);
    EXPECT_EQ(platform.processes[0].program, "C:\\x\\agent.exe");
    EXPECT_EQ(platform.processes[0].commandLine, "\"C:\\x\\agent\" a b ");
    EXPECT_FALSE(platform.processes[1].waited);
}

}  // namespace
}  // namespace launcher
