// The launcher's options: a few flags and values, then two lists of
// arguments passed through to the installer and to the agent.
#pragma once

#include <string>
#include <vector>

#include "launcher/launcher_state.h"
#include "platform/platform.h"

namespace launcher {

/// What parseCommandLine found.
enum class ParseResult { Continue, HelpRequested };

/// Reads arguments (element 0, the program, is not looked at) into the
/// command-line fields. Unknown arguments are skipped; a value option
/// without a value is ignored. Returns HelpRequested at a help option
/// before any list, without reading further.
ParseResult parseCommandLine(const std::vector<std::string>& arguments, CommandLineValues& values);

/// Shows the usage box (messages 2004 and 2005 with launcherName).
void showUsage(Platform& platform, const std::string& launcherName);

}  // namespace launcher
