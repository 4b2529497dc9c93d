#include "platform/windows_rules.h"

#include <algorithm>

namespace launcher {

namespace {

template <class Char>
Char lowerAscii(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

}  // namespace

bool equalsAsciiIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool equalsAsciiIgnoringCase(std::u16string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char y) {
               return lowerAscii(x) == static_cast<char16_t>(lowerAscii(static_cast<unsigned char>(y)));
           });
}

int pathIsRelativeLikeShell(const CodePage& codePage, std::string_view path) {
    if (path.empty() || codePage.isLeadByte(path[0])) return 1;
    return path[0] == '\\' || (path.size() > 1 && path[1] == ':') ? 0 : 1;
}

std::u16string expandLikeWindows(std::u16string_view text, const VariableLookup& value) {
    std::u16string result;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t close = text[at] == u'%' ? text.find(u'%', at + 1) : std::u16string_view::npos;
        const std::optional<std::u16string> found =
            close == std::u16string_view::npos ? std::nullopt : value(text.substr(at + 1, close - at - 1));
        if (found) {
            result += *found;
            at = close + 1;
        } else {
            result += text[at++];
        }
    }
    return result;
}

}  // namespace launcher
