// Handing over to the agent: without -wait the launcher ends with 0 as soon
// as the agent's process exists, and the agent runs on. Which file runs
// for an agent program named without an extension.
#include <windows.h>

#include "expected_texts.h"
#include "expected_traces.h"
#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/registry.h"
#include "harness/text.h"

namespace e2e {
namespace {

struct HandOverCase {
    const char* name;
    const char* launcher;                 ///< LAUNCHER of [MANAGER]
    std::vector<const char*> stubs;       ///< stub copies under eclipse\ of the agent
    std::vector<const char*> otherFiles;  ///< text files under eclipse\ of the agent
    std::int32_t exitCode;
    const char* runningProgram;  ///< the launcher's child still running; nullptr: none
};

void PrintTo(const HandOverCase& row, std::ostream* out) { *out << row.name; }

class HandOver : public ::testing::TestWithParam<HandOverCase> {};

TEST_P(HandOver, LauncherEndsWhileTheAgentRunsOn) {
    const HandOverCase& row = GetParam();
    const ScratchRegistryKey machineKey(Hive::LocalMachine, kTestsKey);
    InstallImage image;
    image.addLauncher("qmlaunch.exe");
    image.writeFile("qmlaunch.ini", std::string("[MANAGER]\r\nLOCATION_KEY=") + kAgentKey +
                                        "\r\nVERSION=2.0\r\nLAUNCHER=" + row.launcher + "\r\n");
    const std::string agentDir = image.path("agent");
    for (const PlannedFile& file : agentFiles(agentDir, "2.0.1")) writeFileBytes(file.path, file.content);
    setRegistryString(Hive::LocalMachine, kAgentKey, "location", agentDir);
    StubPlan longRun;
    longRun.sleepMilliseconds = 60000;
    for (const char* stub : row.stubs) {
        image.addStub(std::string("agent\\eclipse\\") + stub);
        image.writePlan(std::string("agent\\eclipse\\") + stub, longRun);
    }
    for (const char* file : row.otherFiles) image.writeFile(std::string("agent\\eclipse\\") + file, "@echo off\r\n");

    const RunResult result = image.run("qmlaunch.exe", "-log trace.log");
    // Every copy records under the same name, first thing when it starts.
    const std::string record = std::string("agent\\eclipse\\") + (row.stubs.empty() ? "agent" : row.stubs[0]);
    for (int wait = 0; row.runningProgram != nullptr && image.stubCalls(record).empty() && wait < 500; ++wait) {
        Sleep(20);
    }

    const std::vector<ChildProcess> children = runningChildren(result.processId);
    for (const ChildProcess& child : children) endProcess(child.id);
    std::vector<std::string> running;
    for (const ChildProcess& child : children) running.push_back(child.fileName);
    EXPECT_EQ(running, row.runningProgram == nullptr ? std::vector<std::string>{}
                                                     : std::vector<std::string>{row.runningProgram});
    EXPECT_EQ(result.exitCode, row.exitCode);
    EXPECT_EQ(result.boxes, std::vector<SeenBox>{});
    const std::string program = agentDir + "\\" + row.launcher;
    EXPECT_TRUE(traceEndsWith(image.readFile("trace.log"),
                              "AgentProgram: (" + program + ")\nagentArglist[0]: (\"" + program + "\")\nisWait: (0)\n",
                              {}));
    // The one that ran recorded the program as LAUNCHER names it.
    EXPECT_EQ(image.stubCalls(record), row.runningProgram == nullptr ? std::vector<std::string>{}
                                                                     : std::vector<std::string>{"\"" + program + "\""});
}

INSTANTIATE_TEST_SUITE_P(
    , HandOver,
    ::testing::Values(HandOverCase{"AgentRunsOn", "eclipse\\agent.exe", {"agent.exe"}, {}, 0, "agent.exe"},
                      // A PE file named .com runs, and .com comes before .exe; no file
                      // named exactly "agent" is needed for the launcher's own check.
                      HandOverCase{"ComBeforeExe", "eclipse\\agent", {"agent.com", "agent.exe"}, {}, 0, "agent.com"},
                      HandOverCase{"ExeWithoutCom", "eclipse\\agent", {"agent.exe"}, {}, 0, "agent.exe"},
                      // The file named exactly so is never started; nothing else is there.
                      HandOverCase{"NameWithoutExtensionNeverStarts", "eclipse\\agent", {}, {"agent"}, -1, nullptr}),
    [](const ::testing::TestParamInfo<HandOverCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace e2e
