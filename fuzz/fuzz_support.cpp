#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace launcher::fuzzing {

std::vector<std::string_view> splitAt(std::string_view text, char separator, std::size_t maxPieces) {
    std::vector<std::string_view> pieces;
    while (pieces.size() + 1 < maxPieces) {
        const std::size_t at = text.find(separator);
        if (at == std::string_view::npos) break;
        pieces.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    pieces.push_back(text);
    return pieces;
}

launcher::testing::MemoryPlatform freshPlatform() {
    // Built once: copying a platform is much cheaper than building one. No
    // target expects a message box, so the message table is left out, and a
    // box that does come up shows an empty text that the checks still see.
    static const launcher::testing::MemoryPlatform prototype = [] {
        launcher::testing::MemoryPlatform platform;
        platform.stringBlocks.clear();
        return platform;
    }();
    return prototype;
}

std::string printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        }
    }
    return out;
}

void checkPieceValue(std::size_t before, std::string_view value, std::string_view input) {
    FUZZ_CHECK(before + value.size() <= kPieceLength, input, value);
    FUZZ_CHECK(value.find('\n') == std::string_view::npos, input, value);
    FUZZ_CHECK(value.find('\0') == std::string_view::npos, input, value);
}

void propertyFailed(const char* property, const char* file, int line, std::initializer_list<std::string_view> values) {
    std::fprintf(stderr, "\n==== property failed: %s\n     at %s:%d\n", property, file, line);
    int index = 0;
    for (const std::string_view value : values) {
        std::fprintf(stderr, "     value %d: \"%s\"\n", index++, printable(value).c_str());
    }
    std::fflush(stderr);
    std::abort();
}

}  // namespace launcher::fuzzing
