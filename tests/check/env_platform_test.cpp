#include <gtest/gtest.h>

#include "check/env_platform.h"
#include "temp_tree.h"

namespace launcher::check {
namespace {

TEST(EnvFile, LinesThatCannotBeRead) {
    struct Row {
        const char* text;
        const char* error;
    };
    const Row rows[] = {
        {"image C:\\img\n", "line 1: expected NAME = VALUE"},
        {"# machine\n\nadmin = maybe\n", "line 3: admin takes yes or no"},
        {"language = German\n", "line 1: language takes a number such as 1033"},
        {"folder DOCUMENTS = C:\\d\n",
         "line 1: folder takes PERSONAL, PROFILE, APPDATA, COMMON_APPDATA or a CSIDL number"},
        {"registry HKXX\\Software\\location = C:\\a\n", "line 1: registry takes HKLM\\key\\value or HKCU\\key\\value"},
        {"registry HKLM\\location = C:\\a\n", "line 1: registry takes HKLM\\key\\value or HKCU\\key\\value"},
        {"image = C:\\img\r\ncolour = red\r\n", "line 2: unknown setting \"colour\""},
        {"map = agent\n", "line 1: unknown setting \"map\""},
    };
    for (const Row& row : rows) {
        EnvSettings settings;
        EXPECT_EQ(parseEnvText(row.text, "/base", settings), row.error) << row.text;
    }
}

TEST(EnvFile, DescribedMachine) {
    testing::TempTree tree;
    tree.write("img/Disk1/Setup.EXE");
    tree.write("agent/eclipse/agent.exe");
    EnvSettings settings;
    ASSERT_EQ(parseEnvText("image = C:\\img\n"
                           "map C:\\Program Files\\Agent = agent\n"
                           "admin = yes\nlanguage = 1031\ncwd = C:\\work\n"
                           "folder APPDATA = C:\\Users\\pat\\AppData\\Roaming\nfolder 5 = C:\\Users\\pat\\Documents\n"
                           "registry HKLM\\Software\\Norvex\\Agent\\location = C:\\Program Files\\Agent\n"
                           "env Path = C:\\Windows\n",
                           tree.path(), settings),
              "");
    EnvPlatform machine(settings, tree.path("img"));

    struct Row {
        const char* path;
        PathKind kind;
    };
    const Row rows[] = {
        {"C:\\IMG\\disk1\\setup.exe", PathKind::File},  // names match in any letter case
        {"c:/img/disk1/", PathKind::Directory},
        {"C:\\img\\disk1\\..\\Disk1\\.\\setup.exe", PathKind::File},
        {"C:\\program files\\agent\\eclipse\\agent.exe", PathKind::File},
        {"C:\\img\\setup.exe", PathKind::Missing},
        {"C:\\img\\..\\agent\\eclipse\\agent.exe", PathKind::Missing},  // outside every mapped folder
        {"D:\\img\\disk1\\setup.exe", PathKind::Missing},
        {"C:\\img\\disk1\\*.exe", PathKind::Missing},
    };
    for (const Row& row : rows) EXPECT_EQ(machine.pathKind(row.path), row.kind) << row.path;
    EXPECT_NE(machine.openForReading("C:\\img\\disk1\\setup.exe"), nullptr);
    EXPECT_EQ(machine.openForReading("C:\\img\\disk1"), nullptr);
    EXPECT_EQ(machine.openForWriting("C:\\img\\new.txt"), nullptr);

    const RegistryRead read = machine.readRegistryValue(RegistryHive::LocalMachine, RegistryView::Own,
                                                        "SOFTWARE\\norvex\\agent", "Location", 255);
    EXPECT_TRUE(read.valueRead);
    EXPECT_EQ(read.data, "C:\\Program Files\\Agent");
    const RegistryRead tooLong = machine.readRegistryValue(RegistryHive::LocalMachine, RegistryView::Own,
                                                           "Software\\Norvex\\Agent", "location", 22);
    EXPECT_TRUE(tooLong.keyOpened);
    EXPECT_FALSE(tooLong.valueRead);
    EXPECT_FALSE(
        machine
            .readRegistryValue(RegistryHive::CurrentUser, RegistryView::Own, "Software\\Norvex\\Agent", "location", 255)
            .keyOpened);

    EXPECT_EQ(machine.isUserAnAdmin(), 1);
    EXPECT_EQ(machine.userDefaultLanguage(), 1031);
    EXPECT_EQ(machine.currentDirectory(), "C:\\work");
    EXPECT_EQ(machine.specialFolder(kCsidlAppData), "C:\\Users\\pat\\AppData\\Roaming");
    EXPECT_EQ(machine.specialFolder(kCsidlPersonal), "C:\\Users\\pat\\Documents");
    EXPECT_EQ(machine.specialFolder(kCsidlProfile), std::nullopt);
    EXPECT_EQ(machine.environmentVariable("PATH"), "C:\\Windows");
    EXPECT_EQ(machine.environmentVariable("TEMP"), std::nullopt);
    for (const char* relative : {"a\\b", "/a", ""}) EXPECT_EQ(machine.pathIsRelative(relative), 1) << relative;
    for (const char* absolute : {"\\a", "C:a", "C:\\a"}) EXPECT_EQ(machine.pathIsRelative(absolute), 0) << absolute;
}

}  // namespace
}  // namespace launcher::check
