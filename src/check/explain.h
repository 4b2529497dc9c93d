// What the launcher would do: its identity and INI file, the effective
// settings, where it looks for an installed agent and what it finds, and
// the exact installer and agent command lines, all computed by the
// launcher's own functions over a platform that refuses to change anything.
#pragma once

#include <string>
#include <vector>

#include "check/findings.h"
#include "platform/platform.h"

namespace launcher::check {

/// Explains a run of the launcher program at launcherPath (a Windows path)
/// with options, the launcher options that follow the program name.
Explanation explainRun(Platform& platform, const std::string& launcherPath, const std::vector<std::string>& options);

}  // namespace launcher::check
