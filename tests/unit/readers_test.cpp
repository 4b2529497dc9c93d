#include <gtest/gtest.h>

#include "config/text_rules.h"
#include "discovery/agent_location.h"
#include "discovery/installed_version.h"
#include "discovery/reference_file.h"
#include "golden.h"
#include "memory_platform.h"
#include "messages/messages.h"
#include "messages/trace_file.h"
#include "platform/text_file.h"
#include "version/version_compare.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;
using Lines = std::vector<std::string>;

// The lines of content, read with the platform's uneven reads or, with
// byteWise, one byte per read.
Lines readLines(const std::string& content, bool byteWise = false) {
    MemoryPlatform platform;
    platform.addFile("C:\\f.txt", content);
    std::unique_ptr<TextLineReader> reader = openTextFile(platform, "C:\\f.txt");
    if (byteWise)
        reader = std::make_unique<TextLineReader>(
            std::make_unique<testing::MemoryInputFile>(content, [] { return std::size_t{1}; }));
    Lines lines;
    std::string_view line;
    while (reader->nextLine(line)) lines.emplace_back(line);
    EXPECT_FALSE(reader->nextLine(line));
    return lines;
}

TEST(TextLineReader, AppliesTextModeRules) {
    const std::string x253(253, 'x');
    const std::pair<std::string, Lines> rows[] = {
        {"", {}},
        {"a\r\nb\r\n\n", {"a", "b", ""}},
        {"a\rb\r\r\nc\rd\ne", {"a\rb\r", "c\rd", "e"}},  // a lone CR stays
        {"a\r", {"a\r"}},
        {"a\nb\x1a" + std::string(5000, 'c') + "\n", {"a", "b"}},  // Ctrl-Z ends the text
        {std::string("a\0b\nc\n", 6), {"a", "c"}},                 // a NUL ends what the line holds
        // Pieces of at most 254 characters; CR LF counts as one.
        {x253 + "yz\n", {x253 + "y", "z"}},
        {x253 + "y\nz", {x253 + "y", "", "z"}},
        {x253 + "y\r\n", {x253 + "y", ""}},
        {x253 + "\r\ny", {x253, "y"}},
        {x253 + "\r\r\n", {x253 + "\r", ""}},
    };
    for (const auto& [content, lines] : rows) {
        EXPECT_EQ(readLines(content), lines) << ::testing::PrintToString(content);
        EXPECT_EQ(readLines(content, true), lines) << ::testing::PrintToString(content);
    }
}

// Versions in ascending order: "<" stands between a version and the next
// larger one, "=" between equal ones.
TEST(CompareVersions, DocumentedOrder) {
    const std::string ascending =
        "-99999999999=-2147483648<-2147483647<-1.0.0<0.0.0.beta<=0.0.0<0.2.3=ver1.2.3<1.0.0.beta<1=1.0=1.0.0."
        "<1.0.0.10<1.0.0.20070512<1.0.0.20070601<1.0.0.9<1.0.0.Beta<1.0.0.a<1.0.0.a.b<1.0.0.beta1<1.0.0.z"
        "<1.0.0.\xE9<1.0.2=1..2<1.0.9<1.0.10<1.1.0<1.2.3=1.2.3a=1.2.3-7<1.9.0<1.9.9<1.10.0<2<7.0= \t\n\v\f\r+7"
        "<2147483646.9<2147483647=99999999999.0<";
    std::vector<std::pair<std::string, int>> ranked(1);
    for (char c : ascending) {
        if (c != '<' && c != '=') ranked.back().first += c;
        if (c == '<' || c == '=') ranked.emplace_back("", ranked.back().second + (c == '<'));
    }
    ranked.pop_back();
    for (const auto& [a, rankA] : ranked) {
        for (const auto& [b, rankB] : ranked) {
            EXPECT_EQ(compareVersions(a, b), (rankA > rankB) - (rankA < rankB)) << a << " vs " << b;
        }
    }
    const VersionParts parts = splitVersion("1.22.-3.x.y.z");
    EXPECT_EQ(
        std::make_tuple(parts.major, parts.minor, parts.micro, parts.qualifier, parts.written[1], parts.written[2]),
        std::make_tuple(1, 22, -3, "x.y.z", "22", "-3"));
    EXPECT_EQ(parts.partsWritten, 3);
    EXPECT_EQ(splitVersion("4.").partsWritten, 2);
    EXPECT_EQ(splitVersion("4").partsWritten, 1);
}

// Block 126 holds ids 2000 to 2015: the error title is its entry 6.
std::u16string block(int entries, const std::u16string& sixth) {
    std::u16string raw;
    for (int i = 0; i < entries; ++i) raw += i == 6 ? char16_t(sixth.size()) + sixth : u"\x01-";
    return raw;
}

TEST(Messages, UserLanguageThenSamePrimaryLanguageThenEnglish) {
    // Every language with a table says its own number.
    MemoryPlatform platform;
    platform.ownBlocks = true;
    for (int table : {1028, 1029, 1031, 1033, 1036, 1038, 1040, 1041, 1042, 1045, 1046, 1049, 2052, 3082}) {
        const std::string number = std::to_string(table);
        platform.stringBlocks[{126, table}] = block(16, std::u16string(number.begin(), number.end()));
    }
    const std::pair<std::uint16_t, const char*> rows[] = {
        {0x0805, "1029"}, {0x0807, "1031"}, {0x0809, "1033"}, {0x080A, "3082"}, {0x080C, "1036"},
        {0x080E, "1038"}, {0x0810, "1040"}, {0x0811, "1041"}, {0x0812, "1042"}, {0x0815, "1045"},
        {0x0816, "1046"}, {0x0819, "1049"}, {0x0804, "2052"}, {0x0C04, "1028"}, {0x1004, "2052"},
        {0x1404, "1028"}, {0x1804, "2052"}, {0x0004, "2052"}, {0x041D, "1033"}, {0, "1033"},
    };
    for (const auto& [user, table] : rows) {
        platform.language = user;
        EXPECT_EQ(loadMessage(platform, kMsgErrorTitle), table) << std::hex << user;
    }
    // An entry that is empty, or a block that ends before it or is damaged,
    // sends the lookup on to the next table.
    platform.language = 0x0C07;
    for (const std::u16string& raw : {block(16, u""), block(6, u"x"), block(16, u"xyz").substr(0, 14)}) {
        platform.stringBlocks[{126, 0x0C07}] = raw;
        platform.stringBlocks[{126, 1031}] = raw;
        EXPECT_EQ(loadMessage(platform, kMsgErrorTitle), "1033");
    }
    EXPECT_EQ(loadMessage(platform, MessageId{2012}), "-");  // block 126 of every table holds it
    EXPECT_EQ(loadMessage(platform, MessageId{2016}), "");   // no table has block 127

    const std::pair<std::string, std::string> formats[] = {
        {"a %s b\n", "a C:\\x b\n"},
        {"%s and %s", "C:\\x and %s"},
        {"100%% %x %s", "100% %x C:\\x"},
        {"%d%", "C:\\x%"},
    };
    for (const auto& [format, text] : formats) EXPECT_EQ(formatMessage(platform, format, "C:\\x"), text) << format;
    EXPECT_EQ(formatMessage(platform, "%s", "D\xE9j\xE0"), "Déjà");  // system code page to UTF-8
    EXPECT_EQ(formatMessage("Return Code=%d", -1), "Return Code=-1");
    showMessageBox(platform, "Text " + std::string(600, 'p'), "Titel ö", BoxIcon::Information);
    EXPECT_EQ(platform.boxes[0].text + "|" + platform.boxes[0].title, "Text " + std::string(600, 'p') + "|Titel ö");
    EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Information);
}

TEST(Messages, UtfConversionsAtEveryBoundary) {
    // Both ways: UTF-16 units and UTF-8 bytes of the same text.
    const std::pair<std::u16string, std::string> both[] = {
        {std::u16string(u"a\0\u007F", 3), std::string("a\0\x7F", 3)},
        {u"\u0080\u07FF", "\xC2\x80\xDF\xBF"},
        {u"\u0800\uD7FF\uE000\uFFFF", "\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"},
        {u"\U00010000\U0001F600", "\xF0\x90\x80\x80\xF0\x9F\x98\x80"},
        {u"\uFFFF\U000FFFFF\U0010FFFF", "\xEF\xBF\xBF\xF3\xBF\xBF\xBF\xF4\x8F\xBF\xBF"},
    };
    for (const auto& [wide, narrow] : both) {
        EXPECT_EQ(utf16ToUtf8(wide), narrow);
        EXPECT_EQ(utf8ToUtf16(narrow), wide);
    }
    // Unpaired surrogates and malformed bytes become U+FFFD.
    const std::string bad = "\xEF\xBF\xBD";
    const std::pair<std::u16string, std::string> unpaired[] = {
        {u"\xD800", bad},
        {u"\xDBFF", bad},
        {u"\xDC00\xDFFF", bad + bad},
        {u"\xD800x", bad + "x"},
        {u"\xDBFF\xDBFF", bad + bad},
    };
    for (const auto& [wide, narrow] : unpaired) EXPECT_EQ(utf16ToUtf8(wide), narrow);
    const std::pair<std::string, std::u16string> malformed[] = {
        {"a\xFFz\xC3", u"a\uFFFDz\uFFFD"},
        {"\x80\xC1\xBF\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xE3\x81z\xF0\x90\x80z", u"\uFFFDz\uFFFDz"},
        {"\xC0\xAF\xE0\x9F\xBF\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong
        {"\xF4\x90\x80\x80\xED\xA0\x80\xED\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},    // beyond U+10FFFF; surrogates
    };
    for (const auto& [narrow, wide] : malformed) EXPECT_EQ(utf8ToUtf16(narrow), wide) << narrow;
}

TEST(AgentFiles, ReferenceConfigAndPackageFiles) {
    // Each reader, a file's content ("-" for no file), and its output, "old"
    // when the reader left it as it was.
    std::string many;
    for (int i = 0; i < 2000; ++i) many += "k" + std::to_string(i) + "=v\n";
    const auto property = [](Platform& p, const std::string& path, std::string& out) {
        const int result = readProperty(p, path, "location", out);
        out = std::to_string(result) + " " + out;
    };
    const std::string key = "tessa.appDataLocation";
    const std::string tag = "<package id='com.norvex.tessa.agent' ";
    using Reader = std::function<void(Platform&, const std::string&, std::string&)>;
    const std::tuple<Reader, std::string, std::string> rows[] = {
        {property, "x\n=y\nlocation\nlocation=a=b\nlocation=B\n", "0 a=b"},
        {property, "location =A\nLocation=A\n#location=A\n", "-1 "},
        {property, many + "location=end\n", "0 end"},
        {property, "-", "-1 old"},
        {readConfigValue, key + "=A\n" + key + "=B\n#" + key + "=C\n " + key + "=D\n", "B"},
        {readConfigValue, "other=1\n" + key + "X = A\n", " A"},
        {readConfigValue, key + "=A\n" + key + "\n" + key + "=C\n", "A"},  // a key line without "=" ends the search
        {readConfigValue, "other=1\n", ""},
        {readConfigValue, "-", "old"},
        {readPackageVersion, tag + "version='1.2.3'/>\n" + tag + "version='9'/>\n", "1.2.3"},
        {readPackageVersion, "version='4.5' x <package y id='com.norvex.tessa.agent'\n", "4.5"},
        {readPackageVersion, "<package id=\"com.norvex.tessa.agent\" version=\"1\"/>\n", ""},
        {readPackageVersion, "<package id='com.norvex.other' version='2'/>\n", ""},
        {readPackageVersion, tag + "\n version='3'/>\n" + tag + "version='5\n" + tag + "version='6'\n", "6"},
        {readPackageVersion, tag + std::string(240, ' ') + "version='7'/>\n", ""},
        {readPackageVersion, "-", "old"},
    };
    for (const auto& [reader, content, expected] : rows) {
        MemoryPlatform files;
        if (content != "-") files.addFile("C:\\f", content);
        std::string out = "old";
        reader(files, "C:\\f", out);
        EXPECT_EQ(out, expected) << content.substr(0, 80);
    }
}

TEST(AgentFiles, InstalledVersionInTwoHops) {
    const std::pair<const char*, const char*> unescaped[] = {
        {"C\\:\\data", "C:\\data"}, {"C\\:", "C:"}, {"C\\", "C\\"}, {"ab\\:", "ab\\:"}, {"\\\\:", "\\:"}};
    for (const auto& [in, out] : unescaped) EXPECT_EQ(unescapeDriveColon(CodePage(), in), out) << in;
    const std::pair<const char*, const char*> collapsed[] = {
        {"C:\\\\a\\\\b", "C:\\a\\b"}, {"\\\\\\\\srv\\\\s", "\\\\\\srv\\s"},
        {"a\\\\\\b", "a\\\\b"},       {"a\\\\\\\\b", "a\\\\b"},
        {"a//b/\\c", "a/b/c"},        {"\\", "\\"},
        {"\\\\srv\\s", "\\\\srv\\s"}, {"//", "/"},
        {"\\a\\b\\\\c", "\\a\\b\\c"}};
    for (const auto& [in, out] : collapsed) EXPECT_EQ(collapseSeparators(CodePage(), in), out) << in;

    // The lookups trace what they read; the record names the same files.
    MemoryPlatform platform;
    TraceFile trace;
    trace.open(platform, "C:\\t.log");
    const std::string config = "C:\\Agent\\eclipse\\configuration\\config.ini";
    const std::string xml = "C:\\D\\A\\installed.xml";
    platform.addFile("C:\\img\\r.properties", "location=C:\\Agent\\\n");
    platform.addFile(xml, "<package id='com.norvex.tessa.agent' version=''/>\n");
    for (const char* value : {"", "/", "C\\:\\\\D\\\\A\\\\"}) {
        platform.files[config] = std::string("tessa.appDataLocation=") + value + "\n";
        EXPECT_EQ(installedAgentVersion(platform, trace, "C:\\Agent"), std::nullopt);
    }
    platform.files[xml] = "<package id='com.norvex.tessa.agent' version='2.0.1'/>\n";
    EXPECT_EQ(installedAgentVersion(platform, trace, ""), std::nullopt);
    trace.close();
    EXPECT_EQ(platform.written["C:\\t.log"],
              toTextModeBytes(testing::goldenSection(UNIT_EXPECTED_DIR "/traces.txt", "lookups")));
    LookupRecord record;
    AgentDiscovery found;
    findInstalledAgent(platform, trace, {.iniManagerLocationFile = "<CURRDIR>r.properties", .launcherDir = "C:\\img\\"},
                       found, &record);
    EXPECT_EQ(found.refVersion, "2.0.1");
    EXPECT_EQ(record.refFile + "|" + record.configFile + "|" + record.appDataDir + "|" + record.installedXml,
              "C:\\img\\r.properties|" + config + "|C:\\D\\A|" + xml);
}

const std::string kNoValue = "(a key without the value)";

TEST(AgentLocation, RegistryKeyOrReferenceFile) {
    struct Row {
        const char* name;
        std::string key = "Software\\Q";
        std::string file;
        int admin = 0;
        std::optional<std::string> own;   ///< the value in the program's own view; nothing: no key
        std::optional<std::string> wide;  ///< the value in the 64-bit view
        bool expandable = false;
        std::string location;
    };
    const std::string x254(254, 'x');
    const Row rows[] = {
        {.name = "key in neither view: the location stays", .location = "earlier"},
        {.name = "a key without the value", .own = kNoValue, .location = ""},
        {.name = "too long, and not looked past", .own = x254 + "x", .wide = "C:\\S", .location = ""},
        {.name = "254 bytes fit", .own = x254, .location = x254},
        {.name = "an administrator reads the machine's hive", .admin = 1, .own = "C:\\M", .location = "C:\\M"},
        {.name = "only the 64-bit view has it", .wide = "C:\\S", .location = "C:\\S"},
        {.name = "the 64-bit value where the own view lacks one",
         .admin = 1,
         .own = kNoValue,
         .wide = "C:\\S",
         .location = "C:\\S"},
        {.name = "the 64-bit key without the value", .wide = kNoValue, .location = ""},
        {.name = "an empty value of the own view is not looked past", .own = "", .wide = "C:\\S", .location = ""},
        {.name = "REG_SZ stays unexpanded", .own = "%ProgramFiles%\\Q", .location = "%ProgramFiles%\\Q"},
        // REG_EXPAND_SZ, within the same limit; a 64-bit package's
        // %CommonProgramFiles% is the 64-bit folder, when Windows names one.
        {.name = "REG_EXPAND_SZ expanded",
         .own = "%CommonProgramFiles%\\Q",
         .expandable = true,
         .location = "C:\\CF86\\Q"},
        {.name = "a 64-bit value's folders are the 64-bit ones",
         .wide = "%x%%commonprogramfiles%\\%ProgramFiles%\\5%",
         .expandable = true,
         .location = "%x%C:\\CF\\C:\\PF86\\5%"},
        {.name = "an expansion beyond 254 bytes", .own = "%L%" + x254.substr(199), .expandable = true, .location = ""},
        {.name = "an expansion of 254 bytes", .own = "%L%" + x254.substr(200), .expandable = true, .location = x254},
        {.name = "the key comes first", .file = "<CURRDIR>r.properties", .location = "earlier"},
        {.name = "the reference file", .key = "", .file = "<CURRDIR>r.properties", .location = "C:\\F"},
        {.name = "a reference file without location", .key = "", .file = "C:\\img\\n.properties", .location = ""},
        {.name = "a reference file that is missing", .key = "", .file = "C:\\none", .location = "earlier"},
        {.name = "neither source", .key = "", .location = "earlier"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryPlatform platform;
        platform.environment = {{"ProgramFiles", "C:\\PF86"},
                                {"CommonProgramFiles", "C:\\CF86"},
                                {"CommonProgramW6432", "C:\\CF"},
                                {"L", std::string(200, 'x')}};
        platform.expandableValues = row.expandable;
        platform.addFile("C:\\img\\r.properties", "location=C:\\F\n");
        platform.addFile("C:\\img\\n.properties", "x=1\n");
        const RegistryHive hive = row.admin ? RegistryHive::LocalMachine : RegistryHive::CurrentUser;
        const RegistryHive other = row.admin ? RegistryHive::CurrentUser : RegistryHive::LocalMachine;
        platform.registry[{other, "Software\\Q"}] = {{"location", "C:\\Wrong"}};
        for (auto [view, value] : {std::pair{&platform.registry, row.own}, std::pair{&platform.registry64, row.wide}}) {
            if (!value) continue;
            (*view)[{hive, "Software\\Q"}] = {};
            if (*value != kNoValue) (*view)[{hive, "Software\\Q"}]["location"] = *value;
        }
        AgentDiscovery result{"earlier", "stale"};
        TraceFile trace;
        findInstalledAgent(platform, trace,
                           {.iniManagerLocationKey = row.key,
                            .iniManagerLocationFile = row.file,
                            .isUserAdmin = row.admin,
                            .launcherDir = "C:\\img\\"},
                           result);
        EXPECT_EQ(result.refLocation, row.location);
        EXPECT_EQ(result.refVersion, "");
    }
    // Variable names match in any case of the ASCII letters only.
    EXPECT_TRUE(equalsAsciiIgnoringCase("AZ%Program", "az%pROGRAM"));
    EXPECT_FALSE(equalsAsciiIgnoringCase("@[", "`{") || equalsAsciiIgnoringCase("a", "ab"));
}

}  // namespace
}  // namespace launcher
