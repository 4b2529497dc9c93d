// DLL planting: a DLL named like a system DLL, placed beside the launcher
// (as in a downloads folder), must never load into it. Wine prefers its
// builtin DLLs, which would hide the fault; this suite runs with
// WINEDLLOVERRIDES=uxtheme=n,b so that the loader takes a native uxtheme.dll
// wherever its search finds one. The unhardened control program shows that
// the planted DLL does load where nothing keeps it out.
#include <cstdlib>
#include <cstring>

#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/test_programs.h"
#include "harness/text.h"

namespace e2e {
namespace {

void plantDll(InstallImage& image) {
    image.writeFile("uxtheme.dll", readFileBytes(plantedDll()));
}

class DllPlanting : public ::testing::Test {
protected:
    void SetUp() override {
        const char* overrides = std::getenv("WINEDLLOVERRIDES");
        ASSERT_TRUE(overrides != nullptr && std::strstr(overrides, "uxtheme=n") != nullptr)
            << "run with WINEDLLOVERRIDES=uxtheme=n,b, or Wine's builtin DLL hides a planted one";
    }
};

TEST_F(DllPlanting, LoadsIntoAProgramThatDoesNotPreventIt) {
    InstallImage image;
    image.writeFile("plain_box.exe", readFileBytes(plainBoxProgram()));
    plantDll(image);

    const RunResult result = image.run("plain_box.exe");

    EXPECT_EQ(result.boxes, (std::vector<SeenBox>{{"plain box", "plain box", BoxIcon::Information}}));
    EXPECT_TRUE(image.exists("planted.marker"));
}

TEST_F(DllPlanting, NeverLoadsIntoTheLauncher) {
    // A box comes up in both runs, so the box code asks for uxtheme.dll.
    const char* const cases[] = {"", "-help"};
    for (int i = 0; i < 2; ++i) {
        const char* arguments = cases[i];
        SCOPED_TRACE(arguments);
        InstallImage image("." + std::to_string(i));
        image.addLauncher("qmlaunch.exe");
        if (arguments[0] != '\0') image.writeFile("qmlaunch.ini", "[MANAGER]\r\nVERSION=2.0\r\n");
        plantDll(image);

        const RunResult result = image.run("qmlaunch.exe", arguments);

        EXPECT_EQ(result.boxes.size(), 1u);
        EXPECT_EQ(result.exitCode, arguments[0] == '\0' ? 1 : 0);
        EXPECT_FALSE(image.exists("planted.marker"));
    }
}

}  // namespace
}  // namespace e2e
