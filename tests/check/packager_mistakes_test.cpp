// The mistakes packagers make most: each row is an INI file, the rules it
// must raise (in report order), and where it matters a piece of the fix or
// of what the launcher does.
#include <gtest/gtest.h>

#include "check/ini_lint.h"
#include "memory_platform.h"

namespace launcher::check {
namespace {

const std::string kClean =
    "[INSTALLER]\n"
    "LOCATION=disk1\\setup.exe\n"
    "[MANAGER]\n"
    "LOCATION_KEY=Software\\Norvex\\Agent\n"
    "VERSION=1.2.0\n"
    "LAUNCHER=eclipse\\agent.exe\n"
    "[COMMON]\n"
    "SILENT=no\n";

std::string changed(const std::string& from, const std::string& to) {
    std::string text = kClean;
    text.replace(text.find(from), from.size(), to);
    return text;
}

const std::string kKey = "LOCATION_KEY=Software\\Norvex\\Agent";
const std::string kCommon = "SILENT=no";

struct Row {
    std::string ini;
    std::vector<std::string> rules;
    std::string fix = {};     ///< part of the first finding's fix, when not empty
    std::string effect = {};  ///< part of the first finding's effect, when not empty
};

const Row kRows[] = {
    // The hive belongs to the launcher's choice, not to the key.
    {changed(kKey, "LOCATION_KEY=HKLM\\Software\\Norvex\\Agent"),
     {"location-key-hive"},
     "LOCATION_KEY=Software\\Norvex\\Agent, read in HKEY_LOCAL_MACHINE only for administrators",
     "HKEY_CURRENT_USER\\HKLM\\Software\\Norvex\\Agent for other users"},
    {changed(kKey, "LOCATION_KEY=HKEY_LOCAL_MACHINE\\Software\\Norvex\\Agent") + "ISADMIN=true\n",
     {"location-key-hive"},
     "LOCATION_KEY=Software\\Norvex\\Agent."},
    {changed(kKey, "LOCATION_KEY=Computer\\HKEY_CURRENT_USER\\Software\\Norvex\\Agent") + "ISADMIN=yes\n",
     {"location-key-hive"},
     "and ISADMIN=false below [COMMON]"},
    {changed(kKey, "LOCATION_KEY=Software\\HKLM\\Agent"), {}},

    // Quotation marks around a value stay in it.
    {changed("disk1\\setup.exe", "\"disk1\\agent.msi\""),
     {"value-quoted"},
     "LOCATION=disk1\\agent.msi",
     "It is no MSI package any more: the launcher runs C:\\img\\\"disk1\\agent.msi\" as an executable installer"},
    {changed("eclipse\\agent.exe", "\"eclipse\\agent.exe\""), {"value-quoted"}, "LAUNCHER=eclipse\\agent.exe"},
    {changed(kCommon, "APPDATALOCATION=\"C:\\Data Dir\""),
     {"value-quoted"},
     "APPDATALOCATION=C:\\Data Dir",
     "the agent -dataLocation \"\"C:\\Data Dir\"\""},

    // ARG lines, split as their program splits its command line.
    {changed("setup.exe\n", "setup.exe\nARG=INSTALLDIR=\"C:\\Program Files\\Agent\"\n"),
     {"arg-split"},
     "ARG=INSTALLDIR=C:\\Program Files\\Agent:",
     "[INSTALLDIR=C:\\Program] [Files\\Agent]"},
    {changed("setup.exe\n", "setup.exe\nARG=INSTALLDIR=C:\\Program Files\\Agent\\\n"),
     {"arg-split"},
     "ARG=INSTALLDIR=C:\\Program Files\\Agent\\\\:",
     "The installer's /v argument ends early"},
    {changed("setup.exe\n", "agent.msi\nARG=/l*v \"C:\\log dir\\i.log\"\n"),
     {"arg-split"},
     "ARG=/l*v, then ARG=C:\\log dir\\i.log",
     "msiexec.exe receives from it 2 arguments"},
    {changed("agent.exe\n", "agent.exe\nARG=-data \"C:\\My Data\\\"\n"),
     {"arg-split"},
     "ARG=-data, then ARG=C:\\My Data\\\\",
     "[-data C:\\My] [Data\"]"},
    // Quotation marks that arrive as meant.
    {changed("setup.exe\n", "agent.msi\nARG=INSTALLDIR=C:\\Program Files\\Agent\\\nARG=A=\"1\"\n"), {}},
    {changed("setup.exe\n", "setup.exe\nARG=INSTALLDIR=\"C:\\Agent\"\n"), {}},
    {changed("agent.exe\n", "agent.exe\nARG=-data=\"C:\\x\"\nARG=C:\\My Data\n"), {}},

    // Versions as the launcher compares them.
    {changed("1.2.0", "3.1.0.Beta"),
     {"version-qualifier"},
     "VERSION=3.1.0.beta",
     "installed 3.1.0 counts as too old, 3.1.0.beta as too old, 3.1.1 as recent enough"},
    {changed("1.2.0", "1.2.0.0"), {"version-qualifier"}, "VERSION=1.2.0"},
    {changed("1.2.0", "3.1.0.beta"), {}},
    {changed("1.2.0", "3,1"), {"version-separator"}, "VERSION=3.1", "installed 3.0.0 counts as recent enough"},
    {changed("1.2.0", "1,2.3"), {"version-separator"}, "VERSION=1.2.3", "installed again on every run"},

    // Slips of the pen, against the keys of the section they stand in.
    {changed("VERSION=", "VERISON="),
     {"key-misspelled", "version-missing"},
     "VERSION=1.2.0",
     "Ignored: VERSION is not set"},
    {changed("LOCATION=", "LOCATON="), {"key-misspelled"}, "LOCATION=disk1\\setup.exe"},
    {changed("[COMMON]", "[COMMMON]"), {"section-misspelled", "outside-section"}, "Write \"[COMMON]\"."},
    {changed(kCommon, "SLIENT=no"), {"key-misspelled"}, "SILENT=no"},
    {changed(kCommon, "LANGUAGE=de"), {"key-unknown"}},

    // A reference file that standard users can write, read by an administrator.
    {changed(kKey, "LOCATION_FILE=<APPDATA>\\Agent\\r.properties"),
     {"location-file-writable"},
     "LOCATION_KEY=<key>",
     "Run by an administrator, the launcher reads C:\\ProgramData\\Agent\\r.properties"},
    {changed(kKey, "LOCATION_FILE=<CURRDIR>\\r.properties") + "ISADMIN=true\n", {"location-file-writable"}},
    {changed(kKey, "LOCATION_FILE=<APPDATA>\\Agent\\r.properties") + "ISADMIN=false\n", {}},
    {changed(kKey, "LOCATION_FILE=<PROFILE>\\r.properties"), {}},

    // A batch file as the agent's program: named, or found without extension.
    {changed("agent.exe\n", "agent.CMD\nARG=a&b\n"), {"agent-batch"}, "", "Here: a&b."},
    {changed("agent.exe", "run"), {"agent-batch"}, "", "Windows runs C:\\Agent\\eclipse\\run.bat through cmd.exe"},
};

TEST(PackagerMistakes, EachMistakeWithItsRules) {
    for (const Row& row : kRows) {
        launcher::testing::MemoryPlatform platform;
        platform.addFile("C:\\img\\disk1\\setup.exe", "");
        platform.addFile("C:\\img\\disk1\\agent.msi", "");
        platform.addFile("C:\\Agent\\eclipse\\run.bat", "");
        platform.registry[{RegistryHive::CurrentUser, "Software\\Norvex\\Agent"}]["location"] = "C:\\Agent";
        platform.folders[kCsidlCommonAppData] = "C:\\ProgramData";
        platform.addFile("C:\\img\\t.ini", row.ini);
        const std::vector<Finding> findings = lintIniFile(platform, "C:\\img\\t.ini", "C:\\img\\");
        std::vector<std::string> rules;
        for (const Finding& finding : findings) rules.push_back(finding.rule);
        EXPECT_EQ(rules, row.rules) << row.ini;
        if (findings.empty()) continue;
        EXPECT_NE(findings[0].fix.find(row.fix), std::string::npos) << row.ini << findings[0].fix;
        EXPECT_NE(findings[0].effect.find(row.effect), std::string::npos) << row.ini << findings[0].effect;
    }
}

}  // namespace
}  // namespace launcher::check
