// A 32-bit launcher on 64-bit Windows reads its own registry view
// (WOW6432Node) first, then the 64-bit view of the same hive when the key or
// its value is missing there. An expandable value is expanded; in a value of
// the 64-bit view, %ProgramFiles% is the 64-bit folder, as its package meant
// (the agent is reached from it through "..", so the trace shows the folder).
// ISADMIN is empty: the machine hive is read because the user holds the
// Administrators group, as the launcher's own test and IsUserAnAdmin both say
// under Wine as root.
#include <shlobj.h>

#include "e2e.h"

namespace e2e {
namespace {

struct ViewCase : Case {
    const char* own;        ///< "location" in the launcher's own view; nullptr: no key
    const char* sixtyFour;  ///< "location" in the 64-bit view; nullptr: no key
    bool expandable;        ///< written as REG_EXPAND_SZ rather than REG_SZ
    const char* location;   ///< the agent's folder, as the trace must show it
};

class RegistryView : public ::testing::TestWithParam<ViewCase> {};

TEST_P(RegistryView, FindsTheAgentInTheRightView) {
    const ViewCase& row = GetParam();
    Image image;
    image.addLauncher("qmlaunch.exe", agentIni());
    addAgent(image.path("agent"), "2.1.0");
    const std::string decoy = addAgent(image.path("other"), "2.2.0");
    const auto expand = [&](const char* text) {
        return replaceAll(replaceAll(text, "${IMAGE}", image.dir), "${PATH}", image.dir.substr(2));
    };
    for (const auto& [location, view] : {std::pair(row.own, View::Own), std::pair(row.sixtyFour, View::SixtyFourBit)}) {
        if (location)
            setRegistryString(kAgentKey, "location", expand(location), view, row.expandable ? REG_EXPAND_SZ : REG_SZ);
    }
    // The two views are apart: what one was given, the other does not show.
    ASSERT_EQ(readRegistryString(kAgentKey, "location", View::Own).has_value(), row.own != nullptr);

    const RunResult run = image.launch("-wait -log trace.log");

    EXPECT_TRUE(IsUserAnAdmin());
    const std::string trace = readFile(image.path("trace.log"));
    EXPECT_NE(trace.find("isAdmin(): (1)\r\nisUserAdmin: (1)\r\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("qmLocatoin: (" + expand(row.location) + ")\r\n"), std::string::npos) << trace;
    EXPECT_EQ(image.calls("agent\\eclipse\\agent.exe"), Strings{"\"" + image.path("agent\\eclipse\\agent.exe") + "\""});
    EXPECT_EQ(readBytes(stubBase(decoy) + ".calls"), std::nullopt);
    EXPECT_EQ(run.exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(
    , RegistryView,
    ::testing::Values(ViewCase{"OnlyTheSixtyFourBitView", nullptr, "${IMAGE}\\agent", false, "${IMAGE}\\agent"},
                      ViewCase{"OwnViewFirst", "${IMAGE}\\agent", "${IMAGE}\\other", false, "${IMAGE}\\agent"},
                      ViewCase{"ExpandableValue", "%SystemDrive%${PATH}\\agent", nullptr, true, "${IMAGE}\\agent"},
                      ViewCase{"SixtyFourBitProgramFiles", nullptr, "%ProgramFiles%\\..${PATH}\\agent", true,
                               "C:\\Program Files\\..${PATH}\\agent"}),
    byName);

}  // namespace
}  // namespace e2e
