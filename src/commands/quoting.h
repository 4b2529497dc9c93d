// Quoting rules for command-line elements, and the table that turns a
// locale name into the language identifier an executable installer takes.
// Elements are joined with single blanks later, so each one carries its own
// quotes. Only the blank (32) counts as a blank here.
#pragma once

#include <string>

namespace launcher {

/// Returns value unchanged without a blank; with a blank and an "=", a
/// quotation mark after every "=" and one at the end; otherwise the value
/// in quotation marks.
[[nodiscard]] std::string quoteArg(const std::string& value);

/// Returns value in quotation marks when it holds a blank, else unchanged.
[[nodiscard]] std::string wrapIfBlank(const std::string& value);

/// Returns text with a backslash put before every quotation mark.
[[nodiscard]] std::string escapeQuotes(const std::string& text);

/// Returns the decimal language identifier for a locale name such as
/// de_DE ("1033" when the table has no row for it); empty for an empty name.
[[nodiscard]] const char* lcidForLocale(const std::string& locale);

}  // namespace launcher
