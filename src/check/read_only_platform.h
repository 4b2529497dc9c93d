// A platform that only looks: it forwards every reading service to another
// platform and refuses everything that would change the machine. Files
// opened for writing go to memory, processes are never started, and
// message boxes are never shown; each attempt is recorded, and so is every
// registry key read.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace launcher::check {

class ReadOnlyPlatform : public Platform {
public:
    explicit ReadOnlyPlatform(Platform& inner) : inner_(inner) {}

    /// Returns the bytes written to each path; none of them reached a disk.
    const std::map<std::string, std::string>& captured() const { return captured_; }
    /// Returns what was refused: process starts and message boxes.
    const std::vector<std::string>& refused() const { return refused_; }
    /// Returns the registry keys read, such as "HKEY_CURRENT_USER\Software\Agent", in order; a
    /// read of the 64-bit view ends in " (64-bit view)".
    const std::vector<std::string>& registryReads() const { return registryReads_; }

    PathKind pathKind(const std::string& path) override { return inner_.pathKind(path); }
    std::unique_ptr<InputFile> openForReading(const std::string& path) override { return inner_.openForReading(path); }
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    std::string currentDirectory() override { return inner_.currentDirectory(); }
    std::optional<std::string> environmentVariable(const std::string& name) override {
        return inner_.environmentVariable(name);
    }
    std::string systemDirectory() override { return inner_.systemDirectory(); }
    CodePage systemCodePage() override { return inner_.systemCodePage(); }
    std::string expandEnvironmentStrings(const std::string& text) override {
        return inner_.expandEnvironmentStrings(text);
    }
    int pathIsRelative(const std::string& path) override { return inner_.pathIsRelative(path); }
    int isUserAnAdmin() override { return inner_.isUserAnAdmin(); }
    std::optional<std::string> specialFolder(Csidl csidl) override { return inner_.specialFolder(csidl); }
    RegistryRead readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                   const std::string& valueName, std::size_t limitBytes) override;
    std::uint16_t userDefaultLanguage() override { return inner_.userDefaultLanguage(); }
    std::optional<std::u16string> stringBlock(int blockNumber, std::uint16_t language) override {
        return inner_.stringBlock(blockNumber, language);
    }
    std::string systemCodePageToUtf8(const std::string& text) override { return inner_.systemCodePageToUtf8(text); }
    void messageBox(const std::u16string& text, const std::u16string& title, BoxIcon icon) override;
    int runAndWaitProcess(const std::string& program, const std::string& commandLine) override;
    bool startProcess(const std::string& program, const std::string& commandLine) override;

private:
    Platform& inner_;
    std::map<std::string, std::string> captured_;
    std::vector<std::string> refused_;
    std::vector<std::string> registryReads_;
};

}  // namespace launcher::check
