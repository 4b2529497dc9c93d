#include "file_platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace launcher::bench {

namespace {

class PosixInputFile : public InputFile {
public:
    explicit PosixInputFile(int fd) : fd_(fd) {}
    ~PosixInputFile() override { ::close(fd_); }
    PosixInputFile(const PosixInputFile&) = delete;
    PosixInputFile& operator=(const PosixInputFile&) = delete;

    std::size_t read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) return 0;
        }
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<InputFile> FilePlatform::openForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixInputFile>(fd);
}

std::size_t StringInputFile::read(char* buffer, std::size_t size) {
    const std::size_t count = std::min(size, content_.size() - offset_);
    std::memcpy(buffer, content_.data() + offset_, count);
    offset_ += count;
    return count;
}

}  // namespace launcher::bench
