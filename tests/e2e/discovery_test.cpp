// How the launcher finds the installed agent: the registry hive and the
// application-data folder that administrator mode selects, the reference
// file beside the launcher, the agent's own config.ini and installed.xml,
// the version the agent must reach, and what each mode says when it is too
// old and no installer is configured.
#include <windows.h>
#include <shlobj.h>

#include "e2e.h"

namespace e2e {
namespace {

std::string specialFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

// The QuillmarkE2E folders that tests put into the user's and the
// all-users application data; gone before and after.
struct AppDataFolders {
    const std::string user = specialFolder(CSIDL_APPDATA) + "\\QuillmarkE2E";
    const std::string common = specialFolder(CSIDL_COMMON_APPDATA) + "\\QuillmarkE2E";
    AppDataFolders() { clear(); }
    ~AppDataFolders() { clear(); }
    void clear() const {
        removeTree(user);
        removeTree(common);
    }
};

// The part of a trace from block 5 (the lookup) to the end of block 6.
std::string lookupBlocks(const std::string& trace) {
    const std::size_t from = trace.find("\r\nGet Installed Agent Info\r\n");
    const std::size_t to = trace.find("\r\nCommand to launch agent\r\n");
    if (from == std::string::npos || to == std::string::npos || to < from) return trace;
    return trace.substr(from, to - from);
}

// Every source names an agent: the one of the row names image\agent
// (2.1.0), all others image\decoy (2.2.0), so a wrong choice shows.
enum class Source { UserHive, MachineHive, UserAppData, CommonAppData, LauncherDir };

struct DiscoveryCase : Case {
    bool keyNamed;             ///< LOCATION_KEY names the agent's key
    const char* locationFile;  ///< LOCATION_FILE, when not empty
    const char* common;        ///< the [COMMON] section's lines
    const char* arguments;
    Source agentAt;
    const char* isUserAdmin;  ///< as the trace shows it
    const char* refFile;      ///< the expanded reference file, with tokens
    const char* agentTail;    ///< what the agent gets after its program
};

class Discovery : public ::testing::TestWithParam<DiscoveryCase> {};

TEST_P(Discovery, FindsTheAgentWhereTheModeSays) {
    const DiscoveryCase& row = GetParam();
    const AppDataFolders appData;
    const std::string locationFile = row.locationFile;
    LauncherImage image(std::string("[MANAGER]\r\n") +
                            (row.keyNamed ? "LOCATION_KEY=" + std::string(kAgentKey) + "\r\n" : "") +
                            (locationFile.empty() ? "" : "LOCATION_FILE=" + locationFile + "\r\n") +
                            "VERSION=2.0\r\nLAUNCHER=eclipse\\agent.exe\r\n[COMMON]\r\n" + row.common,
                        "bin\\qmlaunch.exe");
    const std::string agent = image.addAgent("agent", "2.1.0");
    const std::string decoy = image.addAgent("decoy", "2.2.0");
    const auto target = [&](Source source) { return source == row.agentAt ? agent : decoy; };
    image.registerAgent(target(Source::UserHive), Hive::CurrentUser);
    image.registerAgent(target(Source::MachineHive));
    writeFileBytes(appData.user + "\\agent.properties", "location=" + target(Source::UserAppData) + "\r\n");
    writeFileBytes(appData.common + "\\agent.properties", "location=" + target(Source::CommonAppData) + "\r\n");
    image.writeFile("bin\\agent.properties", "location=" + target(Source::LauncherDir) + "\r\n");
    // The working directory is not the launcher's.
    image.writeFile("agent.properties", "location=" + decoy + "\r\n");

    const RunResult result = image.launch(std::string("-wait -log trace.log ") + row.arguments);

    // In this order: the row's reference file holds tokens of its own.
    const TraceTokens tokens{{"${REF_FILE}", row.refFile},          {"${LOCATION_FILE}", locationFile},
                             {"${IS_USER_ADMIN}", row.isUserAdmin}, {"${IMAGE}", image.dir()},
                             {"${USER_APPDATA}", appData.user},     {"${COMMON_APPDATA}", appData.common}};
    const char* golden = row.keyNamed ? "discovery_registry.txt" : "discovery_reference_file.txt";
    EXPECT_EQ(lookupBlocks(image.readFile("trace.log")), goldenTrace(golden, tokens));
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"),
              Strings{"\"" + agent + "\\eclipse\\agent.exe\"" + row.agentTail});
    EXPECT_EQ(image.stubCalls("decoy\\eclipse\\agent.exe"), Strings{});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxes, Boxes{});
}

const char* const kAppDataFile = "<APPDATA>\\QuillmarkE2E\\agent.properties";

INSTANTIATE_TEST_SUITE_P(
    , Discovery,
    ::testing::Values(
        DiscoveryCase{"UserHiveWhenNotAdministrator", true, "", "ISADMIN=no\r\n", "", Source::UserHive, "0", "", ""},
        // Wine runs the tests as an administrator: IsUserAnAdmin() is 1.
        DiscoveryCase{"MachineHiveForAnAdministrator", true, "", "", "", Source::MachineHive, "1", "", ""},
        // -isAdmin wins over ISADMIN=no, and is passed on to the agent.
        DiscoveryCase{"MachineHiveByOption", true, "", "ISADMIN=no\r\n", "-isAdmin", Source::MachineHive, "1", "",
                      " -isAdmin"},
        // A named key hides the reference file.
        DiscoveryCase{"KeyHidesTheReferenceFile", true, "<CURRDIR>\\agent.properties", "ISADMIN=no\r\n", "",
                      Source::UserHive, "0", "", ""},
        DiscoveryCase{"UserAppDataWhenNotAdministrator", false, kAppDataFile, "ISADMIN=no\r\n", "", Source::UserAppData,
                      "0", "${USER_APPDATA}\\agent.properties", ""},
        DiscoveryCase{"CommonAppDataForAnAdministrator", false, kAppDataFile, "", "", Source::CommonAppData, "1",
                      "${COMMON_APPDATA}\\agent.properties", ""},
        DiscoveryCase{"CommonAppDataByOption", false, kAppDataFile, "ISADMIN=no\r\n", "-isAdmin", Source::CommonAppData,
                      "1", "${COMMON_APPDATA}\\agent.properties", " -isAdmin"},
        // <CURRDIR> is the launcher's folder with its backslash: two in a row.
        DiscoveryCase{"LauncherDirWithDoubleBackslash", false, "<CURRDIR>\\agent.properties", "ISADMIN=no\r\n", "",
                      Source::LauncherDir, "0", "${IMAGE}\\bin\\\\agent.properties", ""}),
    byName);

// A 32-bit launcher on 64-bit Windows: its own registry view (WOW6432Node)
// first, then the 64-bit view of the same hive when the key or its value is
// missing there. An expandable value is expanded; in a value of the 64-bit
// view, %ProgramFiles% is the 64-bit folder, as its package meant it.
struct ViewCase : Case {
    const char* own;        ///< "location" in the launcher's own view; nullptr: no key
    const char* sixtyFour;  ///< "location" in the 64-bit view; nullptr: no key
    bool expandable;        ///< written as REG_EXPAND_SZ rather than REG_SZ
    bool inProgramFiles;    ///< the agents lie in the Program Files folders, not the image
};

class RegistryView : public ::testing::TestWithParam<ViewCase> {};

std::string environment(const char* name) {
    char value[MAX_PATH] = {};
    GetEnvironmentVariableA(name, value, MAX_PATH);
    return value;
}

TEST_P(RegistryView, FindsTheAgentInTheRightView) {
    const ViewCase& row = GetParam();
    LauncherImage image(agentIni());
    // The agent in the 64-bit Program Files, a decoy in the 32-bit one.
    const std::string programFiles64 = environment("ProgramW6432") + "\\QuillmarkE2E";
    const std::string programFiles32 = environment("ProgramFiles") + "\\QuillmarkE2E";
    const std::string root = row.inProgramFiles ? programFiles64 : image.dir();
    const std::string decoyRoot = row.inProgramFiles ? programFiles32 : image.path("other");
    for (const std::string& folder : {programFiles64, programFiles32}) removeTree(folder);
    for (const auto& [folder, version] : {std::pair(root, "2.1.0"), std::pair(decoyRoot, "2.2.0")}) {
        for (const PlannedFile& file : agentFiles(folder + "\\agent", version)) writeFileBytes(file.path, file.content);
        CopyFileA(buildFile("stub_program.exe").c_str(), (folder + "\\agent\\eclipse\\agent.exe").c_str(), FALSE);
    }
    const TraceTokens tokens{{"${IMAGE}", image.dir()}, {"${OTHER}", decoyRoot}, {"${DRIVE}", image.dir().substr(2)}};
    const auto write = [&](const char* location, View view) {
        if (location == nullptr) return;
        const std::string text = withTokens(location, tokens);
        setRegistryValue(Hive::LocalMachine, kAgentKey, "location", row.expandable ? REG_EXPAND_SZ : REG_SZ,
                         std::string(text.c_str(), text.size() + 1), view);
    };
    write(row.own, View::Own);
    write(row.sixtyFour, View::SixtyFourBit);
    // The two views are apart: what one was given, the other does not show.
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, kAgentKey, "location").has_value(), row.own != nullptr);

    const RunResult result = image.launch("-wait -log trace.log");

    // ISADMIN is empty: the machine hive, because the user holds the
    // Administrators group; under Wine as root the shell says so too.
    EXPECT_TRUE(IsUserAnAdmin());
    EXPECT_EQ(lookupBlocks(image.readFile("trace.log")),
              goldenTrace("discovery_registry.txt",
                          {{"${LOCATION_FILE}", ""}, {"${IS_USER_ADMIN}", "1"}, {"${IMAGE}", root}}));
    const std::string agent = root + "\\agent\\eclipse\\agent.exe";
    EXPECT_EQ(recordedCalls(agent), Strings{"\"" + agent + "\""});
    EXPECT_EQ(recordedCalls(decoyRoot + "\\agent\\eclipse\\agent.exe"), Strings{});
    EXPECT_EQ(result.exitCode, 0);
    for (const std::string& folder : {programFiles64, programFiles32}) removeTree(folder);
}

INSTANTIATE_TEST_SUITE_P(
    , RegistryView,
    ::testing::Values(ViewCase{"OnlyTheSixtyFourBitView", nullptr, "${IMAGE}\\agent", false, false},
                      ViewCase{"OwnViewFirst", "${IMAGE}\\agent", "${OTHER}\\agent", false, false},
                      ViewCase{"ExpandableValue", "%SystemDrive%${DRIVE}\\agent", nullptr, true, false},
                      ViewCase{"SixtyFourBitProgramFiles", nullptr, "%ProgramFiles%\\QuillmarkE2E\\agent", true, true}),
    byName);

// The installed version against the required one: recent enough starts
// the agent, too old ends at "no installer configured".
struct VersionCase : Case {
    const char* installed;
    const char* required;
    bool started;
};

class InstalledVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(InstalledVersion, DecidesWhetherTheAgentStarts) {
    const VersionCase& row = GetParam();
    LauncherImage image(agentIni(row.required));
    image.registerAgent(image.addAgent("agent", row.installed));

    const RunResult result = image.launch("-wait -log trace.log");

    EXPECT_NE(image.readFile("trace.log")
                  .find(withCrLf("\nExpected Agent Info\n" + std::string(54, '=') + "\nrefVersion: (" + row.installed +
                                 ")\niniManagerVersion: (" + row.required + ")\n")),
              std::string::npos);
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"),
              row.started ? Strings{"\"" + image.path("agent\\eclipse\\agent.exe") + "\""} : Strings{});
    EXPECT_EQ(result.exitCode, row.started ? 0 : 1);
    EXPECT_EQ(result.boxes, row.started ? Boxes{} : Boxes{errorBox("agentNotFound", row.required)});
}

INSTANTIATE_TEST_SUITE_P(, InstalledVersion,
                         ::testing::Values(VersionCase{"BetaBelowTheRelease", "2.0.0.beta", "2.0.0", false},
                                           VersionCase{"NewerThanRequired", "2.0.0", "1.9", true},
                                           VersionCase{"ReleaseAboveBeta", "2.0.0", "2.0.0.beta", true},
                                           VersionCase{"MissingPartsAreZero", "2.0.0", "2.0", true},
                                           VersionCase{"NumbersNotText", "1.10.0", "1.9.0", true},
                                           VersionCase{"OlderThanRequired", "1.9.9", "2.0", false},
                                           VersionCase{"QualifierComparedAsText", "2.0.0.10", "2.0.0.9", false},
                                           VersionCase{"OnlyLowerCaseBetaIsSpecial", "2.0.0.Beta", "2.0.0", true}),
                         byName);

// An agent too old, no installer: each mode's trace lines and box, or no
// box when silent; exit code 1 and no agent start either way.
struct NoInstallerCase : Case {
    const char* mode;
    const char* arguments;
    const char* message;  ///< nullptr: no box
    const char* statusLines;
};

class NoInstaller : public ::testing::TestWithParam<NoInstallerCase> {};

TEST_P(NoInstaller, EndsWithTheModesLinesAndBox) {
    const NoInstallerCase& row = GetParam();
    LauncherImage image(agentIni() + "MODE=" + row.mode + "\r\n");
    image.registerAgent(image.addAgent("agent", "1.9.9"));

    const RunResult result = image.launch(std::string("-log trace.log ") + row.arguments);

    EXPECT_TRUE(traceEndsWith(image.readFile("trace.log"), "\nExpected Agent Info\n" + std::string(54, '=') +
                                                               "\nrefVersion: (1.9.9)\niniManagerVersion: (2.0)\n"
                                                               "Agent is not installed.  Prepare to install.\n" +
                                                               row.statusLines));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes, row.message == nullptr ? Boxes{} : Boxes{errorBox(row.message, "2.0")});
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"), Strings{});
}

const char* const kInstallLines =
    "Running in INSTALL Mode.  \nAgent is not detected on the system. Install cannot continue \n";
const char* const kUninstallLines =
    "Running in UNINSTALL Mode.  \nAgent is not detected on the system. Uninstall cannot continue \n";
const char* const kExtensionLines =
    "Running in EXTENSION Mode.  \nAgent is not detected on the system. Install cannot continue. \n";

INSTANTIATE_TEST_SUITE_P(
    , NoInstaller,
    ::testing::Values(NoInstallerCase{"Install", "INSTALL", "", "agentNotFound", kInstallLines},
                      NoInstallerCase{"Uninstall", "UNINSTALL", "", "agentNotFound", kUninstallLines},
                      NoInstallerCase{"Extension", "EXTENSION", "", "agentNotFoundExtension", kExtensionLines},
                      NoInstallerCase{"SilentInstall", "INSTALL", "-silent", nullptr, kInstallLines},
                      NoInstallerCase{"SilentUninstall", "UNINSTALL", "-silent", nullptr, kUninstallLines},
                      NoInstallerCase{"SilentExtension", "EXTENSION", "-silent", nullptr, kExtensionLines}),
    byName);

}  // namespace
}  // namespace e2e
