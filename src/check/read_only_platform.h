// A platform that only looks: it forwards every reading service to another
// platform and refuses everything that would change the machine. No file
// opens for writing, no process starts, and no message box is shown.
#pragma once

#include "platform/platform.h"

namespace launcher::check {

class ReadOnlyPlatform : public Platform {
public:
    explicit ReadOnlyPlatform(Platform& inner) : inner_(inner) {}

    [[nodiscard]] PathKind pathKind(const std::string& path) override { return inner_.pathKind(path); }
    [[nodiscard]] std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        return inner_.openForReading(path);
    }
    [[nodiscard]] std::unique_ptr<OutputFile> openForWriting(const std::string&) override { return nullptr; }
    [[nodiscard]] std::string currentDirectory() override { return inner_.currentDirectory(); }
    [[nodiscard]] std::optional<std::string> environmentVariable(const std::string& name) override {
        return inner_.environmentVariable(name);
    }
    [[nodiscard]] std::string systemDirectory() override { return inner_.systemDirectory(); }
    [[nodiscard]] CodePage systemCodePage() override { return inner_.systemCodePage(); }
    [[nodiscard]] std::u16string expandEnvironmentStrings(const std::u16string& text) override {
        return inner_.expandEnvironmentStrings(text);
    }
    [[nodiscard]] Narrowed toSystemCodePage(std::u16string_view text, bool bestFit) override {
        return inner_.toSystemCodePage(text, bestFit);
    }
    [[nodiscard]] std::optional<std::u16string> shortPathName(const std::u16string& path) override {
        return inner_.shortPathName(path);
    }
    [[nodiscard]] int pathIsRelative(const std::string& path) override { return inner_.pathIsRelative(path); }
    [[nodiscard]] int isUserAnAdmin() override { return inner_.isUserAnAdmin(); }
    [[nodiscard]] std::optional<std::u16string> specialFolder(Csidl csidl) override {
        return inner_.specialFolder(csidl);
    }
    [[nodiscard]] RegistryRead readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                                 const std::string& valueName) override {
        return inner_.readRegistryValue(hive, view, key, valueName);
    }
    [[nodiscard]] std::uint16_t userDefaultLanguage() override { return inner_.userDefaultLanguage(); }
    [[nodiscard]] std::optional<std::u16string> stringBlock(int blockNumber, std::uint16_t language) override {
        return inner_.stringBlock(blockNumber, language);
    }
    [[nodiscard]] std::string systemCodePageToUtf8(const std::string& text) override {
        return inner_.systemCodePageToUtf8(text);
    }
    void messageBox(const std::u16string&, const std::u16string&, BoxIcon) override {}
    [[nodiscard]] int runAndWaitProcess(const std::string&, const std::string&) override { return -1; }
    [[nodiscard]] bool startProcess(const std::string&, const std::string&) override { return false; }

private:
    Platform& inner_;
};

}  // namespace launcher::check
