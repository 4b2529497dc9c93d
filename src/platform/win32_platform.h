// The real platform: Win32 calls behind the launcher's seam. This header
// stays free of <windows.h>; only win32_platform.cpp includes it.
#pragma once

#include <optional>

#include "platform/platform.h"

namespace launcher {

/// Restricts DLL loading to the system directory, where the system offers
/// that, and takes the current directory off the search. Call first: a DLL
/// planted beside the launcher (in a Downloads folder, say) must never load.
void restrictDllSearchToSystemDirectory();

/// The platform as Windows provides it.
class Win32Platform : public Platform {
public:
    [[nodiscard]] PathKind pathKind(const std::string& path) override;
    [[nodiscard]] std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    [[nodiscard]] std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    [[nodiscard]] std::string currentDirectory() override;
    [[nodiscard]] std::optional<std::string> environmentVariable(const std::string& name) override;
    [[nodiscard]] std::string systemDirectory() override;
    [[nodiscard]] CodePage systemCodePage() override;
    [[nodiscard]] std::u16string expandEnvironmentStrings(const std::u16string& text) override;
    [[nodiscard]] Narrowed toSystemCodePage(std::u16string_view text, bool bestFit) override;
    [[nodiscard]] std::optional<std::u16string> shortPathName(const std::u16string& path) override;
    [[nodiscard]] int pathIsRelative(const std::string& path) override;
    [[nodiscard]] int isUserAnAdmin() override;
    [[nodiscard]] std::optional<std::u16string> specialFolder(Csidl csidl) override;
    [[nodiscard]] RegistryRead readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                                 const std::string& valueName) override;
    [[nodiscard]] std::uint16_t userDefaultLanguage() override;
    [[nodiscard]] std::optional<std::u16string> stringBlock(int blockNumber, std::uint16_t language) override;
    [[nodiscard]] std::string systemCodePageToUtf8(const std::string& text) override;
    void messageBox(const std::u16string& text, const std::u16string& title, BoxIcon icon) override;
    [[nodiscard]] int runAndWaitProcess(const std::string& program, const std::string& commandLine) override;
    [[nodiscard]] bool startProcess(const std::string& program, const std::string& commandLine) override;

private:
    std::optional<CodePage> codePage_;  ///< asked once, on first use
};

}  // namespace launcher
