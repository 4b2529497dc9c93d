// Paths that Windows hands over in UTF-16 (the launcher's own path, the
// command line, the current directory, the environment, special folders,
// registry values), spelled in the system code page that every other part
// of the launcher works in. A folder such as C:\Users\张伟 on a Western
// European Windows has characters that code page lacks; its short (8.3)
// name, which every ANSI function accepts, stands in for it.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace launcher {

/// A path as the launcher can use it.
struct SpelledPath {
    /// The path in the system code page. When named is false: the code
    /// page's own spelling, its default character ("?") for what it lacks.
    std::string text;
    /// False when a part of the path has characters the code page lacks,
    /// and the file system has no short name for it that the code page can
    /// spell: the path cannot be named, and nothing of that name is found.
    bool named = true;
};

/// Spells path, part by part between separators: a part that the code page
/// spells exactly (no look-alike stands in) stays as written; any other
/// part becomes the last part of the short name of the path up to it. A
/// part that does not exist yet, such as a new file in an existing folder,
/// stays only when the code page spells it.
[[nodiscard]] SpelledPath spellPath(Platform& platform, std::u16string_view path);

/// Spells every part of a list between semicolons, as PATH holds them.
[[nodiscard]] std::string spellPathList(Platform& platform, std::u16string_view list);

}  // namespace launcher
