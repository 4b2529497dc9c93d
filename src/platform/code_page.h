// The system ANSI code page, as far as path text needs it. On Japanese,
// Chinese and Korean Windows (code pages 932, 936, 949, 950) a character
// may take two bytes, and the second one can be 0x5C, the backslash: 表 is
// 0x95 0x5C in code page 932. Whatever scans path text walks characters,
// never bytes, so that such a byte is never a separator, a dot or a letter.
#pragma once

#include <bitset>
#include <cstddef>
#include <string_view>

namespace launcher {

/// Which bytes of the system code page begin a double-byte character. A
/// lead byte and the byte after it are one character; a lead byte at the
/// very end of a text stands alone.
class CodePage {
public:
    /// A single-byte code page, such as 1252: every byte is a character.
    CodePage() = default;

    /// Marks the bytes first to last, both included, as lead bytes.
    CodePage& withLeadBytes(unsigned char first, unsigned char last) {
        for (unsigned byte = first; byte <= last; ++byte) lead_.set(byte);
        return *this;
    }

    /// Returns whether c begins a double-byte character.
    [[nodiscard]] bool isLeadByte(char c) const { return lead_.test(static_cast<unsigned char>(c)); }

    /// Returns the position of the character that follows the one at i.
    [[nodiscard]] std::size_t next(std::string_view text, std::size_t i) const {
        return isLeadByte(text[i]) && i + 1 < text.size() ? i + 2 : i + 1;
    }

    /// Returns the position of the last character of text that is one of
    /// the single-byte characters in any, or npos.
    [[nodiscard]] std::size_t findLastOf(std::string_view text, std::string_view any) const;

    /// Returns the position of the first occurrence of pattern at or after
    /// from that begins on a character; npos when there is none, or when
    /// pattern is empty.
    [[nodiscard]] std::size_t find(std::string_view text, std::string_view pattern, std::size_t from = 0) const;

    /// Returns whether a character begins at position at of text (the end
    /// of the text counts as one).
    [[nodiscard]] bool beginsCharacter(std::string_view text, std::size_t at) const;

    /// Returns whether text ends with suffix, and suffix begins on a
    /// character: a trail byte 0x5C is no final backslash.
    [[nodiscard]] bool endsWith(std::string_view text, std::string_view suffix) const {
        return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix &&
               beginsCharacter(text, text.size() - suffix.size());
    }

private:
    std::bitset<256> lead_;
};

}  // namespace launcher
