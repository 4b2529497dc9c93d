#include <gtest/gtest.h>

#include "golden.h"
#include "launcher/launch_sequence.h"
#include "memory_platform.h"
#include "messages/messages.h"
#include "platform/text_file.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;
using Strings = std::vector<std::string>;

// Lays down an agent of this version at C:\Agent, as its installer would.
void installAgent(MemoryPlatform& platform, const std::string& version) {
    platform.registry[{RegistryHive::CurrentUser, "Software\\Quillmark"}] = {{"location", "C:\\Agent"}};
    platform.addFile("C:\\img\\q.properties", "location=C:\\Agent\n");
    platform.addFile("C:\\Agent\\eclipse\\configuration\\config.ini", "tessa.appDataLocation=C\\:\\\\Data\n");
    platform.addFile("C:\\Data\\installed.xml", "<package id='com.norvex.tessa.agent' version='" + version + "'/>\n");
    platform.addFile("C:\\Agent\\eclipse\\agent.exe", "");
}

// A run of the launcher as C:\img\setup.exe, beside an executable installer
// and an MSI package. Its INI file names the agent's registry key.
struct Given {
    std::string location = "disk1\\inst.exe";  ///< the installer's
    std::string ini;                           ///< lines after those of [MANAGER]
    Strings args;                              ///< after argument 0 and "-log C:\t.log"
    std::string before;                        ///< agent version installed before the run
    std::string after;                         ///< agent version that the installer lays down
    std::vector<int> codes;                    ///< exit codes of the children, in turn
    std::string argument0 = "C:\\img\\setup.exe";
};
struct Expected {
    int exit = 1;
    std::string ran;   ///< the programs, in turn; "&" marks the one handed over to
    std::string box;   ///< "title|text"
    std::string ends;  ///< the end of the trace; empty when none is written
};

const std::string kAgent = "C:\\Agent\\eclipse\\agent.exe ";
const std::string kSetup = "C:\\img\\disk1\\inst.exe ";
const std::string kMsiexec = "C:\\Windows\\system32\\msiexec.exe ";
const std::string kNotFound = "Error|Quillmark version 2.0 or later cannot be found.";
const std::string kNoInstaller = "Agent is not installed.  Prepare to install.\nRunning in ";
const std::string kNotDetected = " Mode.  \nAgent is not detected on the system. ";

struct Row {
    const char* name;
    Given given;
    Expected expected;
};

const Row kOutcomes[] = {
    // The whole trace of a run that sets every option and every INI key but
    // the registry key, installs the agent, and finds it by the reference file.
    {"whole trace: every option and key, installed by MSI, found by the reference file",
     {.location = "agent.msi",
      .ini = "LOCATION_KEY=\nLOCATION_FILE=<CURRDIR>q.properties\nLAUNCHER_SILENT=jre\\bin\\java.exe\n"
             "INPUT_FILE=in.xml\nMODE= UNINSTALL \nARG=-m\n[INSTALLER]\nARG=A=1\nARG=B 2\nLICENSEACCEPTED=no\n"
             "[COMMON]\nSILENT=false\nISADMIN=maybe\nAPPDATALOCATION=C:\\Data\\\nNL=fr_FR\n",
      .args = {"-input", "sub\\..\\Łx.xml", "-silent", "-isAdmin", "-appDataLocation", "D:\\a d", "-nl", "de_DE",
               "-licenseAccepted", "-installerArgs", "I=a b", "-managerArgs", "*.xml"},
      .after = "2.0.1"},
     {.exit = 0,
      .ran = kMsiexec + "C:\\Agent\\jre\\bin\\java.exe ",
      .ends = testing::goldenSection(UNIT_EXPECTED_DIR "/traces.txt", "installed")}},
    {"no installer, INSTALL; an option without its value is ignored",
     {.location = "", .args = {"-input"}},  // an option without its value is ignored
     {.box = kNotFound, .ends = kNoInstaller + "INSTALL" + kNotDetected + "Install cannot continue \n"}},
    {"no installer, UNINSTALL",
     {.location = "", .ini = "MODE=UNINSTALL\n"},
     {.box = kNotFound, .ends = kNoInstaller + "UNINSTALL" + kNotDetected + "Uninstall cannot continue \n"}},
    {"no installer, EXTENSION",
     {.location = "", .ini = "MODE=EXTENSION\n"},
     {.box = kNotFound + "  Check the product documentation for software prerequisites to ensure that your system "
                         "meets the installation requirements.",
      .ends = kNoInstaller + "EXTENSION" + kNotDetected + "Install cannot continue. \n"}},
    {"MSI package missing",
     {.location = "disk1\\none.msi"},
     {.box = "Error|The installer for Quillmark cannot be found.  \nInstaller Location=C:\\img\\disk1\\none.msi",
      .ends = "MSI installer image is not found: C:\\img\\disk1\\none.msi\n"}},
    {"capital .MSI runs as a missing executable installer, silent",
     {.location = "disk2\\..\\disk1\\INST.MSI", .args = {"-silent"}},
     {.ends = "Installer does not exist: C:\\img\\disk1\\INST.MSI\n"}},
    {"installer cancelled with 1602",
     {.codes = {1602}},
     {.exit = 1602, .ran = kSetup, .ends = "Install Cancelled by user \n"}},
    {"executable installer cancelled with 232",
     {.codes = {232}},
     {.exit = 232, .ran = kSetup, .ends = "Install Cancelled by user \n"}},
    {"232 from an MSI package is an error",
     {.location = "agent.msi", .codes = {232}},
     {.exit = 232,
      .ran = kMsiexec,
      .box = "Error|The installer encountered an error when installing Quillmark.  Installation has discontinued. "
             "\nReturn Code=232",
      .ends = "Error installing agent\n"}},
    {"installed, but still too old",
     {.after = "1.9.9"},
     {.ran = kSetup, .box = kNotFound, .ends = "Correct agent cannot be found \n"}},
    {"agent program missing",
     {.ini = "LAUNCHER=eclipse\\none.exe\n", .before = "2.0"},
     {.box = kNotFound, .ends = "Agent program cannot be found: C:\\Agent\\eclipse\\none.exe \n"}},
    // 3010 and 1641: installed, a restart is due; the code stands in for a final 0 only.
    {"3010, agent handed over",
     {.after = "2.0", .codes = {3010}},
     {.exit = 3010, .ran = kSetup + "&" + kAgent, .ends = "isWait: (0)\n"}},
    {"3010, agent fails to start",
     {.after = "2.0", .codes = {3010, -1}},
     {.exit = -1, .ran = kSetup + "&" + kAgent, .ends = "isWait: (0)\n"}},
    {"1641 from MSI, agent restarted twice with 23",
     {.location = "agent.msi", .args = {"-wait"}, .after = "2.0", .codes = {1641, 23, 23, 0}},
     {.exit = 1641, .ran = kMsiexec + kAgent + kAgent + kAgent, .ends = "isWait: (1)\n"}},
    {"3010, waited agent ends with 5",
     {.location = "agent.msi", .args = {"-wait"}, .after = "2.0", .codes = {3010, 5}},
     {.exit = 5, .ran = kMsiexec + kAgent, .ends = "isWait: (1)\n"}},
    {"1641, but no agent installed",
     {.codes = {1641}},
     {.ran = kSetup, .box = kNotFound, .ends = "Correct agent cannot be found \n"}},
    {"installer and agent without extension",
     {.location = "disk1\\inst", .ini = "LAUNCHER=jre\\bin\\java\n", .after = "2.0"},
     {.exit = 0, .ran = kSetup + "&C:\\Agent\\jre\\bin\\java.exe ", .ends = "isWait: (0)\n"}},
    // Boxes before the settings are known show even in silent runs.
    {"usage box, even when silent",
     {.args = {"-silent", "/?"}},
     {.exit = 0,
      .box = "Usage:|setup [-h] [-input INPUT_FILE] [-silent] [-licenseAccepted] [-installerArgs arg1 arg2...] "
             "[-managerArgs arg1 arg2 ...]"}},
    {"INI file missing, box even when silent",
     {.args = {"-silent"}, .argument0 = "C:\\img\\disk1\\inst"},
     {.box = "|Cannot open INI file: C:\\img\\disk1\\inst.ini\n"}},
};

// Runs the row and says what differs from what it expects.
::testing::AssertionResult runsAsExpected(const Given& given, const Expected& expected) {
    MemoryPlatform platform;
    for (const char* file : {"C:\\img\\setup.exe", "C:\\img\\disk1\\inst.exe", "C:\\img\\agent.msi",
                             "C:\\Windows\\system32\\msiexec.exe", "C:\\Agent\\jre\\bin\\java.exe"}) {
        platform.addFile(file, "");
    }
    platform.addFile("C:\\img\\setup.ini", "[INSTALLER]\nLOCATION=" + given.location +
                                               "\n[MANAGER]\nLOCATION_KEY=Software\\Quillmark\nVERSION=2.0\n"
                                               "LAUNCHER=eclipse\\agent.exe\n" +
                                               given.ini);
    if (!given.before.empty()) installAgent(platform, given.before);
    platform.exitCodes = given.codes;
    platform.onProcess = [&](const testing::StartedProcess& process) {
        if (!given.after.empty() && !process.program.starts_with("C:\\Agent")) installAgent(platform, given.after);
    };
    std::vector<std::u16string> wide = {utf8ToUtf16(given.argument0), u"-log", u"C:\\t.log"};
    for (const std::string& argument : given.args) wide.push_back(utf8ToUtf16(argument));
    LauncherState state;
    const LaunchOutcome outcome = runLaunchSequence(platform, state, commandArguments(platform, wide));

    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    const auto differs = [&](const std::string& what, const std::string& got, const std::string& wanted) {
        if (got == wanted) return;
        if (result) result = ::testing::AssertionFailure();
        result << what << ": got [" << got << "], expected [" << wanted << "]\n";
    };
    const std::string trace = platform.written["C:\\t.log"];
    std::string ran;
    std::string box;
    for (const testing::StartedProcess& process : platform.processes) {
        ran += (process.waited ? "" : "&") + process.program + " ";
        // The trace is on disk while a child runs: whole for the agent, up
        // to its command for the installer.
        const bool agent = process.program.starts_with("C:\\Agent");
        const bool flushed = agent ? process.written == trace.size()
                                   : trace.compare(process.written, 34, "\r\nReturn code of agent installer\r\n") == 0;
        differs("trace written before " + process.program, flushed ? "yes" : "no", "yes");
    }
    for (const testing::ShownBox& shown : platform.boxes) {
        box += shown.title + "|" + shown.text;
        differs("trace written before the box", std::to_string(shown.written), std::to_string(trace.size()));
        const bool usage = shown.title == "Usage:";
        differs("the box's icon", shown.icon == BoxIcon::Information ? "information" : "error",
                usage ? "information" : "error");
    }
    differs("exit code", std::to_string(outcome.exitCode), std::to_string(expected.exit));
    differs("programs run", ran, expected.ran);
    differs("boxes", box, expected.box);
    differs("trace written", trace.empty() ? "no" : "yes", expected.ends.empty() ? "no" : "yes");
    const std::string end = toTextModeBytes(expected.ends);
    differs("end of the trace", trace.substr(trace.size() - std::min(trace.size(), end.size())), end);
    return result;
}

TEST(LaunchSequence, Outcomes) {
    for (const Row& row : kOutcomes) EXPECT_TRUE(runsAsExpected(row.given, row.expected)) << row.name;
}

}  // namespace
}  // namespace launcher
