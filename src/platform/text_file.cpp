#include "platform/text_file.h"

#include <cstring>

namespace launcher {

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
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

TextLineReader::TextLineReader(std::unique_ptr<InputFile> file) : file_(std::move(file)), buffer_(kBufferSize) {}

bool TextLineReader::fill() {
    if (!file_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t got = file_->read(buffer_.data() + end_, buffer_.size() - end_);
    if (got == 0) {
        file_.reset();
        return false;
    }
    end_ += got;
    return true;
}

bool TextLineReader::nextLine(std::string_view& line) {
    // A piece takes at most 255 raw bytes (254 characters, the last one a
    // CR LF). Reads may deliver fewer bytes than asked for, so read until
    // that much is buffered or the file ends.
    while (end_ - begin_ <= kLinePieceLength + 1 && fill()) {}
    if (begin_ == end_) return false;

    // Fast paths: a piece without Ctrl-Z and without CR, or whose only CR
    // is that of its closing CR LF, is the raw bytes themselves (up to that
    // CR). Everything else goes through the byte-by-byte reading.
    const char* start = buffer_.data() + begin_;
    const std::size_t available = end_ - begin_;
    const void* lfAt = std::memchr(start, '\n', std::min(available, kLinePieceLength + 1));
    const std::size_t lf = lfAt ? static_cast<const char*>(lfAt) - start : std::string_view::npos;
    const std::size_t length = lf < kLinePieceLength ? lf + 1 : std::min(available, kLinePieceLength);
    if (std::memchr(start, kCtrlZ, length) == nullptr) {
        const void* crAt = std::memchr(start, '\r', length);
        if (crAt == nullptr) {
            begin_ += length;
            line = asLine(std::string_view(start, length));
            return true;
        }
        const std::size_t cr = static_cast<const char*>(crAt) - start;
        if (cr + 1 == lf) {
            begin_ += lf + 1;
            line = asLine(std::string_view(start, cr));
            return true;
        }
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
            // The Ctrl-Z itself stays unread, so every later call stops here.
            file_.reset();
            break;
        }
        ++begin_;
        // The piece's bytes are buffered already (nextLine reads 255 ahead),
        // so the byte after a CR is there unless the file ends.
        if (c == '\r') {
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

std::unique_ptr<TextLineReader> openTextFile(FileReader& files, const std::string& path) {
    std::unique_ptr<InputFile> file = files.openForReading(path);
    if (!file) return nullptr;
    return std::make_unique<TextLineReader>(std::move(file));
}

std::string toTextModeBytes(std::string_view text) {
    std::string bytes;
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

}  // namespace launcher
