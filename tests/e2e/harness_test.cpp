// The harness's own moving parts, run for real: the stub program and its
// plan, and the full exit code as the runner reads it. Launcher tests rely
// on both, so they are checked before anything depends on them.
#include <windows.h>

#include <algorithm>

#include "gtest/gtest-spi.h"
#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/registry.h"
#include "harness/stub_plan.h"

namespace e2e {
namespace {

TEST(HarnessStubPlan, TextFormRoundTrips) {
    StubPlan plan;
    plan.exitCodes = {23, 0xFFFFFFFFu, 0};
    plan.sleepMilliseconds = 250;
    plan.registryValues = {{"HKLM", "Software\\A B", "location", "C:\\x|y %PATH% 100%"}};
    plan.files = {{"C:\\dir\\f.txt", "line 1\r\nline 2\n%n%\r"}};

    const std::string text = formatStubPlan(plan);
    StubPlan back;
    std::string error;
    ASSERT_TRUE(parseStubPlan(text, back, error)) << error;

    EXPECT_EQ(back.exitCodes, plan.exitCodes);
    EXPECT_EQ(back.sleepMilliseconds, 250u);
    ASSERT_EQ(back.registryValues.size(), 1u);
    EXPECT_EQ(back.registryValues[0].value, "C:\\x|y %PATH% 100%");
    ASSERT_EQ(back.files.size(), 1u);
    EXPECT_EQ(back.files[0].content, "line 1\r\nline 2\n%n%\r");
    // One instruction a line: the escapes keep line breaks out of the text.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
}

TEST(HarnessStub, RecordsCommandLinesAndExitsWithThePlannedCodes) {
    InstallImage image;
    const std::string stub = image.addStub("bin\\agent.exe");
    StubPlan plan;
    plan.exitCodes = {23, 23, 0x12345678u, 0xFFFFFFFFu, 0};
    image.writePlan("bin\\agent.exe", plan);

    std::vector<std::int32_t> codes;
    for (int run = 1; run <= 6; ++run) {
        RunSpec spec;
        spec.application = stub;
        spec.commandLine = "agent -run " + std::to_string(run) + " \"a b\"";
        codes.push_back(runProgram(spec).exitCode);
    }

    EXPECT_EQ(codes, (std::vector<std::int32_t>{23, 23, 0x12345678, -1, 0, 0}));
    EXPECT_EQ(image.stubCalls("bin\\agent.exe"),
              (std::vector<std::string>{"agent -run 1 \"a b\"", "agent -run 2 \"a b\"", "agent -run 3 \"a b\"",
                                        "agent -run 4 \"a b\"", "agent -run 5 \"a b\"", "agent -run 6 \"a b\""}));
}

TEST(HarnessStub, WithoutAPlanExitsWithZero) {
    InstallImage image;
    image.addStub("setup.exe");

    const RunResult result = image.run("setup.exe", "/S");

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(image.stubCalls("setup.exe"), std::vector<std::string>{"\"" + image.path("setup.exe") + "\" /S"});
}

TEST(HarnessStub, WritesPlannedValuesAndFilesThenSleeps) {
    const ScratchRegistryKey userKey(Hive::CurrentUser, "Software\\QuillmarkE2EStub");
    const ScratchRegistryKey machineKey(Hive::LocalMachine, "Software\\QuillmarkE2EStub");
    InstallImage image;
    image.addStub("setup.exe");
    StubPlan plan;
    plan.exitCodes = {7};
    plan.sleepMilliseconds = 400;
    plan.registryValues = {{"HKCU", userKey.key() + "\\Agent", "location", image.path("agent")},
                           {"HKLM", machineKey.key(), "location", "100% C:\\x"}};
    plan.files = {{image.path("agent\\eclipse\\configuration\\config.ini"), "a=1\r\nb=%2\n"}};
    image.writePlan("setup.exe", plan);

    const ULONGLONG start = GetTickCount64();
    const RunResult result = image.run("setup.exe");
    const ULONGLONG elapsed = GetTickCount64() - start;

    EXPECT_EQ(result.exitCode, 7);
    EXPECT_GE(elapsed, 400u);
    EXPECT_EQ(readRegistryString(Hive::CurrentUser, userKey.key() + "\\Agent", "location"), image.path("agent"));
    EXPECT_EQ(readRegistryString(Hive::LocalMachine, machineKey.key(), "location"), "100% C:\\x");
    EXPECT_EQ(image.readFile("agent\\eclipse\\configuration\\config.ini"), "a=1\r\nb=%2\n");
}

// A program that hangs (a box nobody expected, a stuck child) must not hang
// the suite: it is killed at the time-out, and the test fails.
TEST(HarnessRunner, KillsAProgramThatOutlivesTheTimeOut) {
    InstallImage image;
    const std::string stub = image.addStub("agent.exe");
    StubPlan plan;
    plan.sleepMilliseconds = 20000;
    image.writePlan("agent.exe", plan);
    RunSpec spec;
    spec.application = stub;
    spec.commandLine = "agent";
    spec.timeoutMilliseconds = 300;

    RunResult result;
    const ULONGLONG start = GetTickCount64();
    EXPECT_NONFATAL_FAILURE(result = runProgram(spec), "was killed");
    const ULONGLONG elapsed = GetTickCount64() - start;

    EXPECT_TRUE(result.timedOut);
    EXPECT_LT(elapsed, 5000u);
}

}  // namespace
}  // namespace e2e
