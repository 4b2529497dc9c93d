#include "platform/text_file.h"

#include <cstring>

namespace launcher {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr char kCtrlZ = '\x1a';

// What a C function sees of a piece: the text up to its line feed, and up
// to the first NUL byte.
std::string_view asLine(std::string_view piece) {
    if (!piece.empty() && piece.back() == '\n') piece.remove_suffix(1);
    const void* nul = std::memchr(piece.data(), '\0', piece.size());
    if (nul != nullptr) piece = piece.substr(0, static_cast<const char*>(nul) - piece.data());
    return piece;
}

}  // namespace

TextLineReader::TextLineReader(std::unique_ptr<InputFile> file)
    : file_(std::move(file)), buffer_(kBufferSize) {}

bool TextLineReader::fill() {
    if (atEnd_ || !file_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) return true;
    const std::size_t got = file_->read(buffer_.data() + end_, buffer_.size() - end_);
    if (got == 0) {
        atEnd_ = true;
        file_.reset();
        return false;
    }
    end_ += got;
    return true;
}

bool TextLineReader::nextLine(std::string_view& line) {
    if (end_ - begin_ <= kLinePieceLength && !atEnd_) fill();
    if (begin_ == end_) return false;

    // Fast path: a piece without CR or Ctrl-Z is the raw bytes themselves.
    const char* start = buffer_.data() + begin_;
    const std::size_t window = std::min(end_ - begin_, kLinePieceLength);
    const void* lf = std::memchr(start, '\n', window);
    const std::size_t length = lf ? static_cast<const char*>(lf) - start + 1 : window;
    if (std::memchr(start, '\r', length) == nullptr && std::memchr(start, kCtrlZ, length) == nullptr) {
        begin_ += length;
        line = asLine(std::string_view(start, length));
        return true;
    }
    return nextPieceSlow(line);
}

bool TextLineReader::nextPieceSlow(std::string_view& line) {
    scratch_.clear();
    while (scratch_.size() < kLinePieceLength) {
        if (begin_ == end_ && !fill()) break;
        char c = buffer_[begin_];
        if (c == kCtrlZ) {
            // Text mode ends the file at a Ctrl-Z; nothing after it is read.
            atEnd_ = true;
            file_.reset();
            end_ = begin_;
            break;
        }
        ++begin_;
        if (c == '\r') {
            if (begin_ == end_) fill();
            if (begin_ < end_ && buffer_[begin_] == '\n') {
                ++begin_;
                c = '\n';
            }
        }
        scratch_ += c;
        if (c == '\n') break;
    }
    if (scratch_.empty()) return false;
    line = asLine(scratch_);
    return true;
}

std::unique_ptr<TextLineReader> openTextFile(Platform& platform, const std::string& path) {
    std::unique_ptr<InputFile> file = platform.openForReading(path);
    if (!file) return nullptr;
    return std::make_unique<TextLineReader>(std::move(file));
}

std::string toTextModeBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

}  // namespace launcher
