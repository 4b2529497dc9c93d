// launcher-check as a whole: its options, the choice of the INI file, the
// platform to read through, and the output.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace launcher::check {

/// Runs launcher-check on its arguments (the program name not included),
/// in UTF-8.
/// Reports go to out; usage errors to err. native is the machine's own
/// platform (Windows), or null where only an environment file can
/// describe a machine. Returns the exit code.
[[nodiscard]] int runTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                          Platform* native);

}  // namespace launcher::check
