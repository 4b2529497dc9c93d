// Path functions of the launcher: program lookup the way a command shell
// does it, splitting, existence, and normalisation of "." and "..".
// The Windows rules live here as portable code; only the file-status query,
// the current directory, PATH and the code page come from the platform.
// Paths are text in the system code page, scanned character by character.
#pragma once

#include <string>

#include "platform/code_page.h"
#include "platform/platform.h"

namespace launcher {

/// Returns the path of the program file that name designates (absolute, or
/// relative to the current directory, or searched in "." and PATH), or empty.
[[nodiscard]] std::string findProgram(Platform& platform, const std::string& name);

/// Returns directory and name joined by a backslash, unless directory
/// already ends with one.
[[nodiscard]] std::string joinWithBackslash(const CodePage& codePage, const std::string& directory,
                                            const std::string& name);

/// Returns path up to and including its last backslash, or empty.
[[nodiscard]] std::string directoryPart(const CodePage& codePage, const std::string& path);

/// Returns what follows the last backslash of path (all of it without one).
[[nodiscard]] std::string filePart(const CodePage& codePage, const std::string& path);

/// Returns name cut at its last dot, unless nothing follows that dot.
[[nodiscard]] std::string stripExtension(const CodePage& codePage, const std::string& name);

/// Returns true when a file or directory of that name exists; a path with
/// a wildcard never exists.
[[nodiscard]] bool pathExists(Platform& platform, const std::string& path);

/// Removes one final slash or backslash, if there is one.
void stripTrailingSeparator(const CodePage& codePage, std::string& path);

/// Returns 1 when the shell does not call the path relative, else 0.
[[nodiscard]] int isAbsolutePath(Platform& platform, const std::string& path);

/// Resolves "." and "..", drops empty segments and writes backslashes.
/// Returns 0 on success; 1 when ".." climbs above the first segment, and
/// then output holds the input unchanged.
[[nodiscard]] int normalizePath(const CodePage& codePage, std::string& output, const std::string& input);

}  // namespace launcher
