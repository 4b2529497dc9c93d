// What the launcher would do: launcher-check runs the launcher's own launch
// sequence on a model of the machine that changes nothing, plays the
// installer and the agent as the machine's description says (ChildModel),
// and shows what the run read, built, started and showed, from the
// launcher's own trace, with its exit code.
#pragma once

#include <string>
#include <vector>

#include "check/env_platform.h"
#include "check/findings.h"
#include "launcher/command_line.h"
#include "platform/platform.h"

namespace launcher::check {

/// Explains a run of the launcher program at launcherPath (a Windows path)
/// with options, the launcher options that follow the program name.
[[nodiscard]] Explanation explainRun(Platform& platform, const ChildModel& children, const std::string& launcherPath,
                                     const std::vector<CommandArgument>& options);

}  // namespace launcher::check
