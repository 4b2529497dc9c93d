// How the installer and the agent split the command line that the launcher
// builds for them, and the findings about ARG lines that do not arrive as
// written (checkArgLines, declared with the other checks in ini_lint.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher::check {

/// How a program splits its command line.
enum class SplitRules {
    /// The C runtime's rules: blanks and tabs separate outside quotation
    /// marks; a backslash escapes a quotation mark, and 2n backslashes
    /// before a mark stand for n.
    CRuntime,
    /// Windows Installer's: the same, but a backslash is an ordinary character.
    WindowsInstaller,
};

/// Returns the arguments of line as a program with those rules reads them.
/// Inside quotation marks, two marks stand for one literal mark.
std::vector<std::string> splitCommandLine(std::string_view line, SplitRules rules);

}  // namespace launcher::check
