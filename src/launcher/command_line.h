// The launcher's options: a few flags and values, then two lists of
// arguments passed through to the installer and to the agent.
#pragma once

#include <string>
#include <vector>

#include "launcher/launcher_state.h"
#include "platform/platform.h"
#include "platform/spelled_path.h"

namespace launcher {

/// One argument of the command line, in the system code page.
struct CommandArgument {
    /// As Windows spells the command line in that code page: a look-alike,
    /// or "?", for a character it lacks.
    std::string text;
    /// The same argument as a path that the file functions accept.
    SpelledPath path;

    CommandArgument(std::string spelledText) : text(spelledText), path{std::move(spelledText)} {}
    CommandArgument(std::string spelledText, SpelledPath spelledPath)
        : text(std::move(spelledText)), path(std::move(spelledPath)) {}
};

/// Returns the arguments as Windows handed them over (UTF-16, split by the
/// C runtime), each as text and as a path.
[[nodiscard]] std::vector<CommandArgument> commandArguments(Platform& platform,
                                                            const std::vector<std::u16string>& arguments);

/// What parseCommandLine found.
enum class ParseResult { Continue, HelpRequested };

/// Reads arguments (element 0, the program, is not looked at) into the
/// command-line fields; the options that name a file or folder (-input,
/// -appDataLocation, -log) take the argument as a path. Unknown arguments
/// are skipped; a value option without a value is ignored. Returns
/// HelpRequested at a help option before any list, without reading further.
[[nodiscard]] ParseResult parseCommandLine(const std::vector<CommandArgument>& arguments, CommandLineValues& values);

/// Shows the usage box (messages 2004 and 2005 with launcherName).
void showUsage(Platform& platform, const std::string& launcherName);

}  // namespace launcher
