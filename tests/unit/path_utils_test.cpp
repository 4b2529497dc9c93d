#include <gtest/gtest.h>

#include "memory_platform.h"
#include "platform/path_utils.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;

TEST(PathParts, SplitDirectoryFileAndExtension) {
    struct Row { const char* path; const char* dir; const char* file; const char* stripped; };
    const Row rows[] = {
        {"C:\\a\\b.exe", "C:\\a\\", "b.exe", "C:\\a\\b"}, {"C:\\a\\", "C:\\a\\", "", "C:\\a\\"},
        {"\\b", "\\", "b", "\\b"},                        {"b.exe", "", "b.exe", "b"},
        {"a.b.c", "", "a.b.c", "a.b"},                    {"setup.", "", "setup.", "setup."},
        {".profile", "", ".profile", ""},                 {"C:/a/b.exe", "", "C:/a/b.exe", "C:/a/b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(directoryPart(row.path), row.dir);
        EXPECT_EQ(filePart(row.path), row.file);
        EXPECT_EQ(stripExtension(row.path), row.stripped);
        EXPECT_EQ(directoryPart(row.path) + filePart(row.path), row.path);
    }
}

TEST(NormalizePath, ResolvesDotsAndSeparators) {
    struct Row { const char* input; int result; const char* output; };
    const Row rows[] = {
        {"C:\\a\\b\\..\\c\\.\\d.exe", 0, "C:\\a\\c\\d.exe"}, {"C:/a//b/./c", 0, "C:\\a\\b\\c"},
        {"C:\\dir\\.\\msiexec.exe", 0, "C:\\dir\\msiexec.exe"},
        {"C:\\inst\\..\\agent\\eclipse\\x.exe", 0, "C:\\agent\\eclipse\\x.exe"},
        {"\\\\server\\share\\..\\x", 0, "\\\\server\\x"},  {"//server/share/x", 0, "\\\\server\\share\\x"},
        {"\\a", 0, "\\a"},           {"a\\b\\\\", 0, "a\\b"},   {"./a", 0, "a"},
        {"C:\\..\\x", 0, "x"},       {"C:\\a\\..\\..\\b", 0, "b"}, {"a\\b\\..", 0, "a\\b\\.."},
        {"a\\...\\b", 0, "a\\...\\b"}, {"..\\x", 1, "..\\x"},  {"a/../../b", 1, "a/../../b"},
        {"", 0, ""},                 {"/", 0, "\\"},           {"\\\\\\", 0, "\\\\\\"},
        {"C:\\a\\b\\..\\", 0, "C:\\a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        std::string output = "junk";
        EXPECT_EQ(normalizePath(output, row.input), row.result);
        EXPECT_EQ(output, row.output);
    }
}

TEST(StripTrailingSeparator, RemovesOneSeparatorOnly) {
    const std::pair<std::string, std::string> rows[] = {
        {"C:\\a\\\\", "C:\\a\\"}, {"C:\\", "C:"}, {"a/", "a"}, {"", ""}, {"a", "a"}};
    for (auto [input, expected] : rows) {
        stripTrailingSeparator(input);
        EXPECT_EQ(input, expected);
    }
}

TEST(FindProgram, ClassifiesAndSearchesLikeTheShell) {
    struct Row { const char* name; const char* existing; const char* found; };
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

}  // namespace
}  // namespace launcher
