// Traces written out in full, as the launcher must write them.
#pragma once

#include <string>

namespace e2e {

/// The identity of a launcher as its trace shows it.
struct TracedIdentity {
    std::string fullPath;
    std::string dir;  ///< with its trailing backslash
    std::string file;
    std::string name;
};

/// The INI file of the short trace: only a required version.
inline constexpr const char* kVersionOnlyIni = "[MANAGER]\r\nVERSION=2.0\r\n";

/// Returns the trace, with CR LF line ends, of a run of a launcher whose INI
/// file is kVersionOnlyIni and whose command line is only "-log logFile",
/// by a user for whom no agent is installed: it ends at "no installer
/// configured" in INSTALL mode.
std::string versionOnlyTrace(const TracedIdentity& identity, const std::string& logFile);

}  // namespace e2e
