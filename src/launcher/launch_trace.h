// The trace blocks that the launch sequence writes itself.
#pragma once

#include <string_view>

#include "launcher/launcher_state.h"

namespace launcher {

/// Writes the launcher, INI file and command-line blocks.
void writeStartBlocks(TraceFile& trace, const LauncherState& state);

/// Writes the "Mode" block: the effective settings.
void writeModeBlock(TraceFile& trace, const LauncherState& state);

/// Writes the installed-agent block under title, then "Expected Agent Info".
void writeAgentInfoBlocks(TraceFile& trace, const LauncherState& state, std::string_view title);

}  // namespace launcher
