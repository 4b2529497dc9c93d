// A Windows machine described by a small text file, for explaining a run
// away from Windows. Windows paths of the image (and of any other mapped
// folder) stand for folders of the host; registry values, special folders,
// the administrator flag, the current directory and the user's language
// come from the file; the system folder holds msiexec.exe. It never writes
// and never starts anything.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace launcher::check {

/// One registry value of the described machine.
struct RegistryEntry {
    std::string data;
    bool expandable = false;  ///< REG_EXPAND_SZ rather than REG_SZ
};

/// Which registry view a value stands in: the launcher's own (32-bit) one,
/// the 64-bit one, or both, as on 32-bit Windows.
enum class EnvView { Both, ThirtyTwoBit, SixtyFourBit };

/// What the children that a run starts do; unset parts are assumed.
struct ChildModel {
    std::optional<int> installerExit;              ///< assumed 0
    std::optional<std::string> installerVersion;   ///< the agent version it leaves, "none"; assumed: the INI's
    std::optional<std::string> installerLocation;  ///< where it leaves the agent; assumed: see explain
    std::vector<int> agentExits;                   ///< the agent's codes, run by run; assumed 0
};

/// What an environment file says; every setting has a default.
struct EnvSettings {
    std::string image = "C:\\image";  ///< the Windows folder the image stands for
    /// Further Windows folders and the host folders they stand for.
    std::vector<std::pair<std::string, std::string>> maps;
    int admin = 0;
    std::uint16_t language = 1033;
    std::string currentDir;  ///< empty: the image folder
    std::string systemDir = "C:\\Windows\\system32";
    std::map<int, std::string> folders;  ///< CSIDL to Windows path
    /// View and "hklm\key" or "hkcu\key", lower case, to value names (lower case) and entries.
    std::map<std::pair<EnvView, std::string>, std::map<std::string, RegistryEntry>> registry;
    /// Variable names in lower case; a 32-bit program's view of 64-bit Windows unless set.
    std::map<std::string, std::string> environment = {
        {"systemdrive", "C:"},
        {"systemroot", "C:\\Windows"},
        {"windir", "C:\\Windows"},
        {"programdata", "C:\\ProgramData"},
        {"allusersprofile", "C:\\ProgramData"},
        {"programfiles", "C:\\Program Files (x86)"},
        {"programfiles(x86)", "C:\\Program Files (x86)"},
        {"programw6432", "C:\\Program Files"},
        {"commonprogramfiles", "C:\\Program Files (x86)\\Common Files"},
        {"commonprogramfiles(x86)", "C:\\Program Files (x86)\\Common Files"},
        {"commonprogramw6432", "C:\\Program Files\\Common Files"},
    };
    ChildModel children;
};

/// Reads the text of an environment file into settings; hostBase is the
/// folder that relative host folders of "map" lines start from. Returns
/// an error naming the line, or empty.
[[nodiscard]] std::string parseEnvText(std::string_view text, const std::string& hostBase, EnvSettings& settings);

/// The machine of an environment file, with the image at hostImage.
class EnvPlatform : public Platform {
public:
    EnvPlatform(EnvSettings settings, std::string hostImage);

    /// Returns the host path that a Windows path stands for, each name
    /// matched in any letter case; nothing outside the mapped folders.
    [[nodiscard]] std::optional<std::string> hostPath(const std::string& windowsPath) const;

    [[nodiscard]] PathKind pathKind(const std::string& path) override;
    [[nodiscard]] std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    [[nodiscard]] std::unique_ptr<OutputFile> openForWriting(const std::string&) override { return nullptr; }
    [[nodiscard]] std::string currentDirectory() override;
    [[nodiscard]] std::optional<std::string> environmentVariable(const std::string& name) override;
    [[nodiscard]] std::string systemDirectory() override { return settings_.systemDir; }
    [[nodiscard]] CodePage systemCodePage() override { return CodePage(); }
    [[nodiscard]] std::u16string expandEnvironmentStrings(const std::u16string& text) override;
    /// The machine's code page is taken to have every character: texts stay UTF-8.
    [[nodiscard]] Narrowed toSystemCodePage(std::u16string_view text, bool bestFit) override;
    [[nodiscard]] std::optional<std::u16string> shortPathName(const std::u16string&) override { return std::nullopt; }
    [[nodiscard]] int pathIsRelative(const std::string& path) override;
    [[nodiscard]] int isUserAnAdmin() override { return settings_.admin; }
    [[nodiscard]] std::optional<std::u16string> specialFolder(Csidl csidl) override;
    [[nodiscard]] RegistryRead readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                                 const std::string& valueName) override;
    [[nodiscard]] std::uint16_t userDefaultLanguage() override { return settings_.language; }
    [[nodiscard]] std::optional<std::u16string> stringBlock(int, std::uint16_t) override { return std::nullopt; }
    [[nodiscard]] std::string systemCodePageToUtf8(const std::string& text) override;
    void messageBox(const std::u16string&, const std::u16string&, BoxIcon) override {}
    [[nodiscard]] int runAndWaitProcess(const std::string&, const std::string&) override { return -1; }
    [[nodiscard]] bool startProcess(const std::string&, const std::string&) override { return false; }

private:
    EnvSettings settings_;
    std::vector<std::pair<std::string, std::string>> roots_;  ///< normalised Windows folder, host folder
};

}  // namespace launcher::check
