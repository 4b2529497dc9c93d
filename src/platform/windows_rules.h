// Windows rules that need no system call, for the platforms that stand in
// for Windows (the in-memory test platform, launcher-check's described
// machine) and for portable code. Each follows the documented behaviour of
// the Windows function named beside it, so that the stand-ins agree with
// Windows and with each other.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace launcher {

/// Returns true when both names are equal with ASCII letters in any case,
/// as Windows compares the names of environment variables, registry keys
/// and values, and files; other bytes, the second bytes of double-byte
/// characters among them, must be equal. Unlike the truth words, it does
/// not follow the user's locale.
[[nodiscard]] bool equalsAsciiIgnoringCase(std::string_view a, std::string_view b);

/// The same for a UTF-16 name and an ASCII one.
[[nodiscard]] bool equalsAsciiIgnoringCase(std::u16string_view a, std::string_view b);

/// Returns PathIsRelativeA's answer: 0 for a path that begins with a
/// backslash, or whose second character is a colon after a single-byte
/// first one ("\x", "C:x", "C:\x"); 1 for anything else, a forward slash
/// and the empty path included.
[[nodiscard]] int pathIsRelativeLikeShell(const CodePage& codePage, std::string_view path);

/// A variable's value by its name, or nothing when it is not set.
using VariableLookup = std::function<std::optional<std::u16string>(std::u16string_view name)>;

/// Returns text expanded as ExpandEnvironmentStrings does: each %name% of a
/// set variable is replaced by its value; a percent sign that opens no set
/// variable stays as written, and the scan goes on after it, so that the
/// closing sign of an unset name may open the next one.
[[nodiscard]] std::u16string expandLikeWindows(std::u16string_view text, const VariableLookup& value);

}  // namespace launcher
