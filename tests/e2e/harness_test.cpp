// The harness's own parts that no launcher case exercises: plan texts with
// escapes, and the kill of a program that outlives its time-out (a box
// nobody expected, a stuck child must not hang the suite).
#include <windows.h>

#include "e2e.h"
#include "gtest/gtest-spi.h"

namespace e2e {
namespace {

TEST(HarnessStubPlan, EscapesKeepEachInstructionOnOneLine) {
    const std::string text = "C:\\x|y %PATH% 100%\r\nline 2\n%n%\r";
    EXPECT_EQ(escapePlanText(text), "C:\\x|y %%PATH%% 100%%%r%nline 2%n%%n%%%r");
    EXPECT_EQ(unescapePlanText(escapePlanText(text)), text);
    EXPECT_EQ(planFile("C:\\f", "a\n"), "file C:\\f|a%n\n");
}

TEST(HarnessRunner, KillsAProgramThatOutlivesTheTimeOut) {
    InstallImage image;
    image.addStub("agent.exe", "sleep 20000\n");
    RunResult result;
    const ULONGLONG start = GetTickCount64();
    EXPECT_NONFATAL_FAILURE(
        result =
            runProgram({.application = image.path("agent.exe"), .commandLine = "agent", .timeoutMilliseconds = 300}),
        "was killed");
    EXPECT_TRUE(result.timedOut);
    EXPECT_LT(GetTickCount64() - start, 5000u);
}

}  // namespace
}  // namespace e2e
