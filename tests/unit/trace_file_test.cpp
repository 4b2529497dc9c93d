#include <gtest/gtest.h>

#include "config/launcher_ini.h"
#include "golden.h"
#include "launcher/command_line.h"
#include "launcher/effective_settings.h"
#include "launcher/launch_trace.h"
#include "memory_platform.h"
#include "messages/trace_file.h"
#include "platform/text_file.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;

TEST(TraceFile, ExactBytesOfEveryLineForm) {
    MemoryPlatform platform;
    TraceFile trace;
    trace.value("lost", "before open");
    trace.open(platform, "C:\\t.log");
    trace.block("Mode");
    trace.value("label", "va\nlue");
    trace.value("empty", "");
    trace.value("rc", -1);
    trace.list("argv", {"a", ""});
    trace.list("none", {});
    trace.line("Install Cancelled by user \n");
    trace.close();
    trace.line("after close\n");
    EXPECT_EQ(platform.written["C:\\t.log"],
              "\r\nMode\r\n======================================================\r\nlabel: (va\r\nlue)\r\n"
              "empty: ()\r\nrc: (-1)\r\nargv[0]: (a)\r\nargv[1]: ()\r\nInstall Cancelled by user \r\n");
}

TEST(TraceFile, ReplacesAnEarlierFileAndSurvivesAFailedOpen) {
    MemoryPlatform platform;
    platform.written["C:\\t.log"] = "old content";
    TraceFile trace;
    trace.open(platform, "C:\\t.log");
    trace.line(std::string(20000, 'x'));
    trace.close();
    EXPECT_EQ(platform.written["C:\\t.log"], std::string(20000, 'x'));
    platform.unwritablePaths.insert("C:\\no\\t.log");
    trace.open(platform, "C:\\no\\t.log");
    EXPECT_FALSE(trace.isOpen());
    trace.line("x");
}

TEST(TraceFile, StartBlocksAndModeForEveryField) {
    MemoryPlatform platform;
    platform.addFile(
        "C:\\img\\setup.ini",
        "[INSTALLER]\nLOCATION=disk1\\setup.exe\nARG=A=1\nARG=B 2\nLICENSEACCEPTED=no\n"
        "[MANAGER]\nLOCATION_KEY=Software\\Q\nLOCATION_FILE=<HOME>\\q.properties\nVERSION=1.2.3.beta\n"
        "LAUNCHER=eclipse\\agent.exe\nLAUNCHER_SILENT=jre\\bin\\java.exe\nINPUT_FILE=in.xml\nMODE= UNINSTALL \n"
        "ARG=-m\n[COMMON]\nSILENT=false\nISADMIN=maybe\nAPPDATALOCATION=C:\\Data\\\nNL=fr_FR\n");
    LauncherState state;
    state.launcherFullPath = "C:\\img\\setup.exe";
    state.launcherDir = "C:\\img\\";
    state.launcherFile = "setup.exe";
    state.launcherName = "setup";
    ASSERT_TRUE(readLauncherIni(platform, "C:\\img\\setup.ini", state));
    parseCommandLine(
        {"setup", "-input", "sub\\..\\x.xml", "-log", "C:\\t.log", "-silent", "-isAdmin", "-appDataLocation", "D:\\ad",
         "-nl", "de_DE", "-licenseAccepted", "-installerArgs", "I=1", "-managerArgs", "*.xml"},
        state);
    state.traceFile.open(platform, state.argLogFile);
    writeStartBlocks(state.traceFile, state);
    resolveEffectiveSettings(platform, state);
    writeModeBlock(state.traceFile, state);
    state.traceFile.close();
    EXPECT_EQ(platform.written["C:\\t.log"],
              toTextModeBytes(testing::goldenSection(UNIT_EXPECTED_DIR "/traces.txt", "every field")));
}

}  // namespace
}  // namespace launcher
