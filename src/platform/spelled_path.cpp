#include "platform/spelled_path.h"

namespace launcher {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The last part of a path: what follows its last separator.
std::u16string_view lastPart(std::u16string_view path) {
    std::size_t at = path.size();
    while (at > 0 && !isSeparator(path[at - 1])) --at;
    return path.substr(at);
}

}  // namespace

SpelledPath spellPath(Platform& platform, std::u16string_view path) {
    SpelledPath spelled;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        const std::u16string_view part = path.substr(start, end - start);
        Narrowed narrowed = platform.toSystemCodePage(part, false);
        if (!narrowed.exact) {
            // Windows makes short names from the OEM code page, so a short
            // name need not be plain ASCII: it must pass the same test.
            const std::optional<std::u16string> shortPath = platform.shortPathName(std::u16string(path.substr(0, end)));
            const Narrowed shortPart =
                shortPath ? platform.toSystemCodePage(lastPart(*shortPath), false) : Narrowed{{}, false};
            if (shortPart.exact && !shortPart.text.empty()) {
                narrowed = shortPart;
            } else {
                spelled.named = false;
            }
        }
        spelled.text += narrowed.text;
        if (end == path.size()) break;
        spelled.text += static_cast<char>(path[end]);
        start = end + 1;
    }
    return spelled;
}

std::string spellPathList(Platform& platform, std::u16string_view list) {
    std::string spelled;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(list.find(u';', start), list.size());
        spelled += spellPath(platform, list.substr(start, end - start)).text;
        if (end == list.size()) return spelled;
        spelled += ';';
        start = end + 1;
    }
}

}  // namespace launcher
