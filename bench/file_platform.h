// A platform for the benchmarks that offers real files and nothing else:
// files are opened and read with POSIX open(2) and read(2), so that a
// benchmark measures the readers on the page cache the way the launcher
// meets a warm installed.xml. Every other service aborts: no benchmark
// asks for it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace launcher::bench {

class FilePlatform : public Platform {
public:
    PathKind pathKind(const std::string& path) override;
    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;

    std::string currentDirectory() override { unused("currentDirectory"); }
    std::optional<std::string> environmentVariable(const std::string&) override { unused("environmentVariable"); }
    std::string systemDirectory() override { unused("systemDirectory"); }
    CodePage systemCodePage() override { return CodePage(); }
    std::u16string expandEnvironmentStrings(const std::u16string&) override { unused("expandEnvironmentStrings"); }
    Narrowed toSystemCodePage(std::u16string_view, bool) override { unused("toSystemCodePage"); }
    std::optional<std::u16string> shortPathName(const std::u16string&) override { unused("shortPathName"); }
    int pathIsRelative(const std::string&) override { unused("pathIsRelative"); }
    int isUserAnAdmin() override { unused("isUserAnAdmin"); }
    std::optional<std::u16string> specialFolder(Csidl) override { unused("specialFolder"); }
    RegistryRead readRegistryValue(RegistryHive, RegistryView, const std::string&, const std::string&) override {
        unused("readRegistryValue");
    }
    std::uint16_t userDefaultLanguage() override { unused("userDefaultLanguage"); }
    std::optional<std::u16string> stringBlock(int, std::uint16_t) override { unused("stringBlock"); }
    std::string systemCodePageToUtf8(const std::string&) override { unused("systemCodePageToUtf8"); }
    void messageBox(const std::u16string&, const std::u16string&, BoxIcon) override { unused("messageBox"); }
    int runAndWaitProcess(const std::string&, const std::string&) override { unused("runAndWaitProcess"); }
    bool startProcess(const std::string&, const std::string&) override { unused("startProcess"); }

private:
    [[noreturn]] static void unused(const char* service);
};

/// An opened file that hands out bytes of a string held in memory, in reads
/// of the size asked for: the reader's own speed, without the kernel.
class StringInputFile : public InputFile {
public:
    explicit StringInputFile(const std::string& content) : content_(content) {}
    std::size_t read(char* buffer, std::size_t size) override;

private:
    const std::string& content_;
    std::size_t offset_ = 0;
};

/// A platform whose every file is the same string in memory.
class StringPlatform : public FilePlatform {
public:
    explicit StringPlatform(const std::string& content) : content_(content) {}
    std::unique_ptr<InputFile> openForReading(const std::string&) override {
        return std::make_unique<StringInputFile>(content_);
    }

private:
    const std::string& content_;
};

}  // namespace launcher::bench
