#include <gtest/gtest.h>

#include "config/launcher_ini.h"
#include "config/text_rules.h"
#include "memory_platform.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;
using Strings = std::vector<std::string>;

IniValues readIni(const std::string& content) {
    MemoryPlatform platform;
    platform.addFile("C:\\img\\l.ini", content);
    IniValues values;
    EXPECT_TRUE(readLauncherIni(platform, "C:\\img\\l.ini", values));
    EXPECT_TRUE(platform.boxes.empty());
    return values;
}

TEST(LauncherIni, EveryKeyOfEverySection) {
    const IniValues v = readIni(
        "[INSTALLER]\r\nLOCATION=disk1\\setup.exe\r\nARG=A=1\r\nLICENSEACCEPTED=yes\r\n"
        "[MANAGER]\nLOCATION_KEY=Software\\Q\nLOCATION_FILE=<APPDATA>\\q.properties\nVERSION=1.2.3\n"
        "LAUNCHER=eclipse\\agent.exe\nLAUNCHER_SILENT=eclipse\\agentc.exe\nINPUT_FILE=in.xml\nMODE=EXTENSION\n"
        "ARG=-x\nARG=-y\n"
        "[COMMON]\nSILENT=true\nISADMIN=no\nAPPDATALOCATION=C:\\Data\nNL=de_DE\n");
    EXPECT_EQ(v.iniInstallerLocation, "disk1\\setup.exe");
    EXPECT_EQ(v.iniInstallerArgs, Strings{"A=1"});
    EXPECT_EQ(v.iniLicenseAccepted, "yes");
    EXPECT_EQ(v.iniManagerLocationKey, "Software\\Q");
    EXPECT_EQ(v.iniManagerLocationFile, "<APPDATA>\\q.properties");
    EXPECT_EQ(v.iniManagerVersion, "1.2.3");
    EXPECT_EQ(v.iniManagerLauncher, "eclipse\\agent.exe");
    EXPECT_EQ(v.iniManagerLauncherSilent, "eclipse\\agentc.exe");
    EXPECT_EQ(v.iniManagerInput, "in.xml");
    EXPECT_EQ(v.iniMode, "EXTENSION");
    EXPECT_EQ(v.mode, LaunchMode::EXTENSION);
    EXPECT_EQ(v.iniManagerArgs, (Strings{"-x", "-y"}));
    EXPECT_EQ(v.iniSilent, "true");
    EXPECT_EQ(v.iniIsAdmin, "no");
    EXPECT_EQ(v.iniAppDataLocation, "C:\\Data");
    EXPECT_EQ(v.iniNL, "de_DE");
}

TEST(LauncherIni, LinesThatAreReadOrIgnored) {
    struct Row {
        const char* what;
        std::string content;
        std::string version;
    };
    const Row rows[] = {
        {"key before any header", "VERSION=1\n[MANAGER]\n", ""},
        {"header with blanks", "  [MANAGER]  \nVERSION=1\n", "1"},
        {"header in other case ends the section", "[MANAGER]\n[Manager]\nVERSION=1\n", ""},
        {"header with a remark", "[MANAGER]\n[MANAGER] ; x\nVERSION=1\n", ""},
        {"header with a tab", "[MANAGER]\n[MANAGER]\t\nVERSION=1\n", ""},
        {"tab before a header", "[MANAGER]\nVERSION=1\n\t[COMMON]\nVERSION=2\n", "2"},
        {"bracketed line after a blank stays in the section", "[MANAGER]\n [OTHER]\nVERSION=1\n", "1"},
        {"byte-order mark", "\xEF\xBB\xBF[MANAGER]\nVERSION=1\n", ""},
        {"comment", "[MANAGER]\n;VERSION=1\n", ""},
        {"blank before a semicolon is no comment", "[MANAGER]\n ;VERSION=1\n", ""},
        {"key with a blank", "[MANAGER]\nVERSION =1\n", ""},
        {"value with blanks and a remark", "[MANAGER]\nVERSION= 1 ; r\n", " 1 ; r"},
        {"line starting with =", "[MANAGER]\n=VERSION=1\n", ""},
        {"last one wins, even empty", "[MANAGER]\nVERSION=1\nVERSION=\n", ""},
        {"key of another section", "[COMMON]\nVERSION=1\n", ""},
        {"key in lower case", "[MANAGER]\nversion=1\n", ""},
        {"value with equals signs", "[MANAGER]\nVERSION=a=b\n", "a=b"},
        // The second piece of a 300-character line is a line of its own.
        {"long line read in pieces", "[MANAGER]\nVERSION=" + std::string(246, 'x') + "VERSION=tail\n", "tail"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(readIni(row.content).iniManagerVersion, row.version);
    }
}

TEST(LauncherIni, ArgumentListsAndMode) {
    const IniValues v =
        readIni("[COMMON]\nARG=c\n[MANAGER]\nARG=1\nARG=\nARG=3\nMODE= UNINSTALL \n[INSTALLER]\nARG=i\n");
    EXPECT_EQ(v.iniManagerArgs, (Strings{"1", "", "3"}));
    EXPECT_EQ(v.iniInstallerArgs, Strings{"i"});
    EXPECT_EQ(v.iniMode, " UNINSTALL ");
    EXPECT_EQ(v.mode, LaunchMode::UNINSTALL);

    const IniValues lower = readIni("[MANAGER]\nMODE=EXTENSION\nMODE=uninstall\n");
    EXPECT_EQ(lower.iniMode, "uninstall");
    EXPECT_EQ(lower.mode, LaunchMode::EXTENSION);
    EXPECT_EQ(readIni("; only a comment\n\n").mode, LaunchMode::INSTALL);
}

TEST(LauncherIni, MissingFileIsReported) {
    MemoryPlatform platform;
    IniValues values;
    EXPECT_FALSE(readLauncherIni(platform, "C:\\img\\x.ini", values));
}

TEST(TextRules, SplitKeyValue) {
    struct Row {
        const char* line;
        int result;
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {"a=b", 0, "a", "b"}, {"a = b", 0, "a ", " b"}, {"a=", 0, "a", ""}, {"a=b=c", 0, "a", "b=c"},
        {"=b", 1, "k", "v"},  {"ab", 1, "k", "v"},      {"", 1, "k", "v"},
    };
    for (const Row& row : rows) {
        std::string key = "k";
        std::string value = "v";
        EXPECT_EQ(splitKeyValue(row.line, key, value), row.result) << row.line;
        EXPECT_EQ(key, row.key);
        EXPECT_EQ(value, row.value);
    }
}

TEST(TextRules, TrimSpacesAndTruthWords) {
    EXPECT_EQ(trimSpaces("  a b  "), "a b");
    EXPECT_EQ(trimSpaces("\ta\t "), "\ta\t");
    EXPECT_EQ(trimSpaces("   "), "");
    for (const char* word : {"true", "TRUE", "True", "yes", "YES", "yEs"}) EXPECT_TRUE(isTrueWord(word)) << word;
    for (const char* word : {"", "yes ", " true", "1", "on", "y"}) EXPECT_FALSE(isTrueWord(word)) << word;
    for (const char* word : {"false", "FALSE", "no", "No"}) EXPECT_TRUE(isFalseWord(word)) << word;
    for (const char* word : {"", "no ", "0", "maybe"}) EXPECT_FALSE(isFalseWord(word)) << word;
}

}  // namespace
}  // namespace launcher
