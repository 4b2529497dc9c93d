#include <gtest/gtest.h>

#include "golden.h"
#include "launcher/launch_sequence.h"
#include "memory_platform.h"
#include "platform/text_file.h"

namespace launcher {
namespace {

using testing::goldenSection;
using testing::MemoryPlatform;
using testing::StartedProcess;
using Strings = std::vector<std::string>;

const std::pair<RegistryHive, std::string> kAgentKey{RegistryHive::CurrentUser, "Software\\Quillmark"};

// Lays down an agent of this version at C:\Agent, as its installer would.
void installAgent(MemoryPlatform& platform, const std::string& version) {
    platform.registry[kAgentKey] = {{"location", "C:\\Agent"}};
    platform.addFile("C:\\Agent\\eclipse\\configuration\\config.ini", "tessa.appDataLocation=C\\:\\\\Data\n");
    platform.addFile("C:\\Data\\installed.xml", "<package id='com.norvex.tessa.agent' version='" + version + "'/>\n");
    platform.addFile("C:\\Agent\\eclipse\\agent.exe", "");
}

std::string iniFile(const std::string& installer, const std::string& mode) {
    return "[INSTALLER]\nLOCATION=" + installer +
           "\n[MANAGER]\nLOCATION_KEY=Software\\Quillmark\nVERSION=2.0\n"
           "LAUNCHER=eclipse\\agent.exe\nMODE=" +
           mode + "\n[COMMON]\nISADMIN=no\n";
}

// The row's whole trace: the shared head and the row's own section.
std::string expectedTrace(const std::string& installer, const std::string& mode, const std::string& section) {
    const std::string file = UNIT_EXPECTED_DIR "/traces.txt";
    return goldenSection(file, "head", {{"${INSTALLER}", installer}, {"${MODE}", mode}}) + goldenSection(file, section);
}

struct Row {
    const char* outcome;
    std::string installer;
    std::string mode;
    std::function<void(MemoryPlatform&)> setup;
    std::vector<int> exitCodes;  ///< installer first, then the agent's runs
    int exitCode;
    std::string box;  ///< "" for none
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.outcome; }

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
    EXPECT_EQ(platform.written["C:\\t.log"], toTextModeBytes(expectedTrace(row.installer, row.mode, row.outcome)));
}

const std::string kNotFound = "Quillmark version 2.0 or later cannot be found.";
const std::string kInstallerError =
    "The installer encountered an error when installing Quillmark.  Installation has discontinued. \nReturn Code=";

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
        Row{"no installer, INSTALL", "", "", nullptr, {}, 1, kNotFound},
        Row{"no installer, UNINSTALL", "", "UNINSTALL", nullptr, {}, 1, kNotFound},
        Row{"no installer, EXTENSION",
            "",
            " EXTENSION",
            nullptr,
            {},
            1,
            "Quillmark version 2.0 or later cannot be found.  Check the product documentation for software "
            "prerequisites to ensure that your system meets the installation requirements."},
        Row{"MSI package missing",
            "disk1\\missing.msi",
            "",
            nullptr,
            {},
            1,
            "The installer for Quillmark cannot be found.  \nInstaller Location=C:\\img\\disk1\\missing.msi"},
        Row{"installer missing",
            "disk2\\..\\disk1\\INST.MSI",
            "",
            nullptr,
            {},
            1,
            "The installer for Quillmark cannot be found.  \nInstaller Location=C:\\img\\disk1\\INST.MSI"},
        Row{"installer cancelled", "disk1\\inst.exe", "", nullptr, {1602}, 1602, ""},
        Row{"executable installer 232", "disk1\\inst.exe", "", nullptr, {232}, 232, ""},
        Row{"MSI 232 is an error", "agent.msi", "", nullptr, {232}, 232, kInstallerError + "232"},
        Row{"installer fails to start", "disk1\\inst.exe", "", nullptr, {-1}, -1, kInstallerError + "-1"},
        Row{"agent still too old", "disk1\\inst.exe", "", installs("1.9.9"), {0}, 1, kNotFound},
        Row{"agent program missing",
            "agent.msi",
            "",
            [](MemoryPlatform& p) {
                p.onProcess = [&p](const StartedProcess&) {
                    installAgent(p, "2.0");
                    p.files.erase("C:\\Agent\\eclipse\\agent.exe");
                };
            },
            {0},
            1,
            kNotFound},
        Row{"installed, agent restarted while it asks",
            "disk1\\inst.exe",
            "",
            installs("2.0.0.beta1"),
            {0, 23, 23, 7},
            7,
            ""}),
    [](const ::testing::TestParamInfo<Row>& param) {
        std::string name;
        for (const char* c = param.param.outcome; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
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
    const std::string tail = toTextModeBytes(goldenSection(UNIT_EXPECTED_DIR "/traces.txt", "handed over, end"));
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
    platform.files["C:\\img\\setup.ini"] =
        "[INSTALLER]\nLOCATION=disk1\\inst\n[MANAGER]\nLOCATION_KEY=Software\\Quillmark\n"
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

// 3010 and 1641 mean the installation succeeded and a restart is due: the
// run goes on as after 0, and the restart code stands in for a final 0.
TEST_F(LaunchSequence, InstallerThatAsksForARestart) {
    struct RestartRow {
        const char* what;
        const char* installer;
        int code;
        bool installs;
        bool wait;
        std::vector<int> agent;
        int exitCode;
    };
    const RestartRow rows[] = {
        {"executable, handed over", "disk1\\inst.exe", 3010, true, false, {}, 3010},
        {"MSI, handed over", "agent.msi", 1641, true, false, {}, 1641},
        {"executable, agent ends with 0", "disk1\\inst.exe", 1641, true, true, {23, 0}, 1641},
        {"MSI, agent ends with 5", "agent.msi", 3010, true, true, {5}, 5},
        {"MSI, agent cannot start", "agent.msi", 3010, true, false, {-1}, -1},
        {"executable, agent still missing", "disk1\\inst.exe", 3010, false, true, {}, 1},
    };
    platform.addFile("C:\\img\\disk1\\inst.exe", "");
    platform.addFile("C:\\img\\agent.msi", "");
    platform.addFile("C:\\Windows\\system32\\msiexec.exe", "");
    for (const RestartRow& row : rows) {
        SCOPED_TRACE(row.what);
        platform.registry.clear();
        platform.boxes.clear();
        platform.processes.clear();
        platform.files["C:\\img\\setup.ini"] = iniFile(row.installer, "");
        platform.exitCodes = row.agent;
        platform.exitCodes.insert(platform.exitCodes.begin(), row.code);
        platform.onProcess = [&](const StartedProcess& process) {
            if (row.installs && process.program != "C:\\Agent\\eclipse\\agent.exe") installAgent(platform, "2.0");
        };
        const LaunchOutcome outcome =
            run(row.wait ? Strings{"-log", "C:\\t.log", "-wait"} : Strings{"-log", "C:\\t.log"});
        EXPECT_EQ(outcome.exitCode, row.exitCode);
        EXPECT_EQ(platform.processes.size(), 1 + (row.installs ? std::max<std::size_t>(row.agent.size(), 1) : 0));
        EXPECT_EQ(platform.boxes.size(), row.installs ? 0u : 1u);
        const std::string trace = platform.written["C:\\t.log"];
        EXPECT_NE(trace.find("rc: (" + std::to_string(row.code) + ")\r\nInstallerProgram: ("), std::string::npos);
        EXPECT_NE(trace.find("Installed Agent Info (after install agent)"), std::string::npos);
        EXPECT_EQ(trace.find("Error installing agent"), std::string::npos);
    }
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
