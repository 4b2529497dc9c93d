// Merging the command line with the INI file: the command line wins where
// it says something, the INI file supplies the rest.
#pragma once

#include "launcher/launcher_state.h"
#include "platform/platform.h"

namespace launcher {

/// Fills the effective settings of state (and isWait, which silent
/// operation forces on); writes no trace.
void resolveEffectiveSettings(Platform& platform, LauncherState& state);

}  // namespace launcher
