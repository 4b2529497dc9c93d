#include <gtest/gtest.h>

#include "check/ini_lint.h"
#include "golden.h"
#include "memory_platform.h"

namespace launcher::check {
namespace {

using launcher::testing::MemoryPlatform;

// A clean file: every mistake below is one change to it.
const std::string kClean =
    "[INSTALLER]\n"                           // 1
    "LOCATION=disk1\\setup.exe\n"             // 2
    "[MANAGER]\n"                             // 3
    "LOCATION_KEY=Software\\Norvex\\Agent\n"  // 4
    "VERSION=1.2.0\n"                         // 5
    "LAUNCHER=eclipse\\agent.exe\n"           // 6
    "[COMMON]\n"                              // 7
    "SILENT=no\n";                            // 8

std::string changed(const std::string& from, const std::string& to) {
    std::string text = kClean;
    text.replace(text.find(from), from.size(), to);
    return text;
}

// The report of the file as the text output shows it, without its summary.
std::string report(const std::string& content, IniWalk* walk = nullptr) {
    MemoryPlatform platform;
    platform.addFile("C:\\img\\disk1\\setup.exe", "");
    platform.addFile("C:\\img\\AGENT.MSI", "");
    platform.addFile("C:\\img\\t.ini", content);
    LintReport lint{"t.ini", {}, lintIniFile(platform, "C:\\img\\t.ini", "C:\\img\\"), {}};
    if (walk != nullptr) {
        std::unique_ptr<TextLineReader> reader = openTextFile(platform, "C:\\img\\t.ini");
        *walk = walkIniLines(*reader);
    }
    const std::string text = renderText(lint);
    return text.substr(0, text.rfind("t.ini: "));
}

// The values as the launcher itself reads them.
IniValues launcherValues(const std::string& content) {
    MemoryPlatform platform;
    platform.addFile("C:\\l.ini", content);
    IniValues values;
    EXPECT_TRUE(readLauncherIni(platform, "C:\\l.ini", values));
    return values;
}

void expectSameValues(const IniValues& a, const IniValues& b, const std::string& what) {
    for (const IniKey& key : iniKeys()) {
        if (key.text != nullptr) {
            EXPECT_EQ(a.*(key.text), b.*(key.text)) << what << ": " << key.name;
        } else {
            EXPECT_EQ(a.*(key.list), b.*(key.list)) << what << ": " << key.name;
        }
    }
    EXPECT_EQ(a.mode, b.mode) << what;
}

// Each mistake is one change to the clean file; its report is the section of
// expected/ini_lint.txt named like it.
const std::string kExpected = CHECK_SOURCE_DIR "/tests/check/expected/ini_lint.txt";
const std::pair<const char*, std::string> kMistakes[] = {
    {"blank before the equals sign", changed("LOCATION=disk1", "LOCATION = disk1")},
    {"header in other letter case", changed("[COMMON]", "[Common]")},
    {"header with a remark", changed("[COMMON]", "[COMMON] ; defaults")},
    {"byte-order mark", "\xEF\xBB\xBF" + kClean},
    {"comment after blanks", changed("[COMMON]", "  ; defaults\n[COMMON]")},
    {"ARG under [COMMON]", changed("SILENT=no", "ARG=-x")},
    {"unknown MODE", changed("LAUNCHER=", "MODE=uninstall\nLAUNCHER=")},
    {"VERSION not in numbers", changed("VERSION=1.2.0", "VERSION=1.2.0a")},
    {"remark after a value", changed("VERSION=1.2.0", "VERSION=1.2.0.0 ; minimum")},
    {"truth word", changed("SILENT=no", "SILENT=1")},
    {"tab before a header", changed("[COMMON]", "\t[COMMON]")},
    {"key in other letter case", changed("VERSION=", "Version=")},
    {"key line before any header", "VERSION=1.0\n" + kClean},
    {"line cut into pieces", changed("LAUNCHER=eclipse\\agent.exe", "LAUNCHER=" + std::string(245, 'x') + "VERSION=9")},
    {"text after a Ctrl-Z", changed("[COMMON]", "\x1a\r\n[COMMON]")},
    {"placeholders",
     changed("LOCATION_KEY=Software\\Norvex\\Agent", "LOCATION_FILE=<APPDATA>\\<AppData>\\<HOME>\\r.properties")},
    {"package name in capitals", changed("disk1\\setup.exe", "AGENT.MSI")},
    {"installer missing", changed("disk1\\setup.exe", "disk2\\setup.exe")},
    {"LAUNCHER missing", changed("LAUNCHER=", "LAUNCHER_SILENT=")},
};

TEST(IniLint, EachMistakeWithItsReport) {
    for (const auto& [what, content] : kMistakes) {
        IniWalk walk;
        EXPECT_EQ(report(content, &walk), testing::goldenSection(kExpected, what)) << what;
        // The walk reads what the launcher reads.
        expectSameValues(walk.values, launcherValues(content), what);
    }
}

TEST(IniLint, CleanFileYieldsNoReport) {
    const std::string full = kClean +
                             "[INSTALLER]\nARG=REBOOT=ReallySuppress\nLICENSEACCEPTED=Yes\n"
                             "[MANAGER]\nLAUNCHER_SILENT=eclipse\\agentc.exe\nINPUT_FILE=in.xml\nMODE= UNINSTALL \n"
                             "ARG=-x\n\n;LOCATION = old\n   \n[COMMON]\nISADMIN=FALSE\nNL=de_DE\n";
    EXPECT_EQ(report(full), "");
    // 254 characters and a line feed: the line feed arrives as a piece of its own.
    EXPECT_EQ(report(changed("LAUNCHER=eclipse\\agent.exe", "LAUNCHER=" + std::string(245, 'x'))), "");
}

}  // namespace
}  // namespace launcher::check
