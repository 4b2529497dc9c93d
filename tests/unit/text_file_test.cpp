#include <gtest/gtest.h>

#include "memory_platform.h"
#include "platform/text_file.h"

namespace launcher {
namespace {

std::vector<std::string> readLines(const std::string& content) {
    testing::MemoryPlatform platform;
    platform.addFile("C:\\f.txt", content);
    std::unique_ptr<TextLineReader> reader = openTextFile(platform, "C:\\f.txt");
    std::vector<std::string> lines;
    std::string_view line;
    while (reader->nextLine(line)) lines.emplace_back(line);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextLineReader, AppliesTextModeRules) {
    struct Row {
        std::string content;
        Lines lines;
    };
    const Row rows[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r\r\n", {"a\rb\r"}},  // a lone CR stays
        {"a\r", {"a\r"}},
        {"a\nb\x1a"
         "c\nd\n",
         {"a", "b"}},  // Ctrl-Z ends the text
        {"\x1a"
         "a\n",
         {}},
        {std::string("a\0b\nc\n", 6), {"a", "c"}},  // a NUL ends what the line holds
        {"\n\n", {"", ""}},
        // Long lines arrive in pieces of 254 characters; 254 characters fill a
        // piece, and the line feed then arrives as an empty piece of its own.
        {std::string(300, 'x') + "\n", {std::string(254, 'x'), std::string(46, 'x')}},
        {std::string(254, 'x') + "\nz", {std::string(254, 'x'), "", "z"}},
        {std::string(254, 'x') + "\r\n", {std::string(254, 'x'), ""}},
        {std::string(253, 'x') + "\r\ny", {std::string(253, 'x'), "y"}},  // CR LF counts as one character
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.content));
        EXPECT_EQ(readLines(row.content), row.lines);
    }
}

TEST(TextLineReader, LargeFilesAcrossBufferBoundaries) {
    std::string content;
    Lines expected;
    for (int i = 0; i < 20000; ++i) {
        std::string line = std::to_string(i) + std::string(i % 300, 'a' + i % 26);
        content += line + (i % 3 ? "\r\n" : "\n");
        for (std::size_t at = 0; at < line.size(); at += 254) expected.push_back(line.substr(at, 254));
        if (line.size() % 254 == 0) expected.push_back("");
    }
    EXPECT_EQ(readLines(content), expected);
}

TEST(TextModeWriting, LineFeedsBecomeCrLf) { EXPECT_EQ(toTextModeBytes("a\nb\r\n\n"), "a\r\nb\r\r\n\r\n"); }

}  // namespace
}  // namespace launcher
