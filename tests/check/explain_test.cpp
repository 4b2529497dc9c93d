#include <gtest/gtest.h>

#include "check/env_platform.h"
#include "check/explain.h"
#include "check/read_only_platform.h"
#include "memory_platform.h"
#include "temp_tree.h"

namespace launcher::check {
namespace {

using Strings = std::vector<std::string>;

// An image in C:\img with an installer and a package, and an agent of
// version 1.2.3 that the registry places where env says.
class Machine {
public:
    Machine(const std::string& ini, const std::string& env) : settings_(setUp(ini, env)) {}
    Explanation explain(const Strings& options) { return explainRun(platform_, "C:\\img\\setup.exe", options); }
    const ReadOnlyPlatform& platform() const { return platform_; }

private:
    EnvSettings setUp(const std::string& ini, const std::string& env) {
        for (const char* file : {"img/setup.exe", "img/disk1/setup.exe", "img/agent.msi", "agent/eclipse/agent.exe",
                                 "agent/jre/bin/java.exe"}) {
            tree_.write(file);
        }
        tree_.write("img/setup.ini", ini);
        tree_.write("agent/eclipse/configuration/config.ini", "tessa.appDataLocation=C\\:\\\\Data\\\\Agent\n");
        tree_.write("data/installed.xml", "<package id='com.norvex.tessa.agent' version='1.2.3'/>\n");
        EnvSettings settings;
        EXPECT_EQ(parseEnvText("image = C:\\img\nmap C:\\Data\\Agent = data\n" + env, tree_.path(), settings), "");
        return settings;
    }
    testing::TempTree tree_;
    EnvSettings settings_;
    EnvPlatform machine_{settings_, tree_.path("img")};
    ReadOnlyPlatform platform_{machine_};
};

std::string field(const Explanation& explanation, const std::string& section, const std::string& label) {
    for (const Section& s : explanation.sections) {
        if (s.name != section) continue;
        for (const Field& f : s.fields) {
            if (f.label != label) continue;
            if (f.kind == Field::Kind::None) return "null";
            return f.kind == Field::Kind::Text ? f.text : std::to_string(f.number);
        }
    }
    return "(no " + section + " " + label + ")";
}

const std::string kAgentKey = "registry HKLM\\Software\\Norvex\\Agent\\location = ";

// The command lines are the ones the launcher's own tests expect.
TEST(Explain, InstallerCommands) {
    Machine exe("[INSTALLER]\nLOCATION=disk1\\setup.exe\nARG=IGNORED=1\nARG=IGNORED=2\n[MANAGER]\nVERSION=1.0\n", "");
    const Explanation full = exe.explain({"-silent", "-nl", "de_DE", "-appDataLocation", "C:\\Data\\Agent",
                                          "-installerArgs", "INSTALLDIR=C:\\Program Files\\Agent"});
    EXPECT_EQ(field(full, "installer", "commandLine"),
              "\"C:\\img\\disk1\\setup.exe\" /S /L1031 /v\"/qn INSTALLDIR=\\\"C:\\Program Files\\Agent\\\" "
              "STANDALONE=false APPDATALOCATION=\\\"C:\\Data\\Agent\\\"\"");
    EXPECT_EQ(field(full, "installer", "runs"), "1");
    EXPECT_EQ(field(full, "outcome", "exitCode"), "null");
    EXPECT_EQ(field(exe.explain({}), "installer", "commandLine"),
              "\"C:\\img\\disk1\\setup.exe\" /v\"IGNORED=1 IGNORED=2 STANDALONE=false\"");
    Machine bare("[INSTALLER]\nLOCATION=disk1\\setup.exe\n", "");
    EXPECT_EQ(field(bare.explain({}), "installer", "commandLine"),
              "\"C:\\img\\disk1\\setup.exe\" /v\"STANDALONE=false\"");

    Machine msi(
        "[INSTALLER]\nLOCATION=agent.msi\nARG=TARGETDIR=C:\\Program Files\\Agent\nARG=REBOOT=ReallySuppress\n"
        "[COMMON]\nNL=de_DE\nAPPDATALOCATION=C:\\Data\\Agent\n",
        "system = C:\\WINDOWS\\system32\n");
    const Explanation package = msi.explain({"-silent"});
    EXPECT_EQ(field(package, "installer", "commandLine"),
              "C:\\WINDOWS\\system32\\msiexec.exe /i \"C:\\img\\agent.msi\" /q \"TARGETDIR=C:\\Program Files\\Agent\" "
              "REBOOT=ReallySuppress STANDALONE=false APPDATALOCATION=\"C:\\Data\\Agent\"");
    EXPECT_EQ(field(package, "installer", "exists"), "1");
    // The described system folder holds msiexec.exe.
    EXPECT_EQ(field(package, "installer", "programFile"), "C:\\WINDOWS\\system32\\msiexec.exe");
    // Flags and numbers are JSON numbers; words about a value go to the section's notes.
    const std::string json = renderJson(package);
    for (const char* member : {"\"schemaVersion\":1,", "\"runs\":1,", "\"exists\":1,", "\"isSilent\":1,",
                               "\"exitCode\":null,", "\"notes\":{\"runs\":\"the agent is missing or too old\""}) {
        EXPECT_NE(json.find(member), std::string::npos) << member << " in " << json;
    }
}

TEST(Explain, AgentCommandsOfAnInstalledAgent) {
    Machine java(
        "[MANAGER]\nLOCATION_KEY=Software\\Norvex\\Agent\nVERSION=1.2.0\nLAUNCHER=eclipse\\agent.exe\n"
        "LAUNCHER_SILENT=jre\\bin\\java.exe\nINPUT_FILE=install.xml\n[COMMON]\nISADMIN=TRUE\nNL=de_DE\n",
        "admin = no\nmap C:\\Program Files\\Agent = agent\n" + kAgentKey + "C:\\Program Files\\Agent\n");
    const Explanation run = java.explain(
        {"-silent", "-appDataLocation", "C:\\Data\\Agent\\", "-managerArgs", "-record", "C:\\my files\\rec.xml"});
    EXPECT_EQ(
        field(run, "agent", "commandLine"),
        "\"C:\\Program Files\\Agent\\jre\\bin\\java.exe\" -jar \"C:\\Program Files\\Agent\\eclipse\\startup.jar\" "
        "-silent -nosplash -isAdmin -input C:\\img\\install.xml -dataLocation C:\\Data\\Agent -nl de_DE "
        "-record \"C:\\my files\\rec.xml\"");
    EXPECT_EQ(field(run, "agentLocation", "registryKey"), "HKEY_LOCAL_MACHINE\\Software\\Norvex\\Agent");
    EXPECT_EQ(field(run, "agentLocation", "configFile"),
              "C:\\Program Files\\Agent\\eclipse\\configuration\\config.ini");
    EXPECT_EQ(field(run, "agentLocation", "agentFound"), "1");
    EXPECT_EQ(field(run, "outcome", "result"), "start-agent");

    // An administrator without an explicit request gets no -isAdmin.
    Machine own("[MANAGER]\nLOCATION_KEY=Software\\Norvex\\Agent\nVERSION=1.3\nLAUNCHER=eclipse\\agent.exe\n",
                "admin = yes\nmap C:\\Agent = agent\n" + kAgentKey + "C:\\Agent\n");
    const Explanation plain = own.explain({});
    EXPECT_EQ(field(plain, "agent", "commandLine"), "\"C:\\Agent\\eclipse\\agent.exe\"");
    EXPECT_EQ(field(plain, "agentLocation", "agentFound"), "0");
    EXPECT_EQ(field(plain, "outcome", "result"), "fail");
    EXPECT_EQ(field(plain, "outcome", "message"), "2011");
    EXPECT_EQ(field(own.explain({"-input", "x", "-help"}), "outcome", "result"), "usage");
}

}  // namespace
}  // namespace launcher::check
