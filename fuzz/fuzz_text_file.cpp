// The text-mode line reader under every reader of outside text, checked
// against a plain model of text mode: CR LF reads as LF, a Ctrl-Z ends the
// text, a piece is at most 254 characters and ends after a line feed, and
// a line is its piece without the line feed, cut at a NUL. The file hands
// out its bytes in reads of varying, often short, sizes (the first input
// byte picks them): the pieces must not depend on how the bytes arrive.
#include "fuzz_support.h"
#include "platform/text_file.h"

using namespace launcher;

namespace {

std::vector<std::string> modelLines(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\x1a') break;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t length = std::min<std::size_t>(text.size() - at, fuzzing::kPieceLength);
        const std::size_t lf = text.find('\n', at);
        if (lf != std::string::npos && lf - at < length) length = lf - at + 1;
        std::string line = text.substr(at, length);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line.substr(0, line.find('\0')));
        at += length;
    }
    return lines;
}

}  // namespace

FUZZ_TARGET(input) {
    if (input.empty()) return;
    const std::string_view content = input.substr(1);
    const std::vector<std::string> expected = modelLines(content);

    // Whole reads for a first byte of 0; else read sizes from a small generator.
    auto nextSize = [state = static_cast<std::uint32_t>(static_cast<unsigned char>(input[0]))]() mutable {
        const std::size_t limits[] = {1, 2, 3, 7, 64, 253, 254, 255, 256, 4096, 70000};
        if (state == 0) return SIZE_MAX;
        state = state * 1103515245u + 12345u;
        return limits[(state >> 16) % 11];
    };
    TextLineReader reader(std::make_unique<testing::MemoryInputFile>(std::string(content), nextSize));
    std::string_view line;
    std::size_t index = 0;
    while (reader.nextLine(line)) {
        FUZZ_CHECK(index < expected.size(), content, line);
        FUZZ_CHECK(line == expected[index], content, line, expected[index]);
        ++index;
    }
    FUZZ_CHECK(index == expected.size(), content);
    FUZZ_CHECK(!reader.nextLine(line), content);
}
