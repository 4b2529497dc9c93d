#include "file_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

class PosixOutputFile : public OutputFile {
public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override { ::close(fd_); }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    bool write(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t put = ::write(fd_, data, size);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            data += put;
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }

private:
    int fd_;
};

}  // namespace

PathKind FilePlatform::pathKind(const std::string& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return PathKind::Missing;
    return S_ISDIR(status.st_mode) ? PathKind::Directory : PathKind::File;
}

std::unique_ptr<InputFile> FilePlatform::openForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixInputFile>(fd);
}

std::unique_ptr<OutputFile> FilePlatform::openForWriting(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutputFile>(fd);
}

void FilePlatform::unused(const char* service) {
    std::fprintf(stderr, "benchmark platform: %s is not offered\n", service);
    std::abort();
}

std::size_t StringInputFile::read(char* buffer, std::size_t size) {
    const std::size_t count = std::min(size, content_.size() - offset_);
    std::memcpy(buffer, content_.data() + offset_, count);
    offset_ += count;
    return count;
}

}  // namespace launcher::bench
