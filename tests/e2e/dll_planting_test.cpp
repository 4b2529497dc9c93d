// DLL planting: a DLL named like a system DLL, placed beside the launcher
// (as in a downloads folder), must never load into it. Wine prefers its
// builtin DLLs, which would hide the fault; this suite runs with
// WINEDLLOVERRIDES=uxtheme=n,b so that the loader takes a native uxtheme.dll
// wherever its search finds one. The unhardened control program shows that
// the planted DLL does load where nothing keeps it out.
#include <cstdlib>
#include <cstring>

#include "e2e.h"

namespace e2e {
namespace {

class DllPlanting : public ::testing::Test {
protected:
    void SetUp() override {
        const char* overrides = std::getenv("WINEDLLOVERRIDES");
        ASSERT_TRUE(overrides != nullptr && std::strstr(overrides, "uxtheme=n") != nullptr)
            << "run with WINEDLLOVERRIDES=uxtheme=n,b, or Wine's builtin DLL hides a planted one";
    }
    static void plantDll(InstallImage& image) {
        image.writeFile("uxtheme.dll", readFileBytes(buildFile("planted\\uxtheme.dll")));
    }
};

TEST_F(DllPlanting, LoadsIntoAProgramThatDoesNotPreventIt) {
    InstallImage image;
    image.writeFile("plain_box.exe", readFileBytes(buildFile("plain_box.exe")));
    plantDll(image);

    const RunResult result = image.run("plain_box.exe");

    EXPECT_EQ(result.boxes, (Boxes{{"plain box", "plain box", BoxIcon::Information}}));
    EXPECT_TRUE(pathExists(image.path("planted.marker")));
}

TEST_F(DllPlanting, NeverLoadsIntoTheLauncher) {
    // A box comes up in both runs, so the box code asks for uxtheme.dll.
    for (const std::string arguments : {"", "-help"}) {
        SCOPED_TRACE(arguments);
        InstallImage image("." + std::to_string(arguments.size()));
        image.addLauncher("qmlaunch.exe", arguments.empty() ? "" : "[MANAGER]\r\nVERSION=2.0\r\n");
        plantDll(image);

        const RunResult result = image.run("qmlaunch.exe", arguments);

        EXPECT_EQ(result.boxes.size(), 1u);
        EXPECT_EQ(result.exitCode, arguments.empty() ? 1 : 0);
        EXPECT_FALSE(pathExists(image.path("planted.marker")));
    }
}

}  // namespace
}  // namespace e2e
