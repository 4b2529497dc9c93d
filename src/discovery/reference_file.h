// Reference properties files: key=value lines, of which the launcher wants
// one key; the first line of a key wins.
#pragma once

#include <string>

#include "platform/platform.h"

namespace launcher {

/// Reads key from the properties file at path into output. Returns 0 when
/// found; -1 when the file cannot be opened (output untouched) or the key is
/// absent (output empty).
[[nodiscard]] int readProperty(FileReader& files, const std::string& path, const std::string& key, std::string& output);

}  // namespace launcher
