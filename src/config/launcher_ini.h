// The launcher's INI file: three sections of key=value lines, read exactly
// as written. Nothing is trimmed but section headers and the MODE value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace launcher {

/// What the INI "MODE" selects: only the message shown when no installer
/// is configured.
enum class LaunchMode { INSTALL, UNINSTALL, EXTENSION };

/// Returns the mode's name as the INI file writes it.
[[nodiscard]] const char* launchModeName(LaunchMode mode);

/// The section the reader is in; Manager is the agent's section.
enum class IniSection { None, Installer, Manager, Common };

/// The values of the INI file, each as written after its "=".
struct IniValues {
    std::string iniInstallerLocation;
    std::vector<std::string> iniInstallerArgs;
    std::string iniLicenseAccepted;
    std::string iniManagerLocationKey;
    std::string iniManagerLocationFile;
    std::string iniManagerVersion;
    std::string iniManagerLauncher;
    std::string iniManagerLauncherSilent;
    std::string iniManagerInput;
    std::string iniMode;
    LaunchMode mode = LaunchMode::INSTALL;
    std::vector<std::string> iniManagerArgs;
    std::string iniSilent;
    std::string iniIsAdmin;
    std::string iniAppDataLocation;
    std::string iniNL;
};

/// What a key's value is to the launcher, and so what it does with it.
enum class ValueKind {
    InstallerFile,      ///< a file relative to the launcher's folder: the setup program or MSI package
    InputFile,          ///< a file relative to the launcher's folder, or an absolute one
    AgentProgram,       ///< a program relative to the agent's folder
    DataFolder,         ///< a folder handed to the installer and the agent as written
    RegistryKey,        ///< a key below the hive that the administrator flag chooses; "location" is read in it
    ReferenceFile,      ///< a file path with at most one folder placeholder
    TruthWord,          ///< true, yes, false or no
    Version,            ///< major.minor.micro.qualifier, compared as the launcher compares versions
    Mode,               ///< one of the launch modes
    Locale,             ///< language_REGION, which also chooses the installer's language
    InstallerArgument,  ///< one argument of the installer's command line
    AgentArgument,      ///< one argument of the agent's command line
};

/// How one key of a section is stored: into a text field or onto a list.
struct IniKey {
    IniSection section;
    const char* name;
    std::string IniValues::*text;
    std::vector<std::string> IniValues::*list;
    ValueKind kind;
};

/// Returns the table of every section's keys, in the file's documented order.
[[nodiscard]] const std::vector<IniKey>& iniKeys();

/// Returns the three sections, in the file's documented order.
[[nodiscard]] const std::vector<IniSection>& iniSections();

/// Returns the launch modes, the default first.
[[nodiscard]] const std::vector<LaunchMode>& launchModes();

/// Returns the header that opens section ("[INSTALLER]"…), or empty for none.
[[nodiscard]] const char* sectionHeader(IniSection section);

/// Returns true and sets section when the line, trimmed of blanks, is one
/// of the three headers.
[[nodiscard]] bool parseSectionHeader(std::string_view line, IniSection& section);

/// Returns the key entry of section named exactly key, or null.
[[nodiscard]] const IniKey* findIniKey(IniSection section, std::string_view key);

/// Returns true and sets mode when the MODE value, trimmed of blanks, names
/// one; otherwise mode stays as it was.
[[nodiscard]] bool parseLaunchMode(std::string_view value, LaunchMode& mode);

/// How the reader takes one line.
enum class IniLineKind {
    Comment,         ///< ";" in the very first column
    Header,          ///< one of the three headers, blanks around it allowed
    OtherBracket,    ///< any other line that begins with "[": it closes the section
    OutsideSection,  ///< no section is open: ignored
    NoKey,           ///< no "=", or "=" first: ignored
    UnknownKey,      ///< a key that the current section does not have: ignored
    Key,             ///< a key of the current section
};

/// One line as the reader takes it.
struct IniLine {
    IniLineKind kind = IniLineKind::OutsideSection;
    IniSection header = IniSection::None;  ///< the section that a Header opens
    std::string key;                       ///< for UnknownKey and Key, untrimmed
    std::string value;                     ///< for UnknownKey and Key, untrimmed
    const IniKey* entry = nullptr;         ///< for Key
};

/// Returns how the reader takes line (a piece of at most 254 characters)
/// while it is in section; applyIniLine acts on exactly this answer.
[[nodiscard]] IniLine classifyIniLine(std::string_view line, IniSection section);

/// Reads the INI file at path into values; returns false when it cannot be
/// opened, and values stay as they were.
[[nodiscard]] bool readLauncherIni(FileReader& files, const std::string& path, IniValues& values);

/// Applies one line (a piece of at most 254 characters) to values, as the
/// reader does; section is the reader's state.
void applyIniLine(std::string_view line, IniSection& section, IniValues& values);

}  // namespace launcher
