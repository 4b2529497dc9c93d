// The rules about single lines of the INI file: what makes the launcher
// ignore a line, or read it differently from how it looks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/findings.h"
#include "config/launcher_ini.h"

namespace launcher::check {

struct IniWalk;

/// What one continuation piece of a long line does.
struct PieceEffect {
    int column;
    IniLineKind kind;
    IniSection header;
    const IniKey* entry;
};

/// Adds findings about lines to a list.
class LineRules {
public:
    explicit LineRules(IniWalk& walk);

    /// Checks the first piece of line number as the reader classified it in
    /// section; closedBy is the line that closed the last section (0: none
    /// opened yet). Call before the line is applied to the walk.
    void check(int number, std::string_view line, const IniLine& parsed, IniSection section, int closedBy);

    /// Reports a line of length characters that the reader cut into pieces,
    /// when the cut changes what the launcher reads.
    void cut(int number, std::size_t length, const IniLine& first, const std::vector<PieceEffect>& rest);

private:
    void add(int line, int column, std::string rule, std::string message, std::string effect, std::string fix);
    void bracketLine(int number, std::string_view line, const std::string& trimmed, IniSection section);
    void outsideSection(int number, std::string_view line, int closedBy);
    void noKey(int number, std::string_view line, IniSection section);
    void unknownKey(int number, const IniLine& parsed, IniSection section);
    void keyLine(int number, const IniLine& parsed);
    void ignored(int number, std::string_view key);
    bool valueText(int number, int column, const IniKey& entry, const std::string& value);
    void mode(int number, int column, const std::string& value);
    void truthWord(int number, int column, const IniKey& key, const std::string& value);
    void locale(int number, int column, const std::string& value);
    void version(int number, int column, const std::string& value);
    void versionSeparator(int number, int column, const std::string& value, const std::string& dotted);

    IniWalk& walk_;
};

}  // namespace launcher::check
