// launcher-check run in-process, as a packager runs it, on a temporary folder
// that holds an installation image (C:\img) and the machine around it: an
// agent of version 1.2.3 in C:\Agent, registered for all users and named by
// the reference file that <APPDATA> leads to; beside them, folders that
// cannot be checked. Each row of kRows is one run and pieces of what it
// writes; the few runs that need more have tests of their own below.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "check/env_platform.h"
#include "check/tool.h"

namespace launcher::check {
namespace {

namespace fs = std::filesystem;

// The machine's description: nine lines.
const std::string kMachine =
    "image = C:\\img\nadmin = yes\nmap C:\\Agent = agent\nmap C:\\Data\\Agent = data\n"
    "map C:\\Users\\pat\\AppData\\Roaming = appdata\nfolder APPDATA = C:\\Users\\pat\\AppData\\Roaming\n"
    "folder COMMON_APPDATA = C:\\ProgramData\nfolder PERSONAL = C:\\Users\\pat\\Documents\n"
    "registry HKLM\\Software\\Norvex\\Agent\\location = C:\\Agent\n";

class Tree {
public:
    Tree() {
        for (const char* file : {"img/setup.exe", "img/other.ini", "img/disk1/setup.exe", "img/disk1/agent.msi",
                                 "img/agent.msi", "agent/eclipse/agent.exe", "agent/eclipse/run.bat",
                                 "agent/jre/bin/java.exe", "empty/setup.ini", "binary/setup.exe", "wide/setup.exe"}) {
            write(file);
        }
        write("agent/eclipse/configuration/config.ini", "tessa.appDataLocation=C\\:\\\\Data\\\\Agent\n");
        write("data/installed.xml", "<package id='com.norvex.tessa.agent' version='1.2.3'/>\n");
        write("appdata/Agent/agent.properties", "location=C:\\Agent\n");
        write("binary/setup.ini", std::string("[MANAGER]\nVERSION=1\0\n", 21));
        write("wide/setup.ini", std::string("\xFF\xFE[\0M\0", 6));
        for (const char* name : {"b.exe", "b.ini", "a.EXE", "A.ini", "c.ini"}) {
            write(std::string("many/") + name, "[MANAGER]\nLOCATION_KEY=K\nVERSION=1\nLAUNCHER=a.exe\n");
        }
    }
    ~Tree() { fs::remove_all(root_); }

    /// Writes content to the file at relative (folders are made); returns its path.
    std::string write(const std::string& relative, const std::string& content = std::string()) {
        fs::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative, std::ios::binary) << content;
        return (root_ / relative).string();
    }
    /// Returns text with every "%" replaced by the tree's folder and a slash.
    std::string expand(std::string text) const {
        for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at)) {
            text.replace(at, 1, root_.string());
        }
        return text;
    }

private:
    static inline int count_ = 0;
    const fs::path root_ = fs::temp_directory_path() /
                           ("launcher-check-test-" + std::to_string(getpid()) + "-" + std::to_string(++count_)) / "";
};

// The tool's output on the arguments, with "%" replaced, and "exit <code>".
std::string check(const Tree& tree, const std::vector<std::string>& arguments, Platform* native = nullptr) {
    std::vector<std::string> expanded;
    for (const std::string& argument : arguments) expanded.push_back(tree.expand(argument));
    std::ostringstream out;
    const int code = runTool(expanded, out, out, native);
    return out.str() + "exit " + std::to_string(code) + "\n";
}

// "2:9 key-blank launcher-missing": each warning's place and rule.
std::string findings(const std::string& out) {
    static const std::regex warning(R"(\.ini(:\d+:\d+)?: warning \[([a-z-]+)\])");
    std::string summary;
    for (std::sregex_iterator it(out.begin(), out.end(), warning), end; it != end; ++it) {
        const std::string place = (*it)[1].length() > 0 ? (*it)[1].str().substr(1) + " " : "";
        summary += (summary.empty() ? "" : " ") + place + (*it)[2].str();
    }
    return summary;
}

// A clean INI file: the mistakes below are changes to it.
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

const std::string kKey = "LOCATION_KEY=Software\\Norvex\\Agent";
const std::string kAgent = "[MANAGER]\n" + kKey + "\nVERSION=1.2.0\nLAUNCHER=eclipse\\agent.exe\n";

struct Row {
    std::string ini;  ///< written as img/setup.ini
    /// Pieces of "[line:column rule ...]", a line feed, the output, and
    /// "exit <code>"; "%" stands for the tree's folder.
    std::vector<std::string> shown;
    std::vector<std::string> arguments = {"%img"};  ///< after --env and the machine's file
    std::string env = {};                           ///< lines after those of the machine
};

const Row kRows[] = {
    // Files the launcher reads as they look.
    {kClean + "[INSTALLER]\nARG=REBOOT=ReallySuppress\nLICENSEACCEPTED=Yes\n[MANAGER]\nINPUT_FILE=in.xml\n"
              "LAUNCHER_SILENT=eclipse\\agentc.exe\nMODE= UNINSTALL \nARG=-x\n\n;LOCATION = old\n   \n"
              "[COMMON]\nISADMIN=FALSE\nNL=de_DE\n\x1a\r\n",
     {"[]\n", "img/setup.ini: no warnings\nexit 0\n"}},
    // 254 characters and a line feed: the line feed arrives as a piece of its own.
    {changed("eclipse\\agent.exe", std::string(245, 'x')), {"[]"}},

    // Lines the launcher ignores, or reads otherwise than they look.
    {changed("[COMMON]", "[Common]"), {"[7:1 header-case 8:1 outside-section]"}},
    {changed("[COMMON]", "\t[COMMON]"),
     {"[7:2 header-indented 8:1 key-wrong-section]", "Only blanks may stand around a header"}},
    {changed("[COMMON]", "[COMMMON]"), {"[7:1 section-misspelled 8:1 outside-section]", "Write \"[COMMON]\"."}},
    {changed("[COMMON]", "[GENERAL]"), {"[7:1 section-unknown 8:1 outside-section]"}},
    {"\xEF\xBB\xBF" + kClean, {"[1:1 byte-order-mark 2:1 outside-section]", "correct the header on line 1."}},
    {"\xEF\xBB\xBF;\n" + kClean, {"[1:1 byte-order-mark]"}},
    {changed("[COMMON]", "  ; defaults\n[COMMON]"), {"[7:3 comment-indented]", "setup.ini: 1 warning\nexit 1\n"}},
    {changed("[COMMON]", "=x\nVERSION: 1.2\nnothing\n[COMMON]"),
     {"[7:1 key-missing 8:1 no-equals 9:1 no-equals]", "MODE and ARG.\n", "fix: VERSION=1.2\n"}},
    {changed("VERSION=", "Version="), {"[5:1 key-case version-missing]"}},
    {changed("VERSION=", "VERISON="), {"[5:1 key-misspelled version-missing]", "Ignored: VERSION is not set"}},
    {changed("LOCATION=", "LOCATON="), {"[2:1 key-misspelled]", "LOCATION=disk1\\setup.exe"}},
    {changed(kKey, "LOCATION_KLE=x"), {"did you mean LOCATION_KEY or LOCATION_FILE?", "are not set by this line"}},
    {changed("[COMMON]", "RAG=-x\n[COMMON]"), {"[7:1 key-misspelled]"}},
    {changed("SILENT=no", "LANGUAGE=de"), {"[8:1 key-unknown]"}},
    {changed("SILENT=no", "SILENT=1\nISADMIN=on") + "[INSTALLER]\nLICENSEACCEPTED=yes \n",
     {"[8:8 truth-word 9:9 truth-word 11:17 truth-word]", "follows the user's group membership"}},
    {changed("VERSION=1.2.0", "VERSION= 1.2.0\t"), {"[5:9 value-blank]"}},
    {changed("agent.exe", "agent.exe "), {"[6:27 value-blank]", "the blank at its end"}},
    {changed("[COMMON]", "\x1a\r\n[COMMON]"), {"[7:1 end-of-text]"}},
    {"[INSTALLER]\x1a\n" + kClean, {"[1:12 end-of-text location-missing version-missing launcher-missing]"}},
    {changed("LAUNCHER=eclipse\\agent.exe", "LAUNCHER=" + std::string(245, 'x') + "LOCATION_FILE=x"),
     {"[6:255 line-cut 6:269 location-both]"}},
    {changed("LAUNCHER=eclipse\\agent.exe", "LAUNCHER=" + std::string(499, 'x') + "[" + std::string(253, 'y') + "z"),
     {"the piece at column 509 begins with \"[\" and closes the section; the rest is ignored."}},
    {changed("[COMMON]", ";" + std::string(253, '-') + "[COMMON]"),
     {"[7:255 line-cut]", "The piece at column 255 opens [COMMON].\n  fix: Split the remark"}},

    // Versions as the launcher compares them.
    {changed("VERSION=1.2.0", "VERSION="), {"[5:9 version-format]"}},
    {changed("1.2.0", "1,2a.0.rc"), {"[5:9 version-format]", "fix: VERSION=1.2.0.rc\n"}},
    {changed("1.2.0", "v1a.2,x"), {"fix: VERSION=1.2\n"}},
    {changed("1.2.0", "2147483648.1"), {"[5:9 version-format]"}},
    {changed("1.2.0", "2147483647.1"), {"[]"}},
    {changed("1.2.0", "1.2."), {"[]"}},
    {changed("1.2.0", "3.1.0.Beta"),
     {"[5:9 version-qualifier]", "installed 3.1.0 counts as too old, 3.1.0.beta as too old, 3.1.1 as recent enough"}},
    {changed("1.2.0", "1.2.0.0"), {"[5:9 version-qualifier]", "fix: VERSION=1.2.0\n"}},
    {changed("1.2.0", "3,1"), {"[5:9 version-separator]", "installed 3.0.0 counts as recent enough"}},
    {changed("1.2.0", "1,2.3"), {"[5:9 version-separator]", "installed again on every run"}},
    {changed("1.2.0", "1.2-0"), {"[5:9 version-separator]", "the same as 1.2.0."}},

    // Values as the launcher uses them.
    {changed(kKey, "LOCATION_FILE=<APPDATA>\\<AppData>\\<HOME>\\r.properties"),
     {"[4:15 placeholder-literal 4:25 placeholder-unknown]"}},
    {changed("disk1\\setup.exe", "disk1\\AGENT.MSI"), {"[2:10 msi-case]"}},
    {changed("disk1\\setup.exe", "A.MSI"), {"fix: LOCATION=A.msi\n"}},
    {changed("disk1\\setup.exe", ".MSI"), {"[2:10 msi-case 2:10 installer-missing]", "Name the package file"}},
    {changed("disk1\\setup.exe", "disk2\\setup.exe"), {"[2:10 installer-missing]"}},
    {changed("disk1\\setup.exe", "disk1"),
     {"is a folder.\n  launcher: When the agent needs installing, the launcher tries"}},
    {changed("disk1\\setup.exe", "D:\\setup.exe"), {"An absolute location is appended all the same."}},
    {changed("LAUNCHER=", "LAUNCHER_SILENT="), {"[6:17 launcher-missing]"}},
    {changed(kKey, "LOCATION_KEY=HKLM\\Software\\Norvex\\Agent"),
     {"[4:14 location-key-hive]", "HKEY_CURRENT_USER\\HKLM\\Software\\Norvex\\Agent for other users",
      "read in HKEY_LOCAL_MACHINE only for administrators; ISADMIN=true"}},
    {changed(kKey, "LOCATION_KEY=HKEY_LOCAL_MACHINE\\Software\\Norvex\\Agent") + "ISADMIN=true\n",
     {"fix: LOCATION_KEY=Software\\Norvex\\Agent.\n"}},
    {changed(kKey, "LOCATION_KEY=Computer\\HKEY_CURRENT_USER\\Software\\Norvex\\Agent") + "ISADMIN=yes\n",
     {"and ISADMIN=false below [COMMON]"}},
    {changed(kKey, "LOCATION_KEY=Software\\HKLM\\Agent"), {"[]"}},
    {changed("disk1\\setup.exe", "\"disk1\\agent.msi\""),
     {"[2:10 value-quoted]", "It is no MSI package any more: the launcher runs C:\\img\\\"disk1\\agent.msi\" as"}},
    {changed("eclipse\\agent.exe", "\"eclipse\\agent.exe\""), {"[6:10 value-quoted]", "LAUNCHER=eclipse\\agent.exe"}},
    {changed("agent.exe\n", "agent.exe\nLAUNCHER_SILENT=\"run.exe\"\n"),
     {"program becomes <agent folder>\\\"run.exe\""}},
    {changed("SILENT=no", "APPDATALOCATION=\"C:\\Data Dir\""),
     {"[8:17 value-quoted]", "the agent -dataLocation \"\"C:\\Data Dir\"\""}},
    {changed(kKey, "LOCATION_FILE=<APPDATA>\\Agent\\r.properties"),
     {"[4:15 location-file-writable]", "the launcher reads C:\\ProgramData\\Agent\\r.properties"}},
    {changed(kKey, "LOCATION_FILE=<CURRDIR>\\r.properties") + "ISADMIN=true\n", {"[4:15 location-file-writable]"}},
    {changed(kKey, "LOCATION_FILE=<APPDATA>\\Agent\\r.properties") + "ISADMIN=false\n", {"[]"}},
    {changed(kKey, "LOCATION_FILE=<PROFILE>\\r.properties"), {"[]"}},
    {changed("agent.exe\n", "agent.CMD\nARG=a&b\n"), {"[6:10 agent-batch]", "Here: a&b."}},
    {changed("agent.exe", "run"), {"[6:10 agent-batch]", "Windows runs C:\\Agent\\eclipse\\run.bat through cmd.exe"}},
    {changed("agent.exe\n", "agent.exe\nLAUNCHER_SILENT=eclipse\\run\n"), {"[7:17 agent-batch]"}},

    // ARG lines, split as their program splits its command line.
    {changed("setup.exe\n", "setup.exe\nARG=INSTALLDIR=\"C:\\Program Files\\Agent\"\n"),
     {"[3:5 arg-split]", "[INSTALLDIR=C:\\Program] [Files\\Agent]",
      "fix: ARG=INSTALLDIR=C:\\Program Files\\Agent: the launcher adds"}},
    {changed("setup.exe\n", "setup.exe\nARG=INSTALLDIR=C:\\Program Files\\Agent\\\n"),
     {"[3:5 arg-split]", "The installer's /v argument ends early"}},
    {changed("setup.exe\n", "agent.msi\nARG=REBOOT=ReallySuppress\nARG=/l*v \"C:\\log dir\\i.log\"\n"),
     {"[4:5 arg-split]", "ARG=/l*v, then ARG=C:\\log dir\\i.log, each on a line of its own"}},
    {changed("agent.exe\n", "agent.exe\nARG=-data \"C:\\My Data\\\"\n"),
     {"[7:5 arg-split]", "[-data C:\\My] [Data\"]", "ARG=-data, then ARG=C:\\My Data\\\\"}},
    {changed("agent.exe\n", "agent.exe\nARG=-t \"a \"\"b\"\" c\"\n"), {"[7:5 arg-split]", "[-t a] [b] [c]"}},
    {changed("setup.exe\n", "agent.msi\nARG=INSTALLDIR=C:\\Program Files\\Agent\\\nARG=A=\"1\"\n") +
         "[MANAGER]\nARG=-data=\"C:\\x\"\nARG=C:\\My Data\n",
     {"[]"}},
    {changed("setup.exe\n", "agent.msi\nARG=A=\"1\n"),
     {"1 argument: [A=1 STANDALONE=false], the rest of the command line included"}},
    {changed("setup.exe\n", "setup.exe\nARG=INSTALLDIR=\"C:\\Agent\"\n"), {"[]"}},

    // Explained runs: the pieces that they change of the whole run that
    // expected/explain.txt shows.
    {kAgent + "LAUNCHER_SILENT=jre\\bin\\java.exe\nINPUT_FILE=install.xml\n",
     {"  commandLine: \"C:\\Agent\\jre\\bin\\java.exe\" -jar C:\\Agent\\eclipse\\startup.jar -silent -nosplash "
      "-input C:\\img\\install.xml -dataLocation C:\\Data\\Agent\n"
      "  waits: yes (waits for the agent, and starts it again while it exits with code 23)\noutcome\n"
      "  result: start-agent (starts the agent and waits for it)\n"
      "  exitCode: the agent's last exit code (-1 when it cannot start)\nexit 0\n"},
     {"--explain", "%img", "-silent", "-appDataLocation", "C:\\Data\\Agent\\"}},
    {kAgent,
     {"  inputFile: C:\\in.xml\n", "  registryKey: HKEY_LOCAL_MACHINE\\Software\\Norvex\\Agent\n",
      "  agentFound: yes (1.2.3 is at least the required version)\n",
      "  result: start-agent (starts the agent and ends at once)\n  exitCode: 0 (-1 when the agent cannot start)\n"},
     {"--explain", "%img", "-input", "C:\\in.xml"}},
    {kAgent + "LAUNCHER=eclipse\\missing.exe\n",
     {"  result: fail (the agent program cannot be found)\n  message: 2011 (shown in an error box)\n  exitCode: 1\n"},
     {"--explain", "%img"}},
    {"[MANAGER]\nVERSION=1\nMODE=EXTENSION\n",
     {"  mode: EXTENSION\n",
      "  source: none\n  isAdmin: 1 (the user's token holds the Administrators group)\n  configFile: \n",
      "  result: fail (no installer is configured)\n  message: 2017 (not shown (silent))\n"},
     {"--explain", "%img", "-silent"}},
    {"[INSTALLER]\nLOCATION=disk2\\setup.exe\n" + kAgent + "VERSION=2\n",
     {"  result: fail (the installer cannot be found)\n  message: 2013 (shown in an error box)\n"},
     {"--explain", "%img"}},
    {kAgent,
     {"  launcherFullPath: C:\\img\\other.exe (no launcher program of this name in the image; explained as if it "
      "stood there)\n  launcherDir: C:\\img\\\n  launcherName: other\n  iniFile: C:\\img\\other.ini\noutcome\n"
      "  result: usage (shows its usage box)\n  exitCode: 0\n"},
     {"--explain", "%img/other.ini", "-input", "x", "-help"}},
    {"[INSTALLER]\nLOCATION=agent.msi\n" + kAgent + "VERSION=2\n",
     {"  trace: C:\\trace.txt (not written by launcher-check)\n",
      "  kind: msi (an MSI package, run by msiexec.exe)\n  InstallerProgram: C:\\WINDOWS\\system32\\msiexec.exe\n"
      "  installerImage: C:\\img\\agent.msi\n  exists: yes (the package C:\\img\\agent.msi)\n"
      "  programFile: C:\\WINDOWS\\system32\\msiexec.exe\n"},
     {"--explain", "%img", "-log", "C:\\trace.txt"},
     "system = C:\\WINDOWS\\system32\n"},

    // Input that cannot be checked, options, and the choice of the INI file.
    {kClean, {"%missing: error: no such file or folder\nexit 2\n"}, {"%missing"}},
    {kClean, {"%empty: error: no launcher INI file in this folder: ", "exit 2\n"}, {"%empty"}},
    {kClean, {"%binary/setup.ini: error: the file holds NUL bytes: it is binary, not text\n"}, {"%binary"}},
    {kClean,
     {"\"status\":\"error\",\"exitCode\":2,\"error\":\"the file is UTF-16 text",
      "\"notes\":[],\"findings\":[]}\nexit 2\n"},
     {"--json", "%wide/setup.ini"}},
    // JSON: bytes that are no UTF-8 are taken as Latin-1, control characters escaped.
    {"[COMMON]\n\"\\\t\x01\x1F\x7F\r "
     "\xE9\xDF\xBF\xE0\xA0\x80\xE0\x9F\xBF\xED\x9F\xBF\xED\xA0\x80\xEE\x80\x80\xEF\xBF\xBF"
     "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xF4\x90\x80\x80\xC0\xAF\xE2\x82=1\n",
     {"{\"tool\":\"launcher-check\",\"schemaVersion\":1,\"mode\":\"check\",\"file\":\"%img/setup.ini\",\"status\":"
      "\"warnings\",\"exitCode\":1,\"notes\":[],\"findings\":[{\"line\":2,\"column\":1,\"rule\":\"key-unknown\","
      "\"message\":\"[COMMON] has no key \\\"\\\"\\\\\\t\\u0001\\u001f\\u007f\\r "
      "\xC3\xA9\xDF\xBF\xE0\xA0\x80\xC3\xA0\xC2\x9F\xC2"
      "\xBF\xED\x9F\xBF\xC3\xAD\xC2\xA0\xC2\x80\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xC3\xB4\xC2\x90"
      "\xC2\x80\xC2\x80\xC3\x80\xC2\xAF\xC3\xA2\xC2\x82\\\"; its keys are SILENT, ISADMIN, APPDATALOCATION and NL.\","
      "\"launcher\":\"Ignored.\",\"fix\":\"Use one of the keys of [COMMON], or remove the line.\"},{"},
     {"--json", "%img"}},
    {kAgent, {"\"arguments\":[\"a\\nb\"]"}, {"--json", "--explain", "%img", "a\nb"}},
    {kClean, {"checked A.ini (of a.EXE), not those of b.exe: name", "\n%many/A.ini: no warnings\nexit 0\n"}, {"%many"}},
    {kClean, {"note: several launchers in this folder; checked A.ini", "launcher\n"}, {"--explain", "%many"}},
    {kClean, {"%many/c.ini: no warnings\n"}, {"%many/c.ini"}},
    {kClean, {"launcher-check: no image folder or INI file named\nusage: launcher-check"}, {}},
    {kClean, {"launcher-check: unknown option or missing value: --env\n"}, {"--env"}},
    {kClean, {"launcher-check: launcher options are taken only with --explain\n"}, {"%img", "-silent"}},
    {kClean, {"launcher-check: %nothing.env: cannot be read\nexit 2\n"}, {"--env", "%nothing.env", "%img"}},
    {kClean, {"machine.env: line 11: expected NAME = VALUE\n"}, {"%img"}, "folder 40 = C:\\p\nimage C:\\img\n"},
    {kClean, {"%img/setup.ini: error: no such file\n"}, {"%img"}, "map C:\\img\\setup.ini = nowhere\n"},
    {kClean, {"error: this is a folder, not an INI file\n"}, {"%img"}, "map C:\\img\\setup.ini = agent\n"},
    {kClean, {"line 12: admin takes yes or no\n"}, {"%img"}, "# machine\n\nadmin = maybe\n"},
    {kClean, {"line 10: language takes a number such as 1033\n"}, {"%img"}, "language = German\n"},
    {kClean, {"line 10: language takes a number such as 1033\n"}, {"%img"}, "language = 70000\n"},
    {kClean, {"line 10: folder takes PERSONAL"}, {"%img"}, "folder DOCUMENTS = C:\\d\n"},
    {kClean, {"line 10: registry takes"}, {"%img"}, "registry HKXX\\Software\\location = C:\\a\n"},
    {kClean, {"line 10: registry takes"}, {"%img"}, "registry HKLM\\location = C:\\a\n"},
    {kClean, {"line 11: unknown setting \"colour x\"\n"}, {"%img"}, "cwd = C:\\work\r\ncolour x = red\r\n"},
    {kClean, {"line 10: unknown setting \"map\"\n"}, {"%img"}, "map = agent\n"},
};

TEST(Check, EachRunWithWhatItShows) {
    Tree tree;
    for (const Row& row : kRows) {
        tree.write("img/setup.ini", row.ini);
        std::vector<std::string> arguments = {"--env", tree.write("machine.env", kMachine + row.env)};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const std::string out = check(tree, arguments);
        const std::string shown = "[" + findings(out) + "]\n" + out;
        for (const std::string& piece : row.shown) {
            EXPECT_NE(shown.find(tree.expand(piece)), std::string::npos) << tree.expand(piece) << " in\n" << shown;
        }
    }
}

// A whole explanation, its text and then its JSON.
TEST(Check, InstallFromAReferenceFileExplainedWhole) {
    Tree tree;
    tree.write("img/setup.ini",
               "[INSTALLER]\nLOCATION=DISK1\\Setup.exe\nARG=REBOOT=ReallySuppress\n[MANAGER]\n"
               "LOCATION_FILE=<APPDATA>\\Agent\\agent.properties\nVERSION=1.3\nLAUNCHER=eclipse\\agent.exe\n"
               "[COMMON]\nISADMIN=false\n");
    std::vector<std::string> arguments = {
        "--env",          tree.write("machine.env", kMachine),  "--explain", "%img", "-nl", "de_DE",
        "-installerArgs", "INSTALLDIR=C:\\Program Files\\Agent"};
    const std::string text = check(tree, arguments);
    arguments.insert(arguments.begin(), "--json");
    std::ifstream golden(CHECK_SOURCE_DIR "/tests/check/expected/explain.txt", std::ios::binary);
    std::ostringstream expected;
    expected << golden.rdbuf();
    EXPECT_EQ(text + check(tree, arguments), expected.str());
}

// A machine whose files open for reading only so many times: the tool's own
// look at the INI file comes first, the launcher's read second.
class Flaky : public EnvPlatform {
public:
    Flaky(const std::string& hostImage, int reads) : EnvPlatform({.image = hostImage}, hostImage), reads_(reads) {}
    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        return reads_-- > 0 ? EnvPlatform::openForReading(path) : nullptr;
    }

private:
    int reads_;
};

TEST(Check, MachinesThatFilesAndSettingsDescribe) {
    Tree tree;
    tree.write("img/setup.ini", "[MANAGER]\n");
    const std::tuple<int, std::vector<std::string>, std::string> runs[] = {
        {1, {"%img"}, "img/setup.ini: no warnings\nexit 0\n"},
        {1,
         {"--explain", "%img"},
         "setup.ini cannot be opened: the launcher shows an error and exits with 1\nexit 2\n"},
        {1, {"--json", "--explain", "%img"}, "\"mode\":\"explain\",\"exitCode\":2,\"error\":\"the INI file "},
        {0, {"%img"}, "img/setup.ini: error: the file cannot be opened for reading\nexit 2\n"},
    };
    for (const auto& [reads, arguments, shown] : runs) {
        Flaky machine(tree.expand("%img"), reads);
        EXPECT_NE(check(tree, arguments, &machine).find(shown), std::string::npos) << shown;
    }
    // The settings that show in no explanation, as the machine answers them.
    EnvSettings settings;
    ASSERT_EQ(parseEnvText("cwd = C:\\work\nlanguage = 10000\nenv Path = C:\\bin", "/", settings), "");
    EnvPlatform machine(settings, "/");
    EXPECT_EQ(machine.currentDirectory() + std::to_string(machine.userDefaultLanguage()) +
                  machine.expandEnvironmentStrings("%path%;%TEMP%;%"),
              "C:\\work10000C:\\bin;%TEMP%;%");
}

// The example in the documentation is the tool's own output.
TEST(Check, DocumentedExampleStaysTrue) {
    std::ifstream file(CHECK_SOURCE_DIR "/docs/launcher-check.md", std::ios::binary);
    std::ostringstream doc;
    doc << file.rdbuf();
    const std::string begin = "$ launcher-check tests/check/sample\n";
    const std::size_t start = doc.str().find(begin) + begin.size();
    fs::current_path(CHECK_SOURCE_DIR);
    const Tree tree;
    EXPECT_EQ(check(tree, {"tests/check/sample"}),
              doc.str().substr(start, doc.str().find("```", start) - start) + "exit 1\n");
    EXPECT_EQ(check(tree, {"--help"}).find("usage: launcher-check"), 0u);
}

}  // namespace
}  // namespace launcher::check
