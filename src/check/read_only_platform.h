// A platform that only looks: it forwards every reading service to another
// platform and refuses everything that would change the machine. No file
// opens for writing, no process starts, and no message box is shown.
#pragma once

#include "platform/platform.h"

namespace launcher::check {

class ReadOnlyPlatform : public Platform {
public:
    explicit ReadOnlyPlatform(Platform& inner) : inner_(inner) {}

    PathKind pathKind(const std::string& path) override { return inner_.pathKind(path); }
    std::unique_ptr<InputFile> openForReading(const std::string& path) override { return inner_.openForReading(path); }
    std::unique_ptr<OutputFile> openForWriting(const std::string&) override { return nullptr; }
    std::string currentDirectory() override { return inner_.currentDirectory(); }
    std::optional<std::string> environmentVariable(const std::string& name) override {
        return inner_.environmentVariable(name);
    }
    std::string systemDirectory() override { return inner_.systemDirectory(); }
    CodePage systemCodePage() override { return inner_.systemCodePage(); }
    std::u16string expandEnvironmentStrings(const std::u16string& text) override {
        return inner_.expandEnvironmentStrings(text);
    }
    Narrowed toSystemCodePage(std::u16string_view text, bool bestFit) override {
        return inner_.toSystemCodePage(text, bestFit);
    }
    std::optional<std::u16string> shortPathName(const std::u16string& path) override {
        return inner_.shortPathName(path);
    }
    int pathIsRelative(const std::string& path) override { return inner_.pathIsRelative(path); }
    int isUserAnAdmin() override { return inner_.isUserAnAdmin(); }
    std::optional<std::u16string> specialFolder(Csidl csidl) override { return inner_.specialFolder(csidl); }
    RegistryRead readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                   const std::string& valueName) override {
        return inner_.readRegistryValue(hive, view, key, valueName);
    }
    std::uint16_t userDefaultLanguage() override { return inner_.userDefaultLanguage(); }
    std::optional<std::u16string> stringBlock(int blockNumber, std::uint16_t language) override {
        return inner_.stringBlock(blockNumber, language);
    }
    std::string systemCodePageToUtf8(const std::string& text) override { return inner_.systemCodePageToUtf8(text); }
    void messageBox(const std::u16string&, const std::u16string&, BoxIcon) override {}
    int runAndWaitProcess(const std::string&, const std::string&) override { return -1; }
    bool startProcess(const std::string&, const std::string&) override { return false; }

private:
    Platform& inner_;
};

}  // namespace launcher::check
