// Files for the benchmarks: read with POSIX open(2) and read(2), so that a
// benchmark measures the readers on the page cache the way the launcher
// meets a warm installed.xml. The readers ask for nothing else.
#pragma once

#include <string>

#include "platform/platform.h"

namespace launcher::bench {

class FilePlatform : public FileReader {
public:
    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
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

/// Files that are all the same string in memory.
class StringPlatform : public FileReader {
public:
    explicit StringPlatform(const std::string& content) : content_(content) {}
    std::unique_ptr<InputFile> openForReading(const std::string&) override {
        return std::make_unique<StringInputFile>(content_);
    }

private:
    const std::string& content_;
};

}  // namespace launcher::bench
