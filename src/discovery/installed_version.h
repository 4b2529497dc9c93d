// The version of an installed agent, read from its own files in two hops:
// config.ini names the data directory, whose installed.xml records the
// agent package and its version.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "messages/trace_file.h"
#include "platform/platform.h"

namespace launcher {

/// The key of config.ini that names the agent's data folder.
inline constexpr std::string_view kDataLocationKey = "tessa.appDataLocation";

/// The attribute of installed.xml's line that records the agent package.
inline constexpr std::string_view kPackageId = "id='com.norvex.tessa.agent'";

/// The registry key and files a lookup consulted, as its trace names them;
/// for tools that show them without reading a trace.
struct LookupRecord {
    std::string registryKey;   ///< the key read, with its hive, such as "HKEY_CURRENT_USER\Software\Agent"
    std::string refFile;       ///< the reference file, its placeholder replaced
    std::string configFile;    ///< the agent's config.ini
    std::string appDataDir;    ///< the data directory that config.ini names
    std::string installedXml;  ///< the package record in that directory
};

/// Returns the version of the agent installed at location, or nothing.
/// Traces each path it reads, and notes it in record when one is given.
[[nodiscard]] std::optional<std::string> installedAgentVersion(Platform& platform, TraceFile& trace,
                                                               const std::string& location,
                                                               LookupRecord* record = nullptr);

/// Sets output to the value of the last usable tessa.appDataLocation line of
/// the file; leaves output as it was when the file cannot be opened.
void readConfigValue(FileReader& files, const std::string& path, std::string& output);

/// Sets output to the version of the first line naming the agent package;
/// leaves output as it was when the file cannot be opened.
void readPackageVersion(FileReader& files, const std::string& path, std::string& output);

/// Returns source without the backslash of an escaped drive colon ("C\:").
[[nodiscard]] std::string unescapeDriveColon(const CodePage& codePage, const std::string& source);

/// Returns source with runs of separators halved (a pair becomes one); two
/// leading backslashes of a share path stay.
[[nodiscard]] std::string collapseSeparators(const CodePage& codePage, const std::string& source);

}  // namespace launcher
