// Checking a launcher INI file: every line is read exactly as the launcher
// reads it (the same 254-character pieces, the same classification), and
// each line that the launcher ignores, or reads differently from how it
// looks, becomes a finding. Values are then checked against the image.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "check/findings.h"
#include "config/launcher_ini.h"
#include "platform/platform.h"
#include "platform/text_file.h"

namespace launcher::check {

/// Where a value begins in the file.
struct ValuePlace {
    int line = 0;
    int column = 0;
};

/// What a walk through the file found.
struct IniWalk {
    IniValues values;                            ///< what the launcher reads
    std::map<const IniKey*, ValuePlace> places;  ///< where each text key was last set
    /// Where each entry of a list key (ARG) was set, in the list's order.
    std::map<const IniKey*, std::vector<ValuePlace>> listPlaces;
    std::map<std::string, int> ignoredKeys;  ///< key name to the first ignored line that names it
    std::vector<Finding> findings;
};

/// Reads every line from reader as the launcher does and records findings
/// about the lines themselves.
IniWalk walkIniLines(TextLineReader& reader);

/// Adds findings about the values: the installer in the image, the MSI
/// name, the agent's program, the required version and the location of an
/// installed agent. launcherDir ends with a backslash.
void checkIniValues(Platform& platform, const std::string& launcherDir, IniWalk& walk);

/// Adds findings about ARG lines that their program will not receive as
/// written, split the way the installer or agent splits its command line.
void checkArgLines(Platform& platform, IniWalk& walk);

/// Checks the INI file at iniPath (readable text, see checkReadableText)
/// of a launcher in launcherDir; findings come sorted by place.
std::vector<Finding> lintIniFile(Platform& platform, const std::string& iniPath, const std::string& launcherDir);

/// Returns "[INSTALLER]", "[MANAGER]" or "[COMMON]"; "no section" for None.
std::string sectionLabel(IniSection section);

/// Returns text without blanks and tabs at either end.
std::string trimBlanksAndTabs(std::string_view text);

/// Returns text with its letters in lower case.
std::string lowered(std::string text);

/// Returns text with its first letter in upper case.
std::string capitalized(std::string text);

/// Returns the items separated by ", ", the last two by last (" and ").
std::string joined(const std::vector<std::string>& items, const std::string& last);

}  // namespace launcher::check
