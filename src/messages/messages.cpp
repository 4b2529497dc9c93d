#include "messages/messages.h"

#include <string>

namespace launcher {

namespace {

constexpr std::uint16_t kEnglish = 1033;
constexpr std::uint16_t kChineseTraditional = 1028;
constexpr std::uint16_t kChineseSimplified = 2052;

// One table per primary language, except Chinese, which has two. English
// needs no row: every lookup ends with it.
struct PrimaryTable {
    std::uint16_t primary;
    std::uint16_t table;
};
constexpr PrimaryTable kPrimaryTables[] = {
    {0x05, 1029}, {0x07, 1031}, {0x0A, 3082}, {0x0C, 1036}, {0x0E, 1038}, {0x10, 1040},
    {0x11, 1041}, {0x12, 1042}, {0x15, 1045}, {0x16, 1046}, {0x19, 1049},
};

constexpr std::uint16_t kPrimaryChinese = 0x04;
constexpr std::uint16_t kSubHongKong = 0x03;
constexpr std::uint16_t kSubMacau = 0x05;

// Entry `position` (0 to 15) of an RT_STRING block: 16 counted UTF-16 texts
// in a row. A block that ends early has no such entry.
std::u16string blockEntry(const std::u16string& block, int position) {
    std::size_t at = 0;
    for (int i = 0; at < block.size(); ++i) {
        const std::size_t count = block[at++];
        if (count > block.size() - at) return std::u16string();
        if (i == position) return block.substr(at, count);
        at += count;
    }
    return std::u16string();
}

// Replaces the first conversion of format; "%%" stands for one "%". A "%"
// at the very end meets the string's terminating NUL and stays as it is.
std::string substitute(const std::string& format, const std::string& replacement) {
    std::string out;
    bool done = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        const char next = format[i + 1];
        if (next == '%') {
            out += '%';
            ++i;
        } else if (!done && (next == 's' || next == 'd')) {
            out += replacement;
            done = true;
            ++i;
        } else {
            out += '%';
        }
    }
    return out;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
    } else {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (code >> 10));
        out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
    }
}

// The language whose table stands in for a language that has none: the
// table of the same primary language, else English.
std::uint16_t fallbackLanguage(std::uint16_t language) {
    const std::uint16_t primary = language & 0x3FF;
    const std::uint16_t sub = language >> 10;
    if (primary == kPrimaryChinese) {
        return (sub == kSubHongKong || sub == kSubMacau) ? kChineseTraditional : kChineseSimplified;
    }
    for (const PrimaryTable& entry : kPrimaryTables) {
        if (entry.primary == primary) return entry.table;
    }
    return kEnglish;
}

}  // namespace

std::string loadMessage(Platform& platform, MessageId id) {
    const int blockNumber = id / 16 + 1;
    const int position = id % 16;
    const std::uint16_t user = platform.userDefaultLanguage();
    const std::uint16_t candidates[] = {user, fallbackLanguage(user), kEnglish};
    for (std::uint16_t language : candidates) {
        const std::optional<std::u16string> block = platform.stringBlock(blockNumber, language);
        if (!block) continue;
        const std::u16string entry = blockEntry(*block, position);
        if (!entry.empty()) return utf16ToUtf8(entry);
    }
    return std::string();
}

std::string formatMessage(Platform& platform, const std::string& format, const std::string& argument) {
    return substitute(format, platform.systemCodePageToUtf8(argument));
}

std::string formatMessage(const std::string& format, long number) { return substitute(format, std::to_string(number)); }

void showMessageBox(Platform& platform, const std::string& text, const std::string& title, BoxIcon icon) {
    platform.messageBox(utf8ToUtf16(text), utf8ToUtf16(title), icon);
}

std::string utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        // After the last unit comes the string's terminating NUL, no low surrogate.
        if (code >= 0xD800 && code <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        appendUtf8(out, code);
    }
    return out;
}

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, code = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, code = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, code = lead & 0x07, minimum = 0x10000;
        } else {
            appendUtf16(out, 0xFFFD);
            ++i;
            continue;
        }
        // A byte that continues nothing (the string's terminating NUL among
        // them) ends the sequence early, and leaves code below its minimum.
        std::size_t taken = 1;
        for (; taken <= extra; ++taken) {
            const unsigned char next = static_cast<unsigned char>(text[i + taken]);
            if ((next & 0xC0) != 0x80) break;
            code = (code << 6) | (next & 0x3F);
        }
        const bool valid = code >= minimum && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        appendUtf16(out, valid ? code : 0xFFFD);
        i += taken;
    }
    return out;
}

}  // namespace launcher
