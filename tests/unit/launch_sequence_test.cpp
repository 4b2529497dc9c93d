#include <gtest/gtest.h>

#include "launcher/launch_sequence.h"
#include "memory_platform.h"
#include "platform/text_file.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;
using testing::StartedProcess;

const std::pair<RegistryHive, std::string> kAgentKey{RegistryHive::CurrentUser, "Software\\Quillmark"};

// Lays down an agent of this version at C:\Agent, as its installer would.
void installAgent(MemoryPlatform& platform, const std::string& version) {
    platform.registry[kAgentKey] = {{"location", "C:\\Agent"}};
    platform.addFile("C:\\Agent\\eclipse\\configuration\\config.ini", "tessa.appDataLocation=C\\:\\\\Data\n");
    platform.addFile("C:\\Data\\installed.xml", "<package id='com.norvex.tessa.agent' version='" + version + "'/>\n");
    platform.addFile("C:\\Agent\\eclipse\\agent.exe", "");
}

std::string iniFile(const std::string& installer, const std::string& mode) {
    return "[INSTALLER]\nLOCATION=" + installer + "\n[MANAGER]\nLOCATION_KEY=Software\\Quillmark\nVERSION=2.0\n"
           "LAUNCHER=eclipse\\agent.exe\nMODE=" + mode + "\n[COMMON]\nISADMIN=no\n";
}

// Blocks 1 to 6 of a run of iniFile() with "-log C:\t.log -wait", no agent installed yet.
std::string traceHead(const std::string& installer, const std::string& mode) {
    return R"(
Launcher info
======================================================
launcherFullPath: (C:\img\setup.exe)
launcherDir: (C:\img\)
launcherFile: (setup.exe)
launcherName: (setup)

INI File info
======================================================
iniInstallerLocation: ()" + installer + R"()
iniManagerLocationKey: (Software\Quillmark)
iniManagerLocationFile: ()
iniManagerVersion: (2.0)
iniManagerLauncher: (eclipse\agent.exe)
iniManagerLauncherSilent: ()
iniManagerInput: ()
iniMode: ()" + mode + R"()
iniSilent: ()
iniIsAdmin: (no)
iniAppDataLocation: ()
iniNL: ()
iniLicenseAccepted: ()

Commandline Arguments
======================================================
argInputFile: ()
argLogFile: (C:\t.log)
argIsSilent: (0)
argIsUserAdmin: (0)
isDebug: (1)
isWait: (1)
argAppDataLocation: ()
argNL: ()
argLicenseAccepted: (0)

Mode
======================================================
isSilent: (0)
isDialogAllowed: (1)
isUserAdmin: (0)
isLicenseAccepted: (0)
appDataLocation: ()
nl: ()
inputFile: ()

Get Installed Agent Info
======================================================
iniManagerLocationKey: (Software\Quillmark)
iniManagerLocationFile: ()
isAdmin(): (1)
isUserAdmin: (0)
Get current agent location from Registry: 
iniManagerLocationKey: (Software\Quillmark)
Get Installed QM Version: 
qmLocatoin: ()

Installed Agent Info
======================================================
refVersion: ()
refLocation: ()

Expected Agent Info
======================================================
refVersion: ()
iniManagerVersion: (2.0)
Agent is not installed.  Prepare to install.
)";
}

const std::string kExeCommand = R"(
Command to launch agent install
======================================================
installerArglist[0]: ("C:\img\disk1\inst.exe")
installerArglist[1]: (/v"STANDALONE=false")
)";

const std::string kMsiCommand = R"(
Command to launch agent install
======================================================
installerArglist[0]: (C:\Windows\system32\msiexec.exe)
installerArglist[1]: (/i)
installerArglist[2]: ("C:\img\agent.msi")
installerArglist[3]: (STANDALONE=false)
)";

std::string returnCode(int rc, const std::string& program) {
    return "\nReturn code of agent installer\n======================================================\nrc: (" +
           std::to_string(rc) + ")\nInstallerProgram: (" + program + ")\n";
}

const std::string kSecondLookup = R"(
Get Installed Agent Info
======================================================
iniManagerLocationKey: (Software\Quillmark)
iniManagerLocationFile: ()
isAdmin(): (1)
isUserAdmin: (0)
Get current agent location from Registry: 
iniManagerLocationKey: (Software\Quillmark)
Get Installed QM Version: 
qmLocatoin: (C:\Agent)
configFile: (C:\Agent\eclipse\configuration\config.ini)
appDataDir: (C:\Data)
installedXMLFile: (C:\Data\installed.xml)
)";

std::string afterInstall(const std::string& version) {
    return kSecondLookup + "currVersion: (" + version +
           ")\n\nInstalled Agent Info (after install agent) \n======================================================\n"
           "refVersion: (" + version + ")\nrefLocation: (C:\\Agent)\n\nExpected Agent Info\n"
           "======================================================\nrefVersion: (" + version +
           ")\niniManagerVersion: (2.0)\n";
}

const std::string kAgentCommand = R"(
Command to launch agent
======================================================
AgentProgram: (C:\Agent\eclipse\agent.exe)
agentArglist[0]: ("C:\Agent\eclipse\agent.exe")
)";

struct Row {
    const char* outcome;
    std::string installer;
    std::string mode;
    std::function<void(MemoryPlatform&)> setup;
    std::vector<int> exitCodes;  ///< installer first, then the agent's runs
    int exitCode;
    std::string box;  ///< "" for none
    std::string traceTail;
};

class LaunchOutcomes : public ::testing::TestWithParam<Row> {};

TEST_P(LaunchOutcomes, ExitCodeBoxAndWholeTrace) {
    const Row& row = GetParam();
    MemoryPlatform platform;
    platform.admin = 1;
    platform.addFile("C:\\img\\setup.exe", "");
    platform.addFile("C:\\img\\setup.ini", iniFile(row.installer, row.mode));
    platform.addFile("C:\\img\\disk1\\inst.exe", "");
    platform.addFile("C:\\img\\agent.msi", "");
    platform.systemDir = "C:\\Windows\\system32";
    platform.addFile("C:\\Windows\\system32\\msiexec.exe", "");
    platform.exitCodes = row.exitCodes;
    if (row.setup) row.setup(platform);

    LauncherState state;
    const LaunchOutcome outcome =
        runLaunchSequence(platform, state, {"C:\\img\\setup.exe", "-log", "C:\\t.log", "-wait"});
    EXPECT_EQ(outcome.exitCode, row.exitCode);
    EXPECT_FALSE(outcome.handedOver);
    ASSERT_EQ(platform.boxes.size(), row.box.empty() ? 0u : 1u);
    if (!row.box.empty()) {
        EXPECT_EQ(platform.boxes[0].text, row.box);
        EXPECT_EQ(platform.boxes[0].title, "Error");
        EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Error);
    }
    EXPECT_EQ(platform.written["C:\\t.log"], toTextModeBytes(traceHead(row.installer, row.mode) + row.traceTail));
}

const auto installs = [](const std::string& version) {
    return [version](MemoryPlatform& p) {
        p.onProcess = [&p, version](const StartedProcess& process) {
            if (process.program != "C:\\Agent\\eclipse\\agent.exe") installAgent(p, version);
        };
    };
};

INSTANTIATE_TEST_SUITE_P(
    Rows, LaunchOutcomes,
    ::testing::Values(
        Row{"no installer, INSTALL", "", "", nullptr, {}, 1, "Quillmark version 2.0 or later cannot be found.",
            "Running in INSTALL Mode.  \nAgent is not detected on the system. Install cannot continue \n"},
        Row{"no installer, UNINSTALL", "", "UNINSTALL", nullptr, {}, 1, "Quillmark version 2.0 or later cannot be found.",
            "Running in UNINSTALL Mode.  \nAgent is not detected on the system. Uninstall cannot continue \n"},
        Row{"no installer, EXTENSION", "", " EXTENSION", nullptr, {}, 1,
            "Quillmark version 2.0 or later cannot be found.  Check the product documentation for software "
            "prerequisites to ensure that your system meets the installation requirements.",
            "Running in EXTENSION Mode.  \nAgent is not detected on the system. Install cannot continue. \n"},
        Row{"MSI package missing", "disk1\\missing.msi", "", nullptr, {}, 1,
            "The installer for Quillmark cannot be found.  \nInstaller Location=C:\\img\\disk1\\missing.msi",
            "\nCommand to launch agent install\n======================================================\n"
            "installerArglist[0]: (C:\\Windows\\system32\\msiexec.exe)\ninstallerArglist[1]: (/i)\n"
            "installerArglist[2]: (\"C:\\img\\disk1\\missing.msi\")\ninstallerArglist[3]: (STANDALONE=false)\n"
            "MSI installer image is not found: C:\\img\\disk1\\missing.msi\n"},
        Row{"installer missing", "disk2\\..\\disk1\\INST.MSI", "", nullptr, {}, 1,
            "The installer for Quillmark cannot be found.  \nInstaller Location=C:\\img\\disk1\\INST.MSI",
            "\nCommand to launch agent install\n======================================================\n"
            "installerArglist[0]: (\"C:\\img\\disk1\\INST.MSI\")\ninstallerArglist[1]: (/v\"STANDALONE=false\")\n"
            "Installer does not exist: C:\\img\\disk1\\INST.MSI\n"},
        Row{"installer cancelled", "disk1\\inst.exe", "", nullptr, {1602}, 1602, "",
            kExeCommand + returnCode(1602, "C:\\img\\disk1\\inst.exe") + "Install Cancelled by user \n"},
        Row{"executable installer 232", "disk1\\inst.exe", "", nullptr, {232}, 232, "",
            kExeCommand + returnCode(232, "C:\\img\\disk1\\inst.exe") + "Install Cancelled by user \n"},
        Row{"MSI 232 is an error", "agent.msi", "", nullptr, {232}, 232,
            "The installer encountered an error when installing Quillmark.  Installation has discontinued. \n"
            "Return Code=232",
            kMsiCommand + returnCode(232, "C:\\Windows\\system32\\msiexec.exe") + "Error installing agent\n"},
        Row{"installer fails to start", "disk1\\inst.exe", "", nullptr, {-1}, -1,
            "The installer encountered an error when installing Quillmark.  Installation has discontinued. \n"
            "Return Code=-1",
            kExeCommand + returnCode(-1, "C:\\img\\disk1\\inst.exe") + "Error installing agent\n"},
        Row{"agent still too old", "disk1\\inst.exe", "", installs("1.9.9"), {0}, 1,
            "Quillmark version 2.0 or later cannot be found.",
            kExeCommand + returnCode(0, "C:\\img\\disk1\\inst.exe") + afterInstall("1.9.9") +
                "Correct agent cannot be found \n"},
        Row{"agent program missing", "agent.msi", "",
            [](MemoryPlatform& p) {
                installs("2.0")(p);
                p.onProcess = [&p](const StartedProcess&) {
                    installAgent(p, "2.0");
                    p.files.erase("C:\\Agent\\eclipse\\agent.exe");
                };
            },
            {0}, 1, "Quillmark version 2.0 or later cannot be found.",
            kMsiCommand + returnCode(0, "C:\\Windows\\system32\\msiexec.exe") + afterInstall("2.0") + kAgentCommand +
                "Agent program cannot be found: C:\\Agent\\eclipse\\agent.exe \n"},
        Row{"installed, agent restarted while it asks", "disk1\\inst.exe", "", installs("2.0.0.beta1"), {0, 23, 23, 7}, 7,
            "", kExeCommand + returnCode(0, "C:\\img\\disk1\\inst.exe") + afterInstall("2.0.0.beta1") + kAgentCommand +
                    "isWait: (1)\n"}),
    [](const ::testing::TestParamInfo<Row>& param) {
        std::string name;
        for (const char* c = param.param.outcome; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

class LaunchSequence : public ::testing::Test {
protected:
    void SetUp() override {
        platform.addFile("C:\\img\\setup.exe", "");
        platform.addFile("C:\\img\\setup.ini", iniFile("disk1\\inst.exe", ""));
        installAgent(platform, "2.0");
    }
    LaunchOutcome run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "C:\\img\\setup.exe");
        LauncherState state;  // every run starts afresh, as a new process would
        return runLaunchSequence(platform, state, arguments);
    }
    MemoryPlatform platform;
};

TEST_F(LaunchSequence, InstalledAgentIsHandedOverWithoutLookingAtTheInstaller) {
    const LaunchOutcome outcome = run({"-log", "C:\\t.log"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.handedOver);
    ASSERT_EQ(platform.processes.size(), 1u);
    EXPECT_FALSE(platform.processes[0].waited);
    EXPECT_EQ(platform.processes[0].commandLine, "\"C:\\Agent\\eclipse\\agent.exe\"");
    const std::string trace = platform.written["C:\\t.log"];
    EXPECT_EQ(trace.find("installerArglist"), std::string::npos);
    const std::string tail = toTextModeBytes("currVersion: (2.0)\n\nInstalled Agent Info\n" +
                                             std::string(54, '=') + "\nrefVersion: (2.0)\nrefLocation: (C:\\Agent)\n\n"
                                             "Expected Agent Info\n" + std::string(54, '=') +
                                             "\nrefVersion: (2.0)\niniManagerVersion: (2.0)\n" + kAgentCommand +
                                             "isWait: (0)\n");
    ASSERT_GT(trace.size(), tail.size());
    EXPECT_EQ(trace.substr(trace.size() - tail.size()), tail);
}

TEST_F(LaunchSequence, WaitedAgentRunsAgainWithTheSameCommandWhileItExitsWith23) {
    platform.exitCodes = {23, 23, 23, 0};
    EXPECT_EQ(run({"-wait", "-managerArgs", "a b"}).exitCode, 0);
    ASSERT_EQ(platform.processes.size(), 4u);
    for (const StartedProcess& process : platform.processes) {
        EXPECT_TRUE(process.waited);
        EXPECT_EQ(process.commandLine, "\"C:\\Agent\\eclipse\\agent.exe\" \"a b\"");
    }
}

TEST_F(LaunchSequence, ProgramsNamedWithoutExtensionAreFoundLikeTheStartFindsThem) {
    platform.files["C:\\img\\setup.ini"] = "[INSTALLER]\nLOCATION=disk1\\inst\n[MANAGER]\nLOCATION_KEY=Software\\Quillmark\n"
                                           "VERSION=2.0\nLAUNCHER=eclipse\\agent\n";
    platform.files.erase("C:\\Agent\\eclipse\\agent.exe");
    platform.addFile("C:\\Agent\\eclipse\\agent.com", "");
    EXPECT_EQ(run({"-wait"}).exitCode, 0);
    ASSERT_EQ(platform.processes.size(), 1u);
    EXPECT_EQ(platform.processes[0].program, "C:\\Agent\\eclipse\\agent.com");

    platform.registry.clear();
    platform.addFile("C:\\img\\disk1\\inst.cmd", "");
    platform.exitCodes = {1602};
    EXPECT_EQ(run({}).exitCode, 1602);  // the installer was run, not reported missing
    EXPECT_EQ(platform.processes.back().program, "C:\\img\\disk1\\inst.cmd");
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(LaunchSequence, SecondLookupKeepsTheFirstLocationWhenTheKeyIsGone) {
    installAgent(platform, "1.0");
    platform.onProcess = [this](const StartedProcess& process) {
        if (process.program != "C:\\img\\disk1\\inst.exe") return;
        platform.registry.clear();  // the installer removed the key, and updated the agent in place
        platform.files["C:\\Data\\installed.xml"] = "<package id='com.norvex.tessa.agent' version='2.0'/>\n";
    };
    platform.addFile("C:\\img\\disk1\\inst.exe", "");
    EXPECT_EQ(run({"-wait"}).exitCode, 0);
    ASSERT_EQ(platform.processes.size(), 2u);
    EXPECT_EQ(platform.processes[1].program, "C:\\Agent\\eclipse\\agent.exe");
}

TEST_F(LaunchSequence, AgentThatCannotStart) {
    platform.exitCodes = {-1};
    EXPECT_EQ(run({}).exitCode, -1);
    platform.exitCodes = {-1};
    EXPECT_EQ(run({"-wait"}).exitCode, -1);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(LaunchSequence, SilentRunsShowNoBoxAndWait) {
    platform.files["C:\\img\\setup.ini"] = iniFile("", "") + "SILENT=Yes\n";
    platform.registry.clear();
    EXPECT_EQ(run({}).exitCode, 1);
    platform.files["C:\\img\\setup.ini"] = iniFile("missing.exe", "");
    EXPECT_EQ(run({"-silent"}).exitCode, 1);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(LaunchSequence, BoxesBeforeTheSettingsAreAlwaysShown) {
    EXPECT_EQ(run({"-silent", "-help", "-log", "C:\\t.log"}).exitCode, 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].title, "Usage:");
    EXPECT_TRUE(platform.written.empty());

    platform.files.erase("C:\\img\\setup.ini");
    EXPECT_EQ(run({"-silent", "-help"}).exitCode, 1);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text, "Cannot open INI file: C:\\img\\setup.ini\n");
    EXPECT_EQ(platform.boxes[1].title, "");
}

TEST_F(LaunchSequence, IdentityFromABareNameOrNothing) {
    platform.addFile("C:\\work\\.\\setup.exe", "");
    platform.addFile("C:\\work\\.\\setup.ini", iniFile("", ""));
    LauncherState state;
    EXPECT_EQ(runLaunchSequence(platform, state, {"setup"}).exitCode, 0);
    EXPECT_EQ(state.launcherFullPath, "C:\\work\\.\\setup.exe");
    EXPECT_EQ(state.launcherDir, "C:\\work\\.\\");
    EXPECT_EQ(state.launcherName, "setup");

    LauncherState unknown;
    EXPECT_EQ(runLaunchSequence(platform, unknown, {"nowhere"}).exitCode, 1);
    EXPECT_EQ(unknown.launcherFullPath + unknown.launcherDir + unknown.launcherFile + unknown.launcherName, "");
    EXPECT_EQ(platform.boxes.back().text, "Cannot open INI file: .ini\n");
}

TEST_F(LaunchSequence, TraceThatCannotBeOpenedChangesNothing) {
    platform.unwritablePaths.insert("C:\\nodir\\t.log");
    platform.exitCodes = {5};
    EXPECT_EQ(run({"-log", "C:\\nodir\\t.log", "-wait"}).exitCode, 5);
    EXPECT_TRUE(platform.written.empty());
}

}  // namespace
}  // namespace launcher
