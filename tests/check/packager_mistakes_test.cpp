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
    // Versions as the launcher compares them.
    {changed("1.2.0", "3.1.0.Beta"), {"version-qualifier"}, "VERSION=3.1.0.beta",
     "installed 3.1.0 counts as too old, 3.1.0.beta as too old, 3.1.1 as recent enough"},
    {changed("1.2.0", "1.2.0.0"), {"version-qualifier"}, "VERSION=1.2.0"},
    {changed("1.2.0", "3.1.0.beta"), {}},
    {changed("1.2.0", "3,1"), {"version-separator"}, "VERSION=3.1", "installed 3.0.0 counts as recent enough"},
    {changed("1.2.0", "1,2.3"), {"version-separator"}, "VERSION=1.2.3", "installed again on every run"},

    // Slips of the pen, against the keys of the section they stand in.
    {changed("VERSION=", "VERISON="), {"key-misspelled", "version-missing"}, "VERSION=1.2.0",
     "Ignored: VERSION is not set"},
    {changed("LOCATION=", "LOCATON="), {"key-misspelled"}, "LOCATION=disk1\\setup.exe"},
    {changed("[COMMON]", "[COMMMON]"), {"section-misspelled", "outside-section"}, "Write \"[COMMON]\"."},
    {changed(kCommon, "SLIENT=no"), {"key-misspelled"}, "SILENT=no"},
    {changed(kCommon, "LANGUAGE=de"), {"key-unknown"}},
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
