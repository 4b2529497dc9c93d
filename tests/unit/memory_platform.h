// An in-memory platform for host tests: files, registry, string tables
// and processes are what the test puts in, and everything the code
// under test asks for is recorded.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "messages/message_table.h"
#include "platform/platform.h"
#include "platform/windows_rules.h"

namespace launcher::testing {

/// A message box as the code under test showed it.
struct ShownBox {
    std::string text;   ///< UTF-8
    std::string title;  ///< UTF-8
    BoxIcon icon;
    std::size_t written = 0;  ///< bytes written to files before it showed
};

/// A process as the code under test started it.
struct StartedProcess {
    std::string program;
    std::string commandLine;
    bool waited;
    std::size_t written = 0;  ///< bytes written to files before it started
};

/// A file read from memory in reads of at most nextSize() bytes each.
class MemoryInputFile : public InputFile {
public:
    MemoryInputFile(std::string content, std::function<std::size_t()> nextSize)
        : content_(std::move(content)), nextSize_(std::move(nextSize)) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min({size, content_.size() - offset_, nextSize_()});
        content_.copy(buffer, count, offset_);
        offset_ += count;
        return count;
    }

private:
    std::string content_;
    std::function<std::size_t()> nextSize_;
    std::size_t offset_ = 0;
};

class MemoryPlatform : public Platform {
public:
    // What the test sets up.
    std::map<std::string, std::string> files;  ///< path to content
    std::set<std::string> directories;
    std::map<std::string, std::string> environment = {{"PATH", "C:\\Windows\\system32;C:\\Windows"}};
    /// (hive, key) to value name to data; a key listed here can be opened.
    /// The program's own view, and the 64-bit view.
    std::map<std::pair<RegistryHive, std::string>, std::map<std::string, std::string>> registry, registry64;
    bool expandableValues = false;  ///< every value is of type REG_EXPAND_SZ
    /// Registry values and special folders are UTF-8 here; Windows hands
    /// them over in UTF-16.
    std::map<Csidl, std::u16string> folders;
    /// Paths, as Windows hands them over, to their short (8.3) forms.
    std::map<std::u16string, std::u16string> shortNames;
    CodePage codePage;  ///< single-byte unless a test says otherwise
    std::uint16_t language = 1033;
    bool ownBlocks = false;  ///< the string table is stringBlocks
    /// (block, language) to raw block.
    std::map<std::pair<int, std::uint16_t>, std::u16string> stringBlocks;
    /// Exit codes of successive process runs; -1 stands for a failed start.
    /// When empty, every run exits with 0.
    std::vector<int> exitCodes;
    /// Called when a process runs, e.g. to "install" files.
    std::function<void(const StartedProcess&)> onProcess;

    // What the code under test did.
    std::vector<ShownBox> boxes;
    std::vector<StartedProcess> processes;
    std::map<std::string, std::string> written;  ///< path to bytes written

    /// Adds a file and the directories above it.
    void addFile(const std::string& path, const std::string& content);

    PathKind pathKind(const std::string& path) override {
        return files.count(path) ? PathKind::File : directories.count(path) ? PathKind::Directory : PathKind::Missing;
    }
    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    std::string currentDirectory() override { return "C:\\work"; }
    std::optional<std::string> environmentVariable(const std::string& name) override;
    std::string systemDirectory() override { return "C:\\Windows\\system32"; }
    CodePage systemCodePage() override { return codePage; }
    std::u16string expandEnvironmentStrings(const std::u16string& text) override;
    /// The test's code page is Latin-1; a look-alike stands in for Ł and ł.
    Narrowed toSystemCodePage(std::u16string_view text, bool bestFit) override;
    std::optional<std::u16string> shortPathName(const std::u16string& path) override { return find(shortNames, path); }
    int pathIsRelative(const std::string& path) override { return pathIsRelativeLikeShell(codePage, path); }
    int isUserAnAdmin() override { return 0; }
    std::optional<std::u16string> specialFolder(Csidl csidl) override { return find(folders, csidl); }
    RegistryRead readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                   const std::string& valueName) override;
    std::uint16_t userDefaultLanguage() override { return language; }
    /// The launcher's own message table, unless the test gives blocks of its own.
    std::optional<std::u16string> stringBlock(int block, std::uint16_t lang) override {
        return ownBlocks ? find(stringBlocks, {block, lang}) : messageTableBlock(block, lang);
    }
    std::string systemCodePageToUtf8(const std::string& text) override;
    void messageBox(const std::u16string& text, const std::u16string& title, BoxIcon icon) override;
    int runAndWaitProcess(const std::string& program, const std::string& commandLine) override {
        return nextExitCode({program, commandLine, true, bytesWritten()});
    }
    bool startProcess(const std::string& program, const std::string& commandLine) override {
        return nextExitCode({program, commandLine, false, bytesWritten()}) != -1;
    }

private:
    std::size_t bytesWritten() const;
    int nextExitCode(const StartedProcess& process);
    template <class Map>
    static std::optional<typename Map::mapped_type> find(const Map& map, const typename Map::key_type& key) {
        const auto found = map.find(key);
        return found == map.end() ? std::nullopt : std::optional<typename Map::mapped_type>(found->second);
    }
};

}  // namespace launcher::testing
