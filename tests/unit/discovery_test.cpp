#include <gtest/gtest.h>

#include "discovery/agent_location.h"
#include "discovery/installed_version.h"
#include "discovery/property_list.h"
#include "memory_platform.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;

TEST(PropertyList, FirstKeyWinsNewestFirst) {
    PropertyList list;
    EXPECT_EQ(list.addIfAbsent("a", "1"), 0);
    EXPECT_EQ(list.addIfAbsent("b", "2"), 0);
    EXPECT_EQ(list.addIfAbsent("a", "3"), 1);
    EXPECT_EQ(*list.getValue("a"), "1");
    EXPECT_FALSE(list.containsKey("A"));
    EXPECT_EQ(list.getValue("c"), nullptr);
    EXPECT_EQ(list.findEntry("b")->next->key, "a");  // the newest entry stands in front
}

TEST(ReadProperty, LinesOfAReferenceFile) {
    struct Row {
        const char* what;
        std::string content;
        int result;
        const char* value;
    };
    const Row rows[] = {
        {"first line wins", "location=A\nlocation=B\n", 0, "A"},
        {"blank before =", "location =A\n", -1, ""},
        {"capital L", "Location=A\n", -1, ""},
        {"empty value", "location=\r\n", 0, ""},
        {"equals in the value", "x\n=y\nlocation=a=b\n", 0, "a=b"},
        {"hash is no comment", "#location=A\n", -1, ""},
        {"backslashes literal", "location=C:\\\\a\\b\n", 0, "C:\\\\a\\b"},
        {"empty file", "", -1, ""},
        {"second piece of a long line", std::string(254, 'x') + "location=P\n", 0, "P"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryPlatform platform;
        platform.addFile("C:\\ref.properties", row.content);
        std::string output = "old";
        EXPECT_EQ(readProperty(platform, "C:\\ref.properties", "location", output), row.result);
        EXPECT_EQ(output, row.value);
    }
    MemoryPlatform platform;
    std::string output = "old";
    EXPECT_EQ(readProperty(platform, "C:\\missing", "location", output), -1);
    EXPECT_EQ(output, "old");
}

TEST(PropertyList, LargeFilesLoadInLinearTime) {
    std::string content;
    for (int i = 0; i < 200000; ++i) content += "key" + std::to_string(i) + "=v\n";
    MemoryPlatform platform;
    platform.addFile("C:\\big", content + "location=end\n");
    std::string output;
    EXPECT_EQ(readProperty(platform, "C:\\big", "location", output), 0);
    EXPECT_EQ(output, "end");
}

TEST(AgentFiles, PathOperations) {
    const std::pair<const char*, const char*> unescaped[] = {
        {"C\\:\\data", "C:\\data"}, {"C\\:", "C:"}, {"C\\", "C\\"}, {"ab\\:", "ab\\:"}, {"\\\\:", "\\:"}, {"", ""}};
    for (const auto& [in, out] : unescaped) EXPECT_EQ(unescapeDriveColon(CodePage(), in), out) << in;
    const std::pair<const char*, const char*> collapsed[] = {
        {"C:\\\\a\\\\b", "C:\\a\\b"}, {"\\\\\\\\srv\\\\s", "\\\\\\srv\\s"},
        {"a\\\\\\b", "a\\\\b"},       {"a\\\\\\\\b", "a\\\\b"},
        {"a//b/\\c", "a/b/c"},        {"\\", "\\"},
        {"\\\\srv\\s", "\\\\srv\\s"}, {"ab", "ab"},
    };
    for (const auto& [in, out] : collapsed) EXPECT_EQ(collapseSeparators(CodePage(), in), out) << in;
}

TEST(AgentFiles, ReadConfigValue) {
    struct Row {
        const char* what;
        std::string content;
        const char* value;
    };
    const Row rows[] = {
        {"last line wins", "tessa.appDataLocation=A\ntessa.appDataLocation=B\n", "B"},
        {"comment", "#tessa.appDataLocation=A\n", ""},
        {"longer key matches", "tessa.appDataLocationX=A\n", "A"},
        {"blank in front", " tessa.appDataLocation=A\n", ""},
        {"key line without = ends the search",
         "tessa.appDataLocation=A\ntessa.appDataLocation\ntessa.appDataLocation=C\n", "A"},
        {"blanks around =", "tessa.appDataLocation = A\n", " A"},
        {"no key", "other=1\n", ""},
    };
    for (const Row& row : rows) {
        MemoryPlatform platform;
        platform.addFile("C:\\c.ini", row.content);
        std::string output = "old";
        readConfigValue(platform, "C:\\c.ini", output);
        EXPECT_EQ(output, row.value) << row.what;
    }
    MemoryPlatform platform;
    std::string output = "old";
    readConfigValue(platform, "C:\\missing", output);
    EXPECT_EQ(output, "old");
}

TEST(AgentFiles, ReadPackageVersion) {
    const std::string package = "<package id='com.norvex.tessa.agent' ";
    struct Row {
        const char* what;
        std::string content;
        const char* version;
    };
    const Row rows[] = {
        {"first qualifying line", package + "version='1.2.3'/>\n" + package + "version='9'/>\n", "1.2.3"},
        {"any order", "version='4.5' x <package y id='com.norvex.tessa.agent'\n", "4.5"},
        {"double quotes not recognised", "<package id=\"com.norvex.tessa.agent\" version=\"1\"/>\n", ""},
        {"other package", "<package id='com.norvex.other' version='2'/>\n", ""},
        {"over several lines", "<package id='com.norvex.tessa.agent'\n version='3'/>\n", ""},
        {"no closing quote, later line", package + "version='5\n" + package + "version='6'\n", "6"},
        {"empty version", package + "version=''/>\n", ""},
        {"too long for one piece", package + std::string(240, ' ') + "version='7'/>\n", ""},
    };
    for (const Row& row : rows) {
        MemoryPlatform platform;
        platform.addFile("C:\\installed.xml", row.content);
        std::string output = "old";
        readPackageVersion(platform, "C:\\installed.xml", output);
        EXPECT_EQ(output, row.version) << row.what;
    }
}

TEST(AgentFiles, InstalledVersionInTwoHops) {
    MemoryPlatform platform;
    platform.addFile("C:\\Agent\\eclipse\\configuration\\config.ini",
                     "#c\ntessa.appDataLocation=C\\:\\\\Data\\\\Agent\\\\\n");
    platform.addFile("C:\\Data\\Agent\\installed.xml", "<package id='com.norvex.tessa.agent' version='2.0.1'/>\n");
    TraceFile trace;
    EXPECT_EQ(installedAgentVersion(platform, trace, "C:\\Agent\\"), "2.0.1");
    EXPECT_EQ(installedAgentVersion(platform, trace, "C:\\Agent"), "2.0.1");
    EXPECT_EQ(installedAgentVersion(platform, trace, ""), std::nullopt);
    platform.files["C:\\Agent\\eclipse\\configuration\\config.ini"] = "tessa.appDataLocation=/\n";
    EXPECT_EQ(installedAgentVersion(platform, trace, "C:\\Agent"), std::nullopt);
}

TEST(Placeholders, FirstPlaceholderOfTheTableFirstOccurrenceOnly) {
    MemoryPlatform platform;
    platform.folders = {{kCsidlPersonal, "C:\\Docs"},
                        {kCsidlProfile, "C:\\Users\\u"},
                        {kCsidlAppData, "C:\\Roaming"},
                        {kCsidlCommonAppData, "C:\\ProgramData"}};
    struct Row {
        const char* text;
        int admin;
        const char* expanded;
    };
    const Row rows[] = {
        {"<My Documents>\\r", 0, "C:\\Docs\\r"},
        {"<HOME>\\<HOME>", 0, "C:\\Docs\\<HOME>"},
        {"<APPDATA>\\<PROFILE>", 0, "<APPDATA>\\C:\\Users\\u"},  // the table's order, not the text's
        {"<CURRDIR>\\r", 0, "C:\\img\\\\r"},
        {"<APPDATA>\\r", 0, "C:\\Roaming\\r"},
        {"<APPDATA>\\r", 1, "C:\\ProgramData\\r"},
        {"<appdata>\\r", 0, "<appdata>\\r"},
        {"<AppData>\\r", 0, "<AppData>\\r"},
        {"plain", 0, "plain"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(expandFolderPlaceholders(platform, row.text, row.admin, "C:\\img\\"), row.expanded) << row.text;
    platform.folders.clear();  // a folder the system cannot give leaves the placeholder
    EXPECT_EQ(expandFolderPlaceholders(platform, "<HOME>\\r", 0, "C:\\img\\"), "<HOME>\\r");
}

TEST(AgentLocation, OutcomesForTheLocation) {
    const auto hkcu = std::make_pair(RegistryHive::CurrentUser, std::string("Software\\Q"));
    const auto hklm = std::make_pair(RegistryHive::LocalMachine, std::string("Software\\Q"));
    struct Row {
        const char* what;
        std::string key;
        std::string file;
        int admin;
        std::function<void(MemoryPlatform&)> setup;
        std::string location;
    };
    const Row rows[] = {
        {"key cannot be opened", "Software\\Q", "", 0, [](MemoryPlatform&) {}, "earlier"},
        {"value missing", "Software\\Q", "", 0, [&](MemoryPlatform& p) { p.registry[hkcu] = {}; }, ""},
        {"value too long", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.registry[hkcu] = {{"location", std::string(255, 'x')}};
         },
         ""},
        {"value of 254 bytes", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.registry[hkcu] = {{"location", std::string(254, 'x')}};
         },
         std::string(254, 'x')},
        {"current user hive", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.registry[hkcu] = {{"location", "C:\\U"}};
             p.registry[hklm] = {{"location", "C:\\M"}};
         },
         "C:\\U"},
        {"machine hive for administrators", "Software\\Q", "", 1,
         [&](MemoryPlatform& p) {
             p.registry[hkcu] = {{"location", "C:\\U"}};
             p.registry[hklm] = {{"location", "C:\\M"}};
         },
         "C:\\M"},
        {"key wins over file", "Software\\Q", "C:\\r.properties", 0,
         [](MemoryPlatform& p) { p.addFile("C:\\r.properties", "location=C:\\F\n"); }, "earlier"},
        {"file cannot be opened", "", "C:\\r.properties", 0, [](MemoryPlatform&) {}, "earlier"},
        {"file without the key", "", "C:\\r.properties", 0,
         [](MemoryPlatform& p) { p.addFile("C:\\r.properties", "x=1\n"); }, ""},
        {"file with the key", "", "<CURRDIR>r.properties", 0,
         [](MemoryPlatform& p) { p.addFile("C:\\img\\r.properties", "location=C:\\F\n"); }, "C:\\F"},
        {"neither named", "", "", 0, [](MemoryPlatform&) {}, "earlier"},
        // The 64-bit view, when the key or the value is missing in the own one.
        {"key only in the 64-bit view", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.registry64[hkcu] = {{"location", "C:\\S"}};
         },
         "C:\\S"},
        {"value only in the 64-bit view", "Software\\Q", "", 1,
         [&](MemoryPlatform& p) {
             p.registry[hklm] = {};
             p.registry64[hklm] = {{"location", "C:\\S"}};
         },
         "C:\\S"},
        {"64-bit key without the value", "Software\\Q", "", 0, [&](MemoryPlatform& p) { p.registry64[hkcu] = {}; }, ""},
        {"empty value of the own view", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.registry[hkcu] = {{"location", ""}};
             p.registry64[hkcu] = {{"location", "C:\\S"}};
         },
         ""},
        {"too long in the own view", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.registry[hkcu] = {{"location", std::string(255, 'x')}};
             p.registry64[hkcu] = {{"location", "C:\\S"}};
         },
         ""},
        // REG_EXPAND_SZ: expanded, within the same limit; a 64-bit package's
        // %ProgramFiles% is the 64-bit folder.
        {"a percent sign of REG_SZ stays", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.registry[hkcu] = {{"location", "%ProgramFiles%\\Q"}};
         },
         "%ProgramFiles%\\Q"},
        {"expandable value", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.expandableValues = true;
             p.registry[hkcu] = {{"location", "%ProgramFiles%\\Q"}};
         },
         "C:\\PF86\\Q"},
        {"expandable value of the 64-bit view", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.expandableValues = true;
             p.registry64[hkcu] = {{"location", "%programfiles%\\Q%x%"}};
         },
         "C:\\PF\\Q%x%"},
        {"expansion too long", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.expandableValues = true;
             p.environment["Long"] = std::string(200, 'y');
             p.registry[hkcu] = {{"location", "%Long%" + std::string(55, 'x')}};
         },
         ""},
        {"expansion of 254 bytes", "Software\\Q", "", 0,
         [&](MemoryPlatform& p) {
             p.expandableValues = true;
             p.environment["Long"] = std::string(200, 'y');
             p.registry[hkcu] = {{"location", "%Long%" + std::string(54, 'x')}};
         },
         std::string(200, 'y') + std::string(54, 'x')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryPlatform platform;
        platform.environment = {{"ProgramFiles", "C:\\PF86"}, {"ProgramW6432", "C:\\PF"}};
        row.setup(platform);
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
}

}  // namespace
}  // namespace launcher
