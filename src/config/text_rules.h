// Small text rules shared by the INI file, the reference file and the
// settings: key=value lines, blank trimming and truth words.
#pragma once

#include <string>
#include <string_view>

#include "platform/windows_rules.h"

namespace launcher {

/// Splits line at its first "=" into an untrimmed key and value. Returns 0
/// and fills both, or 1 and leaves them untouched when the line has no "="
/// or begins with it.
[[nodiscard]] int splitKeyValue(std::string_view line, std::string& key, std::string& value);

/// Returns text without its leading and trailing blanks; only the blank
/// counts, tabs stay.
[[nodiscard]] std::string trimSpaces(std::string_view text);

/// Returns true for "true" or "yes" in any letter case (as the user's
/// locale has it); nothing is trimmed.
[[nodiscard]] bool isTrueWord(std::string_view text);

/// Returns true for "false" or "no" in any letter case; nothing is trimmed.
[[nodiscard]] bool isFalseWord(std::string_view text);

}  // namespace launcher
