#include <gtest/gtest.h>

#include "commands/launch_commands.h"
#include "discovery/installed_version.h"
#include "memory_platform.h"
#include "platform/path_utils.h"
#include "platform/process_launch.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;

TEST(PathParts, SplitDirectoryFileAndExtension) {
    struct Row {
        const char* path;
        const char* dir;
        const char* file;
        const char* stripped;
    };
    const Row rows[] = {
        {"C:\\a\\b.exe", "C:\\a\\", "b.exe", "C:\\a\\b"},
        {"C:\\a\\", "C:\\a\\", "", "C:\\a\\"},
        {"\\b", "\\", "b", "\\b"},
        {"b.exe", "", "b.exe", "b"},
        {"a.b.c", "", "a.b.c", "a.b"},
        {"setup.", "", "setup.", "setup."},
        {".profile", "", ".profile", ""},
        {"C:/a/b.exe", "", "C:/a/b.exe", "C:/a/b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(directoryPart(CodePage(), row.path), row.dir);
        EXPECT_EQ(filePart(CodePage(), row.path), row.file);
        EXPECT_EQ(stripExtension(CodePage(), row.path), row.stripped);
        EXPECT_EQ(directoryPart(CodePage(), row.path) + filePart(CodePage(), row.path), row.path);
    }
}

TEST(NormalizePath, ResolvesDotsAndSeparators) {
    struct Row {
        const char* input;
        int result;
        const char* output;
    };
    const Row rows[] = {
        {"C:\\a\\b\\..\\c\\.\\d.exe", 0, "C:\\a\\c\\d.exe"},
        {"C:/a//b/./c", 0, "C:\\a\\b\\c"},
        {"C:\\dir\\.\\msiexec.exe", 0, "C:\\dir\\msiexec.exe"},
        {"C:\\inst\\..\\agent\\eclipse\\x.exe", 0, "C:\\agent\\eclipse\\x.exe"},
        {"\\\\server\\share\\..\\x", 0, "\\\\server\\x"},
        {"//server/share/x", 0, "\\\\server\\share\\x"},
        {"\\a", 0, "\\a"},
        {"a\\b\\\\", 0, "a\\b"},
        {"./a", 0, "a"},
        {"C:\\..\\x", 0, "x"},
        {"C:\\a\\..\\..\\b", 0, "b"},
        {"a\\b\\..", 0, "a\\b\\.."},
        {"a\\...\\b", 0, "a\\...\\b"},
        {"..\\x", 1, "..\\x"},
        {"a/../../b", 1, "a/../../b"},
        {"", 0, ""},
        {"/", 0, "\\"},
        {"\\\\\\", 0, "\\\\\\"},
        {"C:\\a\\b\\..\\", 0, "C:\\a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        std::string output = "junk";
        EXPECT_EQ(normalizePath(CodePage(), output, row.input), row.result);
        EXPECT_EQ(output, row.output);
    }
}

TEST(StripTrailingSeparator, RemovesOneSeparatorOnly) {
    const std::pair<std::string, std::string> rows[] = {
        {"C:\\a\\\\", "C:\\a\\"}, {"C:\\", "C:"}, {"a/", "a"}, {"", ""}, {"a", "a"}};
    for (auto [input, expected] : rows) {
        stripTrailingSeparator(CodePage(), input);
        EXPECT_EQ(input, expected);
    }
}

TEST(FindProgram, ClassifiesAndSearchesLikeTheShell) {
    struct Row {
        const char* name;
        const char* existing;
        const char* found;
    };
    const Row rows[] = {
        {"tools\\x.exe", "C:\\work\\tools\\x.exe", "C:\\work\\tools\\x.exe"},
        {"msiexec.exe", "C:\\Windows\\system32\\msiexec.exe", "C:\\Windows\\system32\\msiexec.exe"},
        {"D:\\apps\\x.exe", "D:\\apps\\x.exe", "D:\\apps\\x.exe"},
        {"prog.exe", "C:\\work\\.\\prog.exe", "C:\\work\\.\\prog.exe"},
        {"sub\\prog.exe", "C:\\Windows\\sub\\prog.exe", ""},  // a relative name never searches PATH
        {"setup", "C:\\work\\.\\setup.exe", ""},              // no extension is ever added
        {"C:", "C:\\work\\.\\C:", "C:\\work\\.\\C:"},         // two characters: a bare name
        {"\\x.exe", "\\x.exe", "\\x.exe"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryPlatform platform;
        platform.addFile(row.existing, "");
        EXPECT_EQ(findProgram(platform, row.name), row.found);
    }
}

TEST(FindProgram, CurrentDirectoryFirstAndDirectoriesSkipped) {
    MemoryPlatform platform;
    platform.addFile("C:\\work\\.\\tool.exe", "");
    platform.addFile("C:\\Windows\\tool.exe", "");
    EXPECT_EQ(findProgram(platform, "tool.exe"), "C:\\work\\.\\tool.exe");

    platform.files.erase("C:\\work\\.\\tool.exe");
    platform.directories.insert("C:\\Windows\\system32\\tool.exe");
    EXPECT_EQ(findProgram(platform, "tool.exe"), "C:\\Windows\\tool.exe");

    platform.directories.insert("C:\\Windows\\tool.exe");
    platform.files.erase("C:\\Windows\\tool.exe");
    EXPECT_EQ(findProgram(platform, "tool.exe"), "");
}

TEST(FindProgram, PathEntriesAsWritten) {
    MemoryPlatform platform;
    platform.environment["PATH"] = ";;C:\\tools;bin;..\\up";
    platform.addFile("bin\\b.exe", "");
    platform.addFile("C:\\work\\..\\up\\u.exe", "");
    EXPECT_EQ(findProgram(platform, "b.exe"), "bin\\b.exe");  // relative entry, returned relative
    EXPECT_EQ(findProgram(platform, "u.exe"), "C:\\work\\..\\up\\u.exe");

    platform.currentDir = "C:\\";
    platform.addFile("C:\\\\.\\root.exe", "");  // the backslash after the directory is always added
    EXPECT_EQ(findProgram(platform, "root.exe"), "C:\\\\.\\root.exe");

    platform.environment.clear();  // without PATH only the current directory is searched
    platform.addFile("C:\\tools\\t.exe", "");
    EXPECT_EQ(findProgram(platform, "t.exe"), "");
}

TEST(PathExists, FilesDirectoriesAndWildcards) {
    MemoryPlatform platform;
    platform.addFile("C:\\a\\b.exe", "");
    platform.addFile("C:\\a\\?.exe", "");
    EXPECT_TRUE(pathExists(platform, "C:\\a\\b.exe"));
    EXPECT_TRUE(pathExists(platform, "C:\\a"));
    EXPECT_FALSE(pathExists(platform, "C:\\a\\c.exe"));
    EXPECT_FALSE(pathExists(platform, "C:\\a\\?.exe"));
    EXPECT_FALSE(pathExists(platform, "C:\\a\\*"));
}

// The system code pages whose characters may take two bytes, by their lead
// bytes, and 1252 as the single-byte control. 0x95 leads in all four.
struct CodePageCase {
    int number;
    CodePage codePage;
};
const CodePageCase kCodePages[] = {
    {932, CodePage().withLeadBytes(0x81, 0x9F).withLeadBytes(0xE0, 0xFC)},
    {936, CodePage().withLeadBytes(0x81, 0xFE)},
    {949, CodePage().withLeadBytes(0x81, 0xFE)},
    {950, CodePage().withLeadBytes(0x81, 0xFE)},
    {1252, CodePage()},
};

// 表 of code page 932 (0x95 0x5C): one character, whose second byte is a
// backslash; the same bytes under 1252 are two characters.
TEST(DoubleByteCodePages, SecondBytesAreNeverSeparators) {
    using Operation = std::function<std::string(MemoryPlatform&, const std::string&)>;
    const auto normalized = [](MemoryPlatform& p, const std::string& in) {
        std::string out;
        normalizePath(p.codePage, out, in);
        return out;
    };
    struct Row {
        const char* what;
        Operation operation;
        std::string input;
        std::string doubleByte;
        std::string singleByte;
    };
    const Row rows[] = {
        {"directoryPart", [](MemoryPlatform& p, const std::string& in) { return directoryPart(p.codePage, in); },
         "C:\\img\\\x95\\", "C:\\img\\", "C:\\img\\\x95\\"},
        {"filePart", [](MemoryPlatform& p, const std::string& in) { return filePart(p.codePage, in); },
         "C:\\img\\\x95\\.exe", "\x95\\.exe", ".exe"},
        {"stripExtension", [](MemoryPlatform& p, const std::string& in) { return stripExtension(p.codePage, in); },
         "a\x95.b", "a\x95.b", "a\x95"},
        {"normalizePath joins", normalized, "C:\\img\\\x94\xad\x95\\\\\\setup.exe",
         "C:\\img\\\x94\xad\x95\\\\setup.exe", "C:\\img\\\x94\xad\x95\\setup.exe"},
        {"normalizePath climbs", normalized, "a\\\x95\\..\\b", "a\\\x95\\..\\b", "a\\b"},
        {"stripTrailingSeparator",
         [](MemoryPlatform& p, std::string in) {
             stripTrailingSeparator(p.codePage, in);
             return in;
         },
         "C:\\\x95\\", "C:\\\x95\\", "C:\\\x95"},
        {"collapseSeparators",
         [](MemoryPlatform& p, const std::string& in) { return collapseSeparators(p.codePage, in); }, "C:\\\\\x95\\\\d",
         "C:\\\x95\\\\d", "C:\\\x95\\d"},
        {"unescapeDriveColon",
         [](MemoryPlatform& p, const std::string& in) { return unescapeDriveColon(p.codePage, in); },
         "\x95\\:", "\x95\\:", "\x95:"},
        {"isJavaRuntime",
         [](MemoryPlatform& p, const std::string& in) {
             return std::string(isJavaRuntime(p.codePage, in) ? "yes" : "no");
         },
         "C:\\\x95java", "no", "yes"},
        {"findProgram, relative to a folder ending in 0x5C",
         [](MemoryPlatform& p, const std::string& in) {
             p.currentDir = "C:\\\x95\\";
             return findProgram(p, in);
         },
         "sub\\x.exe", "C:\\\x95\\\\sub\\x.exe", "C:\\\x95\\sub\\x.exe"},
        {"findProgram, a bare name", [](MemoryPlatform& p, const std::string& in) { return findProgram(p, in); },
         "\x95\\x.exe", "C:\\work\\.\\\x95\\x.exe", "C:\\work\\\x95\\x.exe"},
        {"program file, extension search",
         [](MemoryPlatform& p, const std::string& in) { return resolveProgramFile(p, in); }, "C:\\x.y\\\x95\\",
         "C:\\x.y\\\x95\\.exe", ""},
    };
    for (const CodePageCase& page : kCodePages) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::to_string(page.number) + ": " + row.what);
            MemoryPlatform platform;
            platform.codePage = page.codePage;
            for (const std::string& existing : {row.doubleByte, row.singleByte}) {
                if (!existing.empty()) platform.addFile(existing, "");
            }
            EXPECT_EQ(row.operation(platform, row.input), page.number == 1252 ? row.singleByte : row.doubleByte);
        }
    }
    // Half-width katakana (0xA1 to 0xDF) are single bytes in 932 only.
    EXPECT_EQ(directoryPart(kCodePages[0].codePage, "C:\\\xB1\\x"), "C:\\\xB1\\");
    EXPECT_EQ(directoryPart(kCodePages[1].codePage, "C:\\\xB1\\x"), "C:\\");
}

}  // namespace
}  // namespace launcher
