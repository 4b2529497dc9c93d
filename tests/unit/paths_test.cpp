#include <gtest/gtest.h>

#include "commands/quoting.h"
#include "discovery/installed_version.h"
#include "launcher/command_line.h"
#include "memory_platform.h"
#include "platform/path_utils.h"
#include "platform/process_launch.h"
#include "platform/spelled_path.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;
using Strings = std::vector<std::string>;

TEST(PathParts, SplitAndNormalize) {
    // The same cases in code pages 1252, 932, and 936, 949 and 950, whose
    // lead bytes are all 0x81 to 0xFE.
    const std::pair<const char*, CodePage> pages[] = {
        {"code page 1252", CodePage()},
        {"code page 932", CodePage().withLeadBytes(0x81, 0x9F).withLeadBytes(0xE0, 0xFC)},
        {"code pages 936, 949, 950", CodePage().withLeadBytes(0x81, 0xFE)}};
    // Each path, then its directory part, file part, name without extension,
    // and the path without one final separator.
    const std::array<std::string, 5> parts[] = {
        {"C:\\a\\b.exe", "C:\\a\\", "b.exe", "C:\\a\\b", "C:\\a\\b.exe"},
        {"C:\\a\\\\", "C:\\a\\\\", "", "C:\\a\\\\", "C:\\a\\"},
        {"a.b.c", "", "a.b.c", "a.b", "a.b.c"},
        {"setup.", "", "setup.", "setup.", "setup."},
        {".profile", "", ".profile", "", ".profile"},
        {"C:/a/b.exe/", "", "C:/a/b.exe/", "C:/a/b", "C:/a/b.exe"},
    };
    // "!" marks an input that climbs above its first segment: it stays.
    const std::pair<std::string, std::string> normalized[] = {
        {"C:\\a\\b\\..\\c\\.\\d.exe", "C:\\a\\c\\d.exe"},
        {"C:/a//b/./c", "C:\\a\\b\\c"},
        {"\\\\server\\share\\..\\x", "\\\\server\\x"},
        {"//server/share/x", "\\\\server\\share\\x"},
        {"./a", "a"},
        {"C:\\a\\..\\..\\b", "b"},
        {"a\\b\\..", "a\\b\\.."},
        {"a\\...\\b", "a\\...\\b"},
        {"..\\x", "!"},
        {"a/../../b", "!"},
        {"/", "\\"},
        {"C:\\a\\b\\..\\", "C:\\a"},
    };
    for (const auto& [name, page] : pages) {
        SCOPED_TRACE(name);
        for (auto [path, dir, file, stem, trimmed] : parts) {
            EXPECT_EQ(directoryPart(page, path) + "|" + filePart(page, path) + "|" + stripExtension(page, path),
                      dir + "|" + file + "|" + stem)
                << path;
            const std::string whole = path;
            stripTrailingSeparator(page, path);
            EXPECT_EQ(path, trimmed) << whole;
        }
        for (const auto& [input, output] : normalized) {
            std::string out;
            EXPECT_EQ(normalizePath(page, out, input), output == "!" ? 1 : 0) << input;
            EXPECT_EQ(out, output == "!" ? input : output) << input;
        }
    }
    // In double-byte code pages a character's second byte can be 0x5C, the
    // backslash (表 of code page 932 is 0x95 0x5C, ソ 0x83 0x5C): it is never a separator.
    for (const auto& [name, dbcs] : {pages[1], pages[2]}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(directoryPart(dbcs, "C:\\\x83\\x"), "C:\\");
        EXPECT_EQ(collapseSeparators(dbcs, "C:\\\\\x95\\\\d") + "|" + unescapeDriveColon(dbcs, "\x95\\:"),
                  "C:\\\x95\\\\d|\x95\\:");
        std::string out;
        EXPECT_EQ(normalizePath(dbcs, out, "a\\\x95\\..\\b\\\x95\\"), 0);
        stripTrailingSeparator(dbcs, out);
        EXPECT_EQ(out, "a\\\x95\\..\\b\\\x95\\");
    }
}

// Paths that Windows hands over in UTF-16, spelled in the system code page
// (here Latin-1): a part the code page lacks a character of becomes its short
// name, when the file system has one that the code page can spell.
TEST(SpelledPaths, AsWrittenOrShortNameOrUnnamed) {
    struct Row {
        const char* name;
        std::u16string path;
        const char* spelled;  ///< "!" first: the path cannot be named
    };
    const Row rows[] = {
        {"exact", u"C:\\Program Files\\Größe\\x.exe",
         "C:\\Program Files\\Gr\xF6\xDF"
         "e\\x.exe"},
        {"only the part the code page lacks", u"C:\\测试 image\\QuillmarkSetup.exe",
         "C:\\___I~PSY\\QuillmarkSetup.exe"},
        {"a look-alike is no spelling", u"C:\\Users\\Łukasz\\x", "C:\\Users\\UKASZ~1\\x"},
        {"a new file in such a folder", u"C:/测试 image/new.log", "C:/___I~PSY/new.log"},
        {"no short name", u"C:\\Users\\张伟\\x", "!C:\\Users\\??\\x"},
        {"a short name the code page lacks too", u"C:\\Дом", "!C:\\???"},
        {"a new file whose own name it lacks", u"C:\\测试 image\\张.log", "!C:\\___I~PSY\\?.log"},
        {"empty", u"", ""},
    };
    MemoryPlatform platform;
    platform.shortNames = {{u"C:\\测试 image", u"C:\\___I~PSY"},
                           {u"C:\\测试 image\\QuillmarkSetup.exe", u"C:\\___I~PSY\\QUILLM~1.EXE"},
                           {u"C:/测试 image", u"C:/___I~PSY"},
                           {u"C:\\Users\\Łukasz", u"C:\\Users\\UKASZ~1"},
                           {u"C:\\Дом", u"C:\\ДОМ~1"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SpelledPath spelled = spellPath(platform, row.path);
        EXPECT_EQ((spelled.named ? "" : "!") + spelled.text, row.spelled);
    }
    // PATH, part by part; and an argument: its text as Windows spells it,
    // its path as the launcher does.
    EXPECT_EQ(spellPathList(platform, u"C:\\测试 image;;张;bin"), "C:\\___I~PSY;;?;bin");
    // Only the program and a path option's value are paths: no other
    // argument sends the launcher to the file system for a short name.
    const std::vector<CommandArgument> arguments =
        commandArguments(platform, {u"C:\\Users\\Łukasz\\x", u"-log", u"C:\\测试 image\\t.log", u"C:\\测试 image"});
    EXPECT_EQ(arguments[0].text, "C:\\Users\\Lukasz\\x");
    EXPECT_EQ(arguments[0].path.text, "C:\\Users\\UKASZ~1\\x");
    EXPECT_EQ(arguments[2].path.text, "C:\\___I~PSY\\t.log");
    EXPECT_EQ(arguments[3].path.text, "C:\\?? image");
    // The options that name a file or folder take such an argument as a path.
    CommandLineValues values;
    ASSERT_EQ(parseCommandLine(commandArguments(platform, {u"x", u"-input", u"Łi", u"-appDataLocation", u"Ła", u"-log",
                                                           u"Łl", u"-nl", u"Łn"}),
                               values),
              ParseResult::Continue);
    EXPECT_EQ(values.pathsWithoutShortForm, (Strings{"?i", "?a", "?l"}));
    EXPECT_EQ(values.argNL, "Ln");
}

// Programs as the launcher finds itself (findProgram) and as a start finds
// a child (resolveProgramFile), among the files that exist, on a double-byte
// code page: a lead byte and ':' are one character.
TEST(ProgramLookup, LikeTheShellAndLikeAStart) {
    using Lookup = std::string (*)(Platform&, const std::string&);
    const Lookup find = findProgram;
    const Lookup start = resolveProgramFile;
    const std::tuple<Lookup, const char*, Strings, const char*> rows[] = {
        {find, "tools\\x.exe", {"C:\\work\\tools\\x.exe"}, "C:\\work\\tools\\x.exe"},
        {find, "msiexec.exe", {"C:\\Windows\\system32\\msiexec.exe"}, "C:\\Windows\\system32\\msiexec.exe"},
        {find, "\\x.exe", {"\\x.exe"}, "\\x.exe"},
        {find, "D:x", {"D:x"}, "D:x"},
        {find, "C:", {"C:\\work\\.\\C:"}, "C:\\work\\.\\C:"},  // two characters: a bare name
        {find, "\x95:x.exe", {"C:\\work\\.\\\x95:x.exe"}, "C:\\work\\.\\\x95:x.exe"},
        {find, "p.exe", {"C:\\work\\.\\p.exe", "C:\\Windows\\p.exe"}, "C:\\work\\.\\p.exe"},
        // PATH entries: empty ones skipped, a relative one returned relative,
        // one that climbs taken from the current directory; folders are no programs.
        {find, "b.exe", {"bin\\b.exe"}, "bin\\b.exe"},
        {find, "u.exe", {"C:\\work\\..\\up\\u.exe"}, "C:\\work\\..\\up\\u.exe"},
        {find, "none.exe", {"\\none.exe"}, ""},
        {find, "d.exe", {"C:\\Windows\\d.exe\\x"}, ""},
        {start, "C:\\x\\agent", {"C:\\x\\agent.exe", "C:\\x\\agent.com"}, "C:\\x\\agent.com"},
        {start, "C:\\x\\agent", {"C:\\x\\agent", "C:\\x\\agent.cmd"}, "C:\\x\\agent.cmd"},
        {start, "C:\\x.y\\agent", {"C:\\x.y\\agent.bat"}, "C:\\x.y\\agent.bat"},
        {start, "C:/x/tool.v2/run", {"C:/x/tool.v2/run.exe"}, "C:/x/tool.v2/run.exe"},
        {start, "C:\\x\\a.exe", {}, ""},
        {start, "java.exe", {".\\java.exe"}, ".\\java.exe"},  // the current directory, never PATH
        {start, "a", {".\\a.exe"}, ".\\a.exe"},
        {start, ".\\setup", {".\\setup.exe"}, ".\\setup.exe"},
        {start, "C:tool", {"C:tool.bat"}, "C:tool.bat"},
        {start, "C:.b", {"C:.b"}, "C:.b"},
        // No file name, no search: never .\.exe or C:\x\.cmd.
        {start, "", {".\\.com", ".\\.exe", ".\\.bat", ".\\.cmd"}, ""},
        {start, "C:\\x\\", {"C:\\x\\.exe"}, ""},
        {start, "C:", {"C:.exe"}, ""},
    };
    for (const auto& [lookup, name, existing, found] : rows) {
        MemoryPlatform platform;
        platform.codePage = CodePage().withLeadBytes(0x81, 0xFE);
        platform.environment["PATH"] = "C:\\Windows\\system32;;C:\\Windows;bin;..\\up;";
        for (const std::string& file : existing) platform.addFile(file, "");
        EXPECT_EQ(lookup(platform, name), found) << name;
    }
    // Wildcards name no file; a program that is not there does not start.
    MemoryPlatform platform;
    platform.addFile("C:\\a\\?.exe", "");
    EXPECT_FALSE(pathExists(platform, "C:\\a\\?.exe") || pathExists(platform, "C:\\a\\*") ||
                 !pathExists(platform, "C:\\a"));
    EXPECT_EQ(runAndWait(platform, "C:\\x\\missing.exe", {}), -1);
    EXPECT_EQ(startAndExit(platform, "C:\\x\\missing.exe", {}), StartResult::Failed);
    platform.addFile("C:\\x\\agent.exe", "");
    EXPECT_EQ(runAndWait(platform, "C:\\x\\agent", {"\"C:\\x\\agent\"", "a b", ""}), 0);
    EXPECT_EQ(platform.processes.back().program + "|" + platform.processes.back().commandLine,
              "C:\\x\\agent.exe|\"C:\\x\\agent\" a b ");
}

// The installer's and the agent's commands are in the launch sequence's
// whole trace, in launcher-check's explanations and, as a real child
// receives them, end to end. Here: the language of an installer's /L.
TEST(Commands, LanguageOfTheInstaller) {
    const std::pair<const char*, const char*> locales[] = {
        {"en_US", "1033"}, {"de_CH", "1031"}, {"da", "1033"},    {"es_MX", "1034"}, {"et", "1033"},
        {"it", "1040"},    {"is", "1033"},    {"fr_CA", "1036"}, {"fi", "1033"},    {"ko", "1042"},
        {"kk", "1033"},    {"ja_JP", "1041"}, {"jv", "1033"},    {"zh_TW", "1028"}, {"zh_T", "1028"},
        {"zh_HK", "2052"}, {"zh", "2052"},    {"za", "1033"},    {"pt_BR", "1046"}, {"pt_B", "1046"},
        {"pt_PT", "1033"}, {"pt", "1033"},    {"ru_RU", "1049"}, {"ro", "1033"},    {"pl", "1045"},
        {"pa", "1033"},    {"hu", "1038"},    {"hr", "1033"},    {"cs_CZ", "1029"}, {"cy", "1033"},
        {"DE", "1033"},    {"e", "1033"},     {"", ""},
    };
    for (const auto& [locale, id] : locales) EXPECT_STREQ(lcidForLocale(locale), id) << locale;
}

}  // namespace
}  // namespace launcher
