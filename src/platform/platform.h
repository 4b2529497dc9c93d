// The launcher's one seam to the operating system. Everything that decides
// stays in portable code; everything that asks Windows goes through here.
// Win32Platform is the real side; tests use an in-memory implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace launcher {

/// What a file-status query says about a path.
enum class PathKind { Missing, File, Directory };

/// The two registry hives the launcher reads from.
enum class RegistryHive { CurrentUser, LocalMachine };

/// Which view of the registry a read sees. A 32-bit program on 64-bit
/// Windows sees the 32-bit view (WOW6432Node) unless it asks for the other.
enum class RegistryView { Own, SixtyFourBit };

/// The icon of a message box.
enum class BoxIcon { Information, Error };

/// Special folders, by their CSIDL numbers.
enum Csidl : int {
    kCsidlPersonal = 5,
    kCsidlAppData = 26,
    kCsidlCommonAppData = 35,
    kCsidlProfile = 40,
};

/// Outcome of reading one registry value.
struct RegistryRead {
    bool keyOpened = false;   ///< the key could be opened for reading
    bool valueFound = false;  ///< the key holds a value of that name
    bool valueRead = false;   ///< the value existed and could be read
    bool expandable = false;  ///< the value is of type REG_EXPAND_SZ
    std::u16string data;      ///< the value's text up to the first NUL, as Windows keeps it
};

/// Text converted from UTF-16 into the system code page.
struct Narrowed {
    std::string text;
    bool exact = true;  ///< every character has its own counterpart in the code page
};

/// A file opened for reading, byte by byte, without any translation.
class InputFile {
public:
    virtual ~InputFile() = default;
    /// Returns the number of bytes read into buffer; 0 at the end or on error.
    [[nodiscard]] virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

/// A file opened for writing, created or emptied; bytes go out unchanged.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    /// Returns false when the bytes could not all be written.
    [[nodiscard]] virtual bool write(const char* data, std::size_t size) = 0;
};

/// All that a reader of text files needs: its files, opened for reading.
class FileReader {
public:
    virtual ~FileReader() = default;
    /// Returns the opened file, or null when it cannot be opened for reading.
    [[nodiscard]] virtual std::unique_ptr<InputFile> openForReading(const std::string& path) = 0;
};

/// Every service of the operating system that the launcher uses.
class Platform : public FileReader {
public:
    // Files and environment.
    /// Returns whether path names a file, a directory, or nothing.
    [[nodiscard]] virtual PathKind pathKind(const std::string& path) = 0;
    /// Returns the file, created or emptied, or null when that fails.
    [[nodiscard]] virtual std::unique_ptr<OutputFile> openForWriting(const std::string& path) = 0;
    /// Returns the process's current directory, spelled as spellPath does.
    [[nodiscard]] virtual std::string currentDirectory() = 0;
    /// Returns the variable's value, or nothing when it is not set. The
    /// launcher reads only paths and lists of them: each part between
    /// semicolons is spelled as spellPath does.
    [[nodiscard]] virtual std::optional<std::string> environmentVariable(const std::string& name) = 0;
    /// Returns the Windows system directory (where msiexec.exe lives).
    [[nodiscard]] virtual std::string systemDirectory() = 0;
    /// Returns the lead bytes of the system ANSI code page.
    [[nodiscard]] virtual CodePage systemCodePage() = 0;
    /// Returns text with every %NAME% of a set variable replaced by its
    /// value, as Windows expands REG_EXPAND_SZ data; empty when that fails.
    [[nodiscard]] virtual std::u16string expandEnvironmentStrings(const std::u16string& text) = 0;
    /// Returns text in the system code page. A character that the code page
    /// lacks becomes its default character ("?"), or with bestFit a look-alike
    /// where the code page has one (as Windows converts the command line);
    /// either way exact is false then.
    [[nodiscard]] virtual Narrowed toSystemCodePage(std::u16string_view text, bool bestFit) = 0;
    /// Returns the short (8.3) form of an existing path, or nothing when the
    /// file system has none.
    [[nodiscard]] virtual std::optional<std::u16string> shortPathName(const std::u16string& path) = 0;

    // Shell.
    /// Returns PathIsRelativeA's answer for path, as the shell gives it.
    [[nodiscard]] virtual int pathIsRelative(const std::string& path) = 0;
    /// Returns 1 when the user's token holds the Administrators group
    /// (IsUserAnAdmin's answer), else 0.
    [[nodiscard]] virtual int isUserAnAdmin() = 0;
    /// Returns the special folder's path without a trailing backslash, or
    /// nothing when the system cannot deliver it.
    [[nodiscard]] virtual std::optional<std::u16string> specialFolder(Csidl csidl) = 0;

    // Registry.
    /// Reads one value of any type in the given view, whole.
    [[nodiscard]] virtual RegistryRead readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                                         const std::string& valueName) = 0;

    // Resources and text.
    /// Returns the user's default language identifier.
    [[nodiscard]] virtual std::uint16_t userDefaultLanguage() = 0;
    /// Returns the RT_STRING block of this number in exactly this language,
    /// as raw UTF-16 units, or nothing when the executable has none.
    [[nodiscard]] virtual std::optional<std::u16string> stringBlock(int blockNumber, std::uint16_t language) = 0;
    /// Returns text in the system code page converted to UTF-8.
    [[nodiscard]] virtual std::string systemCodePageToUtf8(const std::string& text) = 0;

    // User interface.
    /// Shows a modal box with one OK button and returns when it is closed.
    virtual void messageBox(const std::u16string& text, const std::u16string& title, BoxIcon icon) = 0;

    // Processes. The program is a file that exists; the command line is
    // passed as it is. Handles are inherited; environment and current
    // directory are the launcher's own.
    /// Returns the child's exit code, or -1 when it could not be created.
    [[nodiscard]] virtual int runAndWaitProcess(const std::string& program, const std::string& commandLine) = 0;
    /// Returns true when the child was created; it is not waited for.
    [[nodiscard]] virtual bool startProcess(const std::string& program, const std::string& commandLine) = 0;
};

}  // namespace launcher
