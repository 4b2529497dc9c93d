// Where the installed agent lives: a registry value, or else a reference
// properties file whose path may hold one folder placeholder.
#pragma once

#include <span>
#include <string>

#include "discovery/installed_version.h"
#include "messages/trace_file.h"
#include "platform/platform.h"
#include "platform/spelled_path.h"

namespace launcher {

/// The results of a lookup, as the launch sequence keeps them.
struct AgentDiscovery {
    std::string refLocation;  ///< kept when a named source cannot be opened
    std::string refVersion;   ///< empty when no installed version was found
};

/// What a lookup reads; fields are named where it is made.
struct AgentSources {
    std::string iniManagerLocationKey;
    std::string iniManagerLocationFile;
    int isUserAdmin = 0;
    std::string launcherDir;
};

/// The folders that placeholders stand for.
enum class PlaceholderFolder { Documents, Profile, LauncherDir, AppData };

/// One folder placeholder of a reference-file path, matched case-sensitively.
struct FolderPlaceholder {
    const char* text;
    PlaceholderFolder folder;
};

/// Returns the placeholders in the order in which they are looked for.
[[nodiscard]] std::span<const FolderPlaceholder> folderPlaceholders();

/// Returns the hive's name as Windows writes it: "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
[[nodiscard]] const char* registryHiveName(RegistryHive hive);

/// Returns the hive that a lookup reads: the machine's for an
/// administrator run, else the user's.
[[nodiscard]] RegistryHive locationHive(int isUserAdmin);

/// The value that names the agent's folder, in the registry key and the reference file.
inline constexpr const char* kLocationValueName = "location";

/// Largest registry string read, terminator included.
inline constexpr std::size_t kRegistryValueLimit = 255;

/// Sets refLocation from the registry key (when named) or else the
/// reference file, then refVersion from the agent's files. Traces both, and
/// notes the key and files it read in record when one is given.
void findInstalledAgent(Platform& platform, TraceFile& trace, const AgentSources& sources, AgentDiscovery& result,
                        LookupRecord* record = nullptr);

/// Reads the string value, a path, into output, from the program's own
/// registry view or, when the key or the value is missing there, from the
/// 64-bit view: untouched when the key opens in neither, empty when the
/// value is missing or longer than 254 bytes. A REG_EXPAND_SZ value is
/// expanded; the path is spelled as spellPath does, and one longer than 254
/// bytes gives empty. Returns false when the path cannot be named (output
/// then holds it with "?").
[[nodiscard]] bool readRegistryString(Platform& platform, RegistryHive hive, const std::string& key,
                                      const std::string& valueName, std::string& output);

/// Returns the placeholder that expandFolderPlaceholders replaces in text:
/// the first of the table that occurs; null when none does.
[[nodiscard]] const FolderPlaceholder* replacedPlaceholder(const CodePage& codePage, const std::string& text);

/// Returns text with the first occurrence of the first placeholder of the
/// table that occurs in it replaced by its folder, spelled as spellPath
/// does; a folder the system cannot deliver leaves the placeholder as written.
[[nodiscard]] SpelledPath expandFolderPlaceholders(Platform& platform, const std::string& text, int isUserAdmin,
                                                   const std::string& launcherDir);

}  // namespace launcher
