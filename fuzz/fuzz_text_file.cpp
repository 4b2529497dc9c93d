// The text-mode line reader under every reader of outside text, checked
// against a plain model of text mode: CR LF reads as LF, a Ctrl-Z ends the
// text, a piece is at most 254 characters and ends after a line feed, and
// a line is its piece without the line feed, cut at a NUL. The file hands
// out its bytes in reads of varying, often short, sizes (the first input
// byte picks them): the pieces must not depend on how the bytes arrive.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/text_file.h"

using namespace launcher;

namespace {

// Bytes of content in reads whose sizes follow a small generator.
class UnevenInputFile : public InputFile {
public:
    UnevenInputFile(std::string_view content, std::uint8_t pattern) : content_(content), state_(pattern) {}
    std::size_t read(char* buffer, std::size_t size) override {
        std::size_t count = content_.size() - offset_;
        if (state_ != 0) {
            state_ = static_cast<std::uint32_t>(state_ * 1103515245u + 12345u);
            const std::size_t limits[] = {1, 2, 3, 7, 64, 253, 254, 255, 256, 4096, 70000};
            count = std::min(count, limits[(state_ >> 16) % 11]);
        }
        count = std::min(count, size);
        std::memcpy(buffer, content_.data() + offset_, count);
        offset_ += count;
        return count;
    }

private:
    std::string_view content_;
    std::size_t offset_ = 0;
    std::uint32_t state_;
};

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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view content = fuzzing::asText(data + 1, size - 1);
    const std::vector<std::string> expected = modelLines(content);

    TextLineReader reader(std::make_unique<UnevenInputFile>(content, data[0]));
    std::string_view line;
    std::size_t index = 0;
    while (reader.nextLine(line)) {
        FUZZ_CHECK(index < expected.size(), content, line);
        FUZZ_CHECK(line == expected[index], content, line, expected[index]);
        ++index;
    }
    FUZZ_CHECK(index == expected.size(), content);
    FUZZ_CHECK(!reader.nextLine(line), content);
    return 0;
}
