// Text files the way the launcher's C runtime reads and writes them in text
// mode, applied in one place so that every build sees the same lines:
// reading turns CR LF into LF and stops at a Ctrl-Z; writing turns LF into
// CR LF. Files themselves are opened through the platform, byte for byte.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace launcher {

/// Longest piece of a line that one read delivers (a 255-byte buffer with
/// its terminator): longer physical lines arrive in several pieces.
inline constexpr std::size_t kLinePieceLength = 254;

/// Reads a text file in pieces of at most 254 characters, like fgets with
/// a 255-character buffer on a file opened in text mode.
class TextLineReader {
public:
    /// Takes ownership of an opened file.
    explicit TextLineReader(std::unique_ptr<InputFile> file);

    /// Returns false at the end of the text. Otherwise line holds the next
    /// piece, cut at its line feed and at a NUL byte, as a C string would be;
    /// it stays valid until the next call.
    [[nodiscard]] bool nextLine(std::string_view& line);

private:
    [[nodiscard]] bool fill();
    [[nodiscard]] bool nextPieceSlow(std::string_view& line);

    std::unique_ptr<InputFile> file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::string scratch_;
};

/// Opens path; returns null when it cannot be opened.
[[nodiscard]] std::unique_ptr<TextLineReader> openTextFile(FileReader& files, const std::string& path);

/// Returns text with every LF written as CR LF, as text mode stores it.
[[nodiscard]] std::string toTextModeBytes(std::string_view text);

}  // namespace launcher
