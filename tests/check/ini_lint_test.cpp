#include <gtest/gtest.h>

#include "check/ini_lint.h"
#include "memory_platform.h"

namespace launcher::check {
namespace {

using launcher::testing::MemoryPlatform;

// A clean file: every mistake below is one change to it.
const std::string kClean =
    "[INSTALLER]\n"                        // 1
    "LOCATION=disk1\\setup.exe\n"          // 2
    "[MANAGER]\n"                          // 3
    "LOCATION_KEY=Software\\Norvex\\Agent\n"  // 4
    "VERSION=1.2.0\n"                      // 5
    "LAUNCHER=eclipse\\agent.exe\n"        // 6
    "[COMMON]\n"                           // 7
    "SILENT=no\n";                         // 8

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

struct Mistake {
    const char* what;
    std::string content;
    std::string expected;
};

const Mistake kMistakes[] = {
    {"blank before the equals sign", changed("LOCATION=disk1", "LOCATION = disk1"),
     "t.ini:2:9: warning [key-blank] Keys are matched exactly as written, blanks included: \"LOCATION \" is not LOCATION.\n"
     "  launcher: Ignored: LOCATION is not set by this line.\n"
     "  fix: LOCATION=disk1\\setup.exe\n"},
    {"header in other letter case", changed("[COMMON]", "[Common]"),
     "t.ini:7:1: warning [header-case] Headers are matched exactly, in capitals: \"[Common]\" is not \"[COMMON]\".\n"
     "  launcher: Because the line begins with \"[\", it closes [MANAGER]: the key lines below it are ignored until the next known header.\n"
     "  fix: Write \"[COMMON]\".\n"
     "t.ini:8:1: warning [outside-section] Key lines count only inside a section; none is open, since line 7 is no header the launcher knows.\n"
     "  launcher: Ignored: SILENT is not set by this line.\n"
     "  fix: Put the line below [COMMON], or correct the header on line 7.\n"},
    {"header with a remark", changed("[COMMON]", "[COMMON] ; defaults"),
     "t.ini:7:9: warning [header-extra] A header line may hold only the header; the text after \"[COMMON]\" makes it no header.\n"
     "  launcher: Because the line begins with \"[\", it closes [MANAGER]: the key lines below it are ignored until the next known header.\n"
     "  fix: Write \"[COMMON]\" alone on its line, and a remark on a line of its own that begins with \";\".\n"
     "t.ini:8:1: warning [outside-section] Key lines count only inside a section; none is open, since line 7 is no header the launcher knows.\n"
     "  launcher: Ignored: SILENT is not set by this line.\n"
     "  fix: Put the line below [COMMON], or correct the header on line 7.\n"},
    {"byte-order mark", "\xEF\xBB\xBF" + kClean,
     "t.ini:1:1: warning [byte-order-mark] The file begins with a UTF-8 byte-order mark; the launcher reads those three bytes as part of the first line.\n"
     "  launcher: \"[INSTALLER]\" on this line is no header, so no section is open: the key lines below it are ignored until the next header.\n"
     "  fix: Save the file without a byte-order mark (as ANSI, or UTF-8 without BOM).\n"
     "t.ini:2:1: warning [outside-section] Key lines count only inside a section; none is open, since line 1 is no header the launcher knows.\n"
     "  launcher: Ignored: LOCATION is not set by this line.\n"
     "  fix: Put the line below [INSTALLER], or correct the header on line 1.\n"},
    {"comment after blanks", changed("[COMMON]", "  ; defaults\n[COMMON]"),
     "t.ini:7:3: warning [comment-indented] Comments begin with \";\" in the first column; after blanks or tabs the \";\" is ordinary text.\n"
     "  launcher: The line is read as text, matches no key and is ignored: it behaves like a comment only by chance.\n"
     "  fix: Move the \";\" to the first column.\n"},
    {"ARG under [COMMON]", changed("SILENT=no", "ARG=-x"),
     "t.ini:8:1: warning [key-wrong-section] [COMMON] has no key ARG; it belongs to [INSTALLER] and [MANAGER].\n"
     "  launcher: Ignored.\n"
     "  fix: Move the line below [INSTALLER] or [MANAGER].\n"},
    {"unknown MODE", changed("LAUNCHER=", "MODE=uninstall\nLAUNCHER="),
     "t.ini:6:6: warning [mode-unknown] MODE takes INSTALL, UNINSTALL or EXTENSION, in capitals.\n"
     "  launcher: The mode stays INSTALL.\n"
     "  fix: MODE=UNINSTALL\n"},
    {"VERSION not in numbers", changed("VERSION=1.2.0", "VERSION=1.2.0a"),
     "t.ini:5:9: warning [version-format] The first three parts of VERSION must be plain decimal numbers (major.minor.micro, then an optional qualifier).\n"
     "  launcher: Reads \"1.2.0a\" as 1.2.0.\n"
     "  fix: VERSION=1.2.0\n"},
    {"remark after a value", changed("VERSION=1.2.0", "VERSION=1.2.0.0 ; minimum"),
     "t.ini:5:17: warning [value-remark] A \";\" after a blank starts no remark: everything after \"=\" is the value, the remark included.\n"
     "  launcher: VERSION is \"1.2.0.0 ; minimum\", read as 1.2.0 with the qualifier \"0 ; minimum\".\n"
     "  fix: VERSION=1.2.0.0, with the remark on a line of its own that begins with \";\".\n"},
    {"truth word", changed("SILENT=no", "SILENT=1"),
     "t.ini:8:8: warning [truth-word] SILENT takes true, yes, false or no, in any letter case and without blanks.\n"
     "  launcher: The value counts as neither true nor false: the run is not silent.\n"
     "  fix: SILENT=true or SILENT=false\n"},
    {"tab before a header", changed("[COMMON]", "\t[COMMON]"),
     "t.ini:7:2: warning [header-indented] Only blanks may stand around a header; a tab makes this line no header.\n"
     "  launcher: The line does not begin with \"[\", so it is ignored as ordinary text: the key lines below it still belong to [MANAGER].\n"
     "  fix: Write \"[COMMON]\" with nothing but blanks around it.\n"
     "t.ini:8:1: warning [key-wrong-section] [MANAGER] has no key SILENT; it belongs to [COMMON].\n"
     "  launcher: Ignored.\n"
     "  fix: Move the line below [COMMON].\n"},
    {"key in other letter case", changed("VERSION=", "Version="),
     "t.ini:5:1: warning [key-case] Keys are matched exactly, letter case included: \"Version\" is not VERSION.\n"
     "  launcher: Ignored: VERSION is not set by this line.\n"
     "  fix: VERSION=1.2.0\n"
     "t.ini: warning [version-missing] The launcher reads no VERSION (line 5 names it, but the launcher ignores that line), so the required version is empty and reads as 0.0.0.\n"
     "  launcher: Any installed agent counts as recent enough; the installer does not run while one is found.\n"
     "  fix: Add VERSION=<minimum agent version> below [MANAGER].\n"},
    {"key line before any header", "VERSION=1.0\n" + kClean,
     "t.ini:1:1: warning [outside-section] Key lines count only inside a section; no header has opened one yet.\n"
     "  launcher: Ignored: VERSION is not set by this line.\n"
     "  fix: Put the line below [MANAGER].\n"},
    {"line cut into pieces", changed("LAUNCHER=eclipse\\agent.exe", "LAUNCHER=" + std::string(245, 'x') + "VERSION=9"),
     "t.ini:6:255: warning [line-cut] The launcher reads lines in pieces of 254 characters; this line has 263, so the rest from column 255 is read as a line of its own.\n"
     "  launcher: LAUNCHER gets only the first 245 characters of its value; the piece at column 255 sets VERSION.\n"
     "  fix: Keep the line within 254 characters: shorten the value, for example with a shorter folder name.\n"},
    {"text after a Ctrl-Z", changed("[COMMON]", "\x1a\r\n[COMMON]"),
     "t.ini:7:1: warning [end-of-text] The file holds a Ctrl-Z character, which ends the text for the launcher.\n"
     "  launcher: Everything after it is never read.\n"
     "  fix: Remove the Ctrl-Z character.\n"},
    {"placeholders", changed("LOCATION_KEY=Software\\Norvex\\Agent", "LOCATION_FILE=<APPDATA>\\<AppData>\\<HOME>\\r.properties"),
     "t.ini:4:15: warning [placeholder-literal] Only one placeholder is replaced: the first of <My Documents>, <HOME>, <PROFILE>, <CURRDIR> and <APPDATA> that occurs, here <HOME> at column 35.\n"
     "  launcher: \"<APPDATA>\" stays in the path as written.\n"
     "  fix: Keep one placeholder in LOCATION_FILE.\n"
     "t.ini:4:25: warning [placeholder-unknown] \"<AppData>\" is no placeholder; the placeholders are <My Documents>, <HOME>, <PROFILE>, <CURRDIR> and <APPDATA>, spelled exactly so.\n"
     "  launcher: It stays in the path as written, and no file of that name can exist.\n"
     "  fix: Write <APPDATA>.\n"},
    {"package name in capitals", changed("disk1\\setup.exe", "AGENT.MSI"),
     "t.ini:2:10: warning [msi-case] Only a location that ends in \".msi\" in lower case, after at least one more character, is taken for an MSI package.\n"
     "  launcher: Runs \"C:\\img\\AGENT.MSI\" itself as an executable installer, which cannot work.\n"
     "  fix: LOCATION=AGENT.msi\n"},
    {"installer missing", changed("disk1\\setup.exe", "disk2\\setup.exe"),
     "t.ini:2:10: warning [installer-missing] The installer location is taken relative to the launcher's folder, and no file \"C:\\img\\disk2\\setup.exe\" exists.\n"
     "  launcher: When the agent needs installing, the launcher reports that the installer cannot be found and exits with code 1.\n"
     "  fix: Put the installer at that place in the image, or correct LOCATION (relative to the launcher's folder).\n"},
    {"LAUNCHER missing", changed("LAUNCHER=", "LAUNCHER_SILENT="),
     "t.ini:6:17: warning [launcher-missing] LAUNCHER_SILENT serves only silent runs; every other run takes LAUNCHER, which is empty.\n"
     "  launcher: Runs that are not silent try to start the agent's installation folder itself as a program, which fails: exit code -1, without a message.\n"
     "  fix: Add LAUNCHER=<the agent's program, relative to its installation folder> below [MANAGER].\n"},
};

TEST(IniLint, EachMistakeWithItsReport) {
    for (const Mistake& mistake : kMistakes) {
        IniWalk walk;
        EXPECT_EQ(report(mistake.content, &walk), mistake.expected) << mistake.what;
        // The walk reads what the launcher reads.
        expectSameValues(walk.values, launcherValues(mistake.content), mistake.what);
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
    EXPECT_EQ(report(changed("LOCATION_KEY=Software\\Norvex\\Agent", "LOCATION_FILE=<CURRDIR>\\r.properties")), "");
}

}  // namespace
}  // namespace launcher::check
