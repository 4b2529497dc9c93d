// Handing over to the agent: without -wait the launcher ends with 0 as soon
// as the agent's process exists, and the agent runs on. Which file runs
// for an agent program named without an extension.
#include <windows.h>

#include "e2e.h"

namespace e2e {
namespace {

struct HandOverCase : Case {
    const char* launcher;                 ///< LAUNCHER of [MANAGER]
    std::vector<const char*> stubs;       ///< stub copies under eclipse\ of the agent
    std::vector<const char*> otherFiles;  ///< text files under eclipse\ of the agent
    std::int32_t exitCode;
    const char* runningProgram;  ///< the launcher's child still running; nullptr: none
};

class HandOver : public ::testing::TestWithParam<HandOverCase> {};

TEST_P(HandOver, LauncherEndsWhileTheAgentRunsOn) {
    const HandOverCase& row = GetParam();
    LauncherImage image(agentIni("2.0", row.launcher));
    const std::string agentDir = image.path("agent");
    for (const PlannedFile& file : agentFiles(agentDir, "2.0.1")) writeFileBytes(file.path, file.content);
    image.registerAgent(agentDir);
    for (const char* stub : row.stubs) image.addStub(std::string("agent\\eclipse\\") + stub, "sleep 60000\n");
    for (const char* file : row.otherFiles) image.writeFile(std::string("agent\\eclipse\\") + file, "@echo off\r\n");

    const RunResult result = image.launch("-log trace.log");
    // Every copy records under the same name, first thing when it starts.
    const std::string record = std::string("agent\\eclipse\\") + (row.stubs.empty() ? "agent" : row.stubs[0]);
    for (int wait = 0; row.runningProgram != nullptr && image.stubCalls(record).empty() && wait < 500; ++wait) {
        Sleep(20);
    }

    const std::vector<ChildProcess> children = runningChildren(result.processId);
    std::vector<std::string> running;
    for (const ChildProcess& child : children) {
        endProcess(child.id);
        running.push_back(child.fileName);
    }
    const std::string program = agentDir + "\\" + row.launcher;
    EXPECT_EQ(running, row.runningProgram == nullptr ? Strings{} : Strings{row.runningProgram});
    EXPECT_EQ(result.exitCode, row.exitCode);
    EXPECT_EQ(result.boxes, Boxes{});
    EXPECT_TRUE(traceEndsWith(image.readFile("trace.log"), "AgentProgram: (" + program + ")\nagentArglist[0]: (\"" +
                                                               program + "\")\nisWait: (0)\n"));
    // The one that ran recorded the program as LAUNCHER names it.
    EXPECT_EQ(image.stubCalls(record), row.runningProgram == nullptr ? Strings{} : Strings{"\"" + program + "\""});
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
    byName);

}  // namespace
}  // namespace e2e
