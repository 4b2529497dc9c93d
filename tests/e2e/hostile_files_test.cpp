// Files and registry values that are not what the launcher expects, read by
// the real launcher: agent files of 100 MB or of binary bytes, a reference
// file that is a folder, a "location" value of the wrong type or length, an
// INI file with 300 "ARG" lines. Each run ends with its documented outcome,
// in reasonable time, and writes nothing but its trace (and the started
// agent its own record).
#include <windows.h>

#include <fstream>

#include "e2e.h"

namespace e2e {
namespace {

const char* const kConfigIni = "agent\\eclipse\\configuration\\config.ini";
const char* const kInstalledXml = "agent\\data\\installed.xml";
constexpr std::uint64_t k100MB = 100ull * 1024 * 1024;

// A file of that many NUL bytes (written past the end, quick to make), then tail.
void writeSparseFile(const std::string& path, std::uint64_t zeros, const std::string& tail) {
    std::ofstream file(path, std::ios::binary);
    EXPECT_TRUE(file.seekp(static_cast<std::streamoff>(zeros)) << tail) << path;
}

// The agent's folder named with "\." segments up to exactly length
// characters.
std::string paddedLocation(const InstallImage& image, std::size_t length) {
    std::string location = image.path("agent");
    while (location.size() + 2 <= length) location += "\\.";
    if (location.size() < length) location += "\\";
    return location;
}

// What a run must show beyond its outcome.
struct Expectation {
    std::string traceLines;           ///< lines the trace holds
    std::string agentArguments = "";  ///< what a started agent gets after its program
};

// Each prepares the image beyond its INI file and an installed agent 2.0.1
// in image\agent, registered under kAgentKey.
Expectation hugeConfigIni(LauncherImage& image) {
    // The zeros end in a line feed, so the key line arrives whole.
    writeSparseFile(image.path(kConfigIni), k100MB, "\n" + agentFiles(image.path("agent"), "2.0.1")[0].content);
    return {"appDataDir: (" + image.path("agent\\data") + ")\n"};
}

Expectation hugeInstalledXml(LauncherImage& image) {
    writeSparseFile(image.path(kInstalledXml), k100MB, "\n" + agentFiles(image.path("agent"), "2.0.1")[1].content);
    return {"currVersion: (2.0.1)\n"};
}

Expectation binaryConfigIni(LauncherImage& image) {
    image.writeFile(kConfigIni, binaryBytes(256 * 1024));
    return {"configFile: (" + image.path(kConfigIni) + ")\n\nInstalled Agent Info\n"};
}

Expectation referenceFileIsAFolder(LauncherImage& image) {
    image.writeFile("agent.properties\\location", "location=" + image.path("agent") + "\r\n");
    return {"refFile: (" + image.path("agent.properties") + ")\nGet Installed QM Version: \nqmLocatoin: ()\n"};
}

// Registry data are bytes: a DWORD 0x41424344 reads as "DCBA".
Expectation dwordLocation(LauncherImage&) {
    setRegistryValue(Hive::LocalMachine, kAgentKey, "location", REG_DWORD, "DCBA");
    return {"qmLocatoin: (DCBA)\nconfigFile: (DCBA\\eclipse\\configuration\\config.ini)\n\n"};
}

// 254 characters and the terminator fill the 255 bytes the launcher reads:
// the value is taken whole (the agent's files under it are then beyond the
// platform's path length, so the agent counts as missing).
Expectation location254(LauncherImage& image) {
    image.registerAgent(paddedLocation(image, 254));
    return {"qmLocatoin: (" + paddedLocation(image, 254) + ")\n"};
}

Expectation location255(LauncherImage& image) {
    image.registerAgent(paddedLocation(image, 255));
    return {"qmLocatoin: ()\n"};
}

Expectation location300(LauncherImage& image) {
    image.registerAgent(paddedLocation(image, 300));
    return {"qmLocatoin: ()\n"};
}

// More "ARG" lines than an argument vector of 254 elements holds: the agent
// gets all of them.
Expectation threeHundredArgLines(LauncherImage& image) {
    std::string lines;
    std::string arguments;
    for (int i = 1; i <= 300; ++i) {
        lines += "ARG=a" + std::to_string(i) + "\r\n";
        arguments += " a" + std::to_string(i);
    }
    image.writeFile("qmlaunch.ini", image.readFile("qmlaunch.ini") + lines);
    return {"iniManagerArgs[299]: (a300)\n", arguments};
}

struct HostileCase : Case {
    const char* source;  ///< the [MANAGER] line that names where the agent is
    Expectation (*prepare)(LauncherImage& image);
    bool started;  ///< the agent starts; else the box 2011 and exit code 1
};

class HostileFiles : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileFiles, DocumentedOutcomeAndNoOtherWrites) {
    const HostileCase& row = GetParam();
    LauncherImage image(std::string("[MANAGER]\r\n") + row.source +
                        "\r\nVERSION=2.0\r\nLAUNCHER=eclipse\\agent.exe\r\n");
    image.registerAgent(image.addAgent("agent", "2.0.1"));
    const Expectation expected = row.prepare(image);
    const std::string traceLines = withCrLf(expected.traceLines);
    const Strings roots = {image.dir(), "C:\\users", "C:\\ProgramData"};
    std::vector<Strings> before;
    for (const std::string& root : roots) before.push_back(treeListing(root));

    const ULONGLONG start = GetTickCount64();
    const RunResult result = image.launch("-wait -log trace.log");
    const ULONGLONG elapsed = GetTickCount64() - start;

    EXPECT_EQ(result.exitCode, row.started ? 0 : 1);
    EXPECT_EQ(result.boxes, row.started ? Boxes{} : Boxes{errorBox("agentNotFound", "2.0")});
    EXPECT_EQ(image.stubCalls("agent\\eclipse\\agent.exe"),
              row.started ? Strings{"\"" + image.path("agent\\eclipse\\agent.exe") + "\"" + expected.agentArguments}
                          : Strings{});
    const std::string trace = image.readFile("trace.log");
    EXPECT_NE(trace.find(traceLines), std::string::npos) << "no\n" << traceLines << "\nin\n" << trace;
    EXPECT_LT(elapsed, 10000u);
    for (std::size_t i = 0; i < roots.size(); ++i) {
        Strings after;
        for (const std::string& line : treeListing(roots[i])) {
            const bool expectedWrite =
                i == 0 && (line.rfind("\\trace.log ", 0) == 0 || line.rfind("\\agent\\eclipse\\agent.calls ", 0) == 0);
            if (!expectedWrite) after.push_back(line);
        }
        EXPECT_EQ(after, before[i]) << "written under " << roots[i];
    }
}

const char* const kKey = "LOCATION_KEY=Software\\QuillmarkE2E\\Agent";

INSTANTIATE_TEST_SUITE_P(
    , HostileFiles,
    ::testing::Values(HostileCase{"ConfigIniOf100MB", kKey, hugeConfigIni, true},
                      HostileCase{"InstalledXmlOf100MB", kKey, hugeInstalledXml, true},
                      HostileCase{"BinaryConfigIni", kKey, binaryConfigIni, false},
                      HostileCase{"ReferenceFileIsAFolder", "LOCATION_FILE=<CURRDIR>agent.properties",
                                  referenceFileIsAFolder, false},
                      HostileCase{"LocationIsADword", kKey, dwordLocation, false},
                      HostileCase{"LocationOf254Characters", kKey, location254, false},
                      HostileCase{"LocationOf255Characters", kKey, location255, false},
                      HostileCase{"LocationOf300Characters", kKey, location300, false},
                      HostileCase{"IniWithThreeHundredArgLines", kKey, threeHundredArgLines, true}),
    byName);

}  // namespace
}  // namespace e2e
