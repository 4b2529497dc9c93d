// The agent's own files: config.ini (which names the data directory) and
// installed.xml (which records the agent package and its version). The
// input is config.ini, a byte 0x1E, then installed.xml; installed.xml is
// served wherever the launcher looks for it, so both hops are exercised
// whatever data directory config.ini names.

#include "discovery/installed_version.h"
#include "fuzz_support.h"

using namespace launcher;

namespace {

const char* const kLocation = "C:\\Program Files\\Agent\\";
const char* const kConfigPath = "C:\\Program Files\\Agent\\eclipse\\configuration\\config.ini";
const char* const kTracePath = "C:\\trace.txt";

class AgentFilesPlatform : public testing::MemoryPlatform {
public:
    AgentFilesPlatform(testing::MemoryPlatform base, std::string installedXml)
        : testing::MemoryPlatform(std::move(base)), installedXml_(std::move(installedXml)) {}

    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        if (path.ends_with("\\installed.xml")) files[path] = installedXml_;
        return testing::MemoryPlatform::openForReading(path);
    }

private:
    std::string installedXml_;
};

}  // namespace

FUZZ_TARGET(input) {
    const std::vector<std::string_view> parts = fuzzing::splitAt(input, '\x1e', 2);
    const std::string configIni(parts[0]);
    const std::string installedXml(parts.size() > 1 ? parts[1] : std::string_view());

    AgentFilesPlatform platform(fuzzing::freshPlatform(), installedXml);
    platform.addFile(kConfigPath, configIni);

    std::string dataLocation = "before";
    readConfigValue(platform, kConfigPath, dataLocation);
    fuzzing::checkPieceValue(std::strlen("tessa.appDataLocation="), dataLocation, input);

    std::string version = "before";
    readPackageVersion(platform, "C:\\data\\installed.xml", version);
    fuzzing::checkPieceValue(std::strlen("version='") + 1, version, input);
    FUZZ_CHECK(version.find('\'') == std::string::npos, input, version);

    // The two hops give the version that installed.xml records, or nothing;
    // nothing as well when config.ini names no data directory.
    TraceFile trace;
    trace.open(platform, kTracePath);
    const std::optional<std::string> installed = installedAgentVersion(platform, trace, kLocation);
    trace.close();
    if (installed) {
        FUZZ_CHECK(!installed->empty(), input);
        FUZZ_CHECK(*installed == version, input, *installed, version);
        FUZZ_CHECK(!dataLocation.empty(), input, dataLocation);
    }
    if (version.empty() || dataLocation.empty()) FUZZ_CHECK(!installed, input);

    // The trace is written in text mode: every line feed follows a CR.
    const std::string& written = platform.written[kTracePath];
    for (std::size_t i = written.find('\n'); i != std::string::npos; i = written.find('\n', i + 1)) {
        FUZZ_CHECK(i > 0 && written[i - 1] == '\r', input, written);
    }

    // Helpers of the second hop, on the raw config value.
    const std::string unescaped = unescapeDriveColon(CodePage(), dataLocation);
    FUZZ_CHECK(unescaped.size() == dataLocation.size() || unescaped.size() + 1 == dataLocation.size(), dataLocation,
               unescaped);
    const std::string collapsed = collapseSeparators(CodePage(), unescaped);
    FUZZ_CHECK(collapsed.size() <= unescaped.size(), unescaped, collapsed);
}
