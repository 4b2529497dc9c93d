#include <gtest/gtest.h>

#include "launcher/effective_settings.h"
#include "memory_platform.h"

namespace launcher {
namespace {

struct Settings {
    int silent, wait, dialogs, admin, license;
};

TEST(EffectiveSettings, FlagsFromCommandLineIniAndMachine) {
    struct Row {
        int argSilent;
        const char* iniSilent;
        int argAdmin;
        const char* iniAdmin;
        int machineAdmin;
        int argLicense;
        const char* iniLicense;
        Settings expected;
    };
    const Row rows[] = {
        {0, "", 0, "", 0, 0, "", {0, 0, 1, 0, 0}},
        {1, "false", 0, "", 1, 0, "", {1, 1, 0, 1, 0}},       // -silent wins over SILENT=false
        {0, "YES", 0, "maybe", 0, 0, "", {1, 1, 0, 0, 0}},    // any letter case; ISADMIN unknown: the machine
        {0, "True", 0, "no", 1, 0, "TRUE", {1, 1, 0, 0, 1}},  // ISADMIN=no: 0 even for an administrator
        {0, "yes ", 1, "no", 0, 0, "yes ", {0, 0, 1, 1, 0}},  // a trailing blank is no truth word; -isAdmin wins
        {0, "", 0, "Yes", 0, 1, "no", {0, 0, 1, 1, 1}},
        {0, "", 0, "", 7, 0, "", {0, 0, 1, 7, 0}},  // IsUserAnAdmin stored as it answers
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.iniSilent << "/" << row.iniAdmin << "/" << row.machineAdmin);
        testing::MemoryPlatform platform;
        platform.admin = row.machineAdmin;
        LauncherState state;
        state.argIsSilent = row.argSilent;
        state.iniSilent = row.iniSilent;
        state.argIsUserAdmin = row.argAdmin;
        state.iniIsAdmin = row.iniAdmin;
        state.argLicenseAccepted = row.argLicense;
        state.iniLicenseAccepted = row.iniLicense;
        resolveEffectiveSettings(platform, state);
        const Settings& e = row.expected;
        EXPECT_EQ(state.isSilent, e.silent);
        EXPECT_EQ(state.isWait, e.wait);
        EXPECT_EQ(state.isDialogAllowed, e.dialogs);
        EXPECT_EQ(state.isUserAdmin, e.admin);
        EXPECT_EQ(state.isLicenseAccepted, e.license);
    }
}

TEST(EffectiveSettings, TextsPreferANonEmptyCommandLineValue) {
    testing::MemoryPlatform platform;
    LauncherState state;
    state.isWait = 1;
    state.iniAppDataLocation = "C:\\ini";
    state.argNL = "fr_FR";
    state.iniNL = "de_DE";
    resolveEffectiveSettings(platform, state);
    EXPECT_EQ(state.appDataLocation, "C:\\ini");
    EXPECT_EQ(state.nl, "fr_FR");
    EXPECT_EQ(state.isWait, 1);  // -wait stays without silent operation
    EXPECT_EQ(state.inputFile, "");
}

TEST(EffectiveSettings, InputFileIsAbsoluteAndNormalised) {
    struct Row {
        const char* arg;
        const char* ini;
        const char* expected;
    };
    const Row rows[] = {
        {"sub\\in.xml", "ignored.xml", "C:\\x\\sub\\in.xml"},
        {"", "sub/in.xml", "C:\\x\\sub\\in.xml"},
        {"D:/y/./in.xml", "", "D:\\y\\in.xml"},
        {"%TEMP%\\in.xml", "", "C:\\x\\%TEMP%\\in.xml"},
        {"..\\..\\..\\in.xml", "", "C:\\x\\\\..\\..\\..\\in.xml"},  // normalisation fails: the joined path stays
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arg);
        testing::MemoryPlatform platform;
        LauncherState state;
        state.launcherDir = "C:\\x\\";
        state.argInputFile = row.arg;
        state.iniManagerInput = row.ini;
        resolveEffectiveSettings(platform, state);
        EXPECT_EQ(state.inputFile, row.expected);
    }
}

}  // namespace
}  // namespace launcher
