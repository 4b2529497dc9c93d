// INI files that are not text, or not the text one expects: the launcher
// reads each to its end without harm and goes on with what it found.
#include "e2e.h"

namespace e2e {
namespace {

// The bytes of a literal, NUL bytes included, without its terminator.
template <std::size_t N>
std::string literalBytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

struct BadIniCase : Case {
    std::string bytes;
    const char* version;  ///< the version that the box names
};

class BadIniFile : public ::testing::TestWithParam<BadIniCase> {};

TEST_P(BadIniFile, RunGoesOnToNoInstallerConfigured) {
    InstallImage image;
    image.addLauncher("qmlaunch.exe", GetParam().bytes);

    const RunResult result = image.run("qmlaunch.exe");

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxes, Boxes{errorBox("agentNotFound", GetParam().version)});
}

INSTANTIATE_TEST_SUITE_P(
    , BadIniFile,
    ::testing::Values(
        BadIniCase{"Binary", binaryBytes(64 * 1024), ""},
        // A line ends for the reader at its first NUL byte.
        BadIniCase{"NulBytes", literalBytes("\0\0\0\r\n[MANAGER]\r\nVERSION=3.1\0.7\r\n\0VERSION=9\r\n[COMMON]\0\r\n"),
                   "3.1"},
        // More than 1 MB: 4128 pieces of 254 "a", then a key line of its own.
        BadIniCase{"MegabyteLine", "[MANAGER]\r\n" + std::string(254 * 4128, 'a') + "VERSION=4.2\r\n", "4.2"},
        // Text mode ends the file at a Ctrl-Z: the last VERSION is
        // never read.
        BadIniCase{"CtrlZ", "[MANAGER]\r\nVERSION=5.0\r\n\x1a\r\nVERSION=6.0\r\n", "5.0"},
        BadIniCase{"Utf16WithByteOrderMark",
                   literalBytes("\xFF\xFE[\0M\0A\0N\0A\0G\0E\0R\0]\0\r\0\n\0V\0E\0R\0S\0I\0O\0N\0=\0"
                                "7\0\r\0\n\0"),
                   ""}),
    byName);

}  // namespace
}  // namespace e2e
