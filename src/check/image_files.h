// Finding the INI file of an installation image, and deciding whether a
// file can be checked at all.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace launcher::check {

/// The launcher of an image: the .ini beside a .exe of the same base name.
struct LauncherFiles {
    std::string ini;                  ///< file name of the INI file
    std::string exe;                  ///< file name of the launcher program
    std::vector<std::string> others;  ///< further launchers, not chosen
};

/// Returns the launcher among the file names of one folder, matching names
/// in any letter case as Windows does; the first by name when there are
/// several; nothing when no .ini file has a .exe of the same base name.
std::optional<LauncherFiles> chooseLauncher(std::vector<std::string> names);

/// Returns every byte of the file at path, or nothing when it cannot be
/// opened for reading.
std::optional<std::string> readBytes(Platform& platform, const std::string& path);

/// Returns why the file at path cannot be checked, or empty when it is
/// readable text: it must exist, be no folder, open for reading, and hold
/// no NUL byte (files with one are binary, or UTF-16 text).
std::string checkReadableText(Platform& platform, const std::string& path);

}  // namespace launcher::check
