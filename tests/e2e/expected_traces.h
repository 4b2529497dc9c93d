// Traces written out in full, as the launcher must write them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"

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

/// Tokens of a golden trace ("${IMAGE}") and the texts that stand for them.
using TraceTokens = std::vector<std::pair<std::string, std::string>>;

/// Returns text with each token replaced, in the order of tokens.
std::string withTokens(std::string text, const TraceTokens& tokens);

/// Returns the golden trace tests/e2e/expected/<name> with its tokens
/// replaced and CR LF line ends, as the launcher must write it. The files
/// are written by hand from the trace formats; some lines end in blanks.
std::string goldenTrace(const std::string& name, const TraceTokens& tokens);

/// Succeeds when trace ends with expectedEnd (LF line ends, tokens replaced,
/// then compared as CR LF); on failure shows both ends.
::testing::AssertionResult traceEndsWith(const std::string& trace, const std::string& expectedEnd,
                                         const TraceTokens& tokens);

}  // namespace e2e
