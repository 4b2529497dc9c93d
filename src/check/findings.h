// What launcher-check finds and shows: warnings about INI lines, and the
// sections of an explained run. Both render as plain text or as JSON.
#pragma once

#include <string>
#include <vector>

namespace launcher::check {

/// Exit codes of launcher-check.
inline constexpr int kExitClean = 0;       ///< nothing to report, or a run explained
inline constexpr int kExitWarnings = 1;    ///< at least one warning
inline constexpr int kExitUnreadable = 2;  ///< the INI file cannot be checked (or bad options)

/// One warning about a place in the INI file.
struct Finding {
    int line = 0;         ///< 1-based physical line; 0 for the file as a whole
    int column = 0;       ///< 1-based, in characters of the line; 0 with line 0
    std::string rule;     ///< short stable name, such as "key-blank"
    std::string message;  ///< the rule, in a plain sentence
    std::string effect;   ///< what the launcher does with the line
    std::string fix;      ///< a suggested fix
};

/// The result of checking one INI file.
struct LintReport {
    std::string file;                ///< as the user named it
    std::vector<std::string> notes;  ///< how the file was chosen
    std::vector<Finding> findings;   ///< in line and column order
    std::string error;               ///< set when the file cannot be checked
};

/// Version of the JSON output's layout; raised whenever a member changes
/// its meaning or type, or disappears.
inline constexpr int kJsonSchemaVersion = 2;

/// One value of an explained run. Its value is only the value; words about
/// it go in note.
struct Field {
    enum class Kind {
        Text,
        Number,
        Flag,  ///< 1 or 0: JSON 1 or 0, text yes or no
        List,
        None,  ///< no value can be known before the run: JSON null
    };
    std::string label;
    Kind kind = Kind::Text;
    std::string text;
    long number = 0;
    std::vector<std::string> list;
    std::string note;  ///< prose about the value, or empty
};

/// A group of values, such as the effective settings.
struct Section {
    std::string name;
    std::vector<Field> fields;

    void text(const std::string& label, const std::string& value, const std::string& note = std::string());
    void number(const std::string& label, long value, const std::string& note = std::string());
    void flag(const std::string& label, bool value, const std::string& note = std::string());
    void list(const std::string& label, const std::vector<std::string>& values,
              const std::string& note = std::string());
    void none(const std::string& label, const std::string& note);
};

/// What --explain found.
struct Explanation {
    std::vector<std::string> notes;  ///< how the file was chosen
    std::vector<Section> sections;
    std::string error;  ///< set when the run cannot be explained
};

/// Returns the exit code that a report stands for.
[[nodiscard]] int exitCodeOf(const LintReport& report);

/// Returns the report as plain text: one block per finding, then a summary.
[[nodiscard]] std::string renderText(const LintReport& report);

/// Returns the report as one JSON object.
[[nodiscard]] std::string renderJson(const LintReport& report);

/// Returns the explanation as plain text, one "label: value" line per field.
[[nodiscard]] std::string renderText(const Explanation& explanation);

/// Returns the explanation as one JSON object, a member per section.
[[nodiscard]] std::string renderJson(const Explanation& explanation);

/// Returns text with valid UTF-8 unchanged and every other byte taken as
/// the Latin-1 character of that number.
[[nodiscard]] std::string asUtf8(const std::string& text);

/// Returns text as a JSON string literal; bytes that are no valid UTF-8
/// are taken as Latin-1 characters (see asUtf8).
[[nodiscard]] std::string jsonString(const std::string& text);

}  // namespace launcher::check
