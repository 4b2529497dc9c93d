// launcher-check run in-process, as a packager runs it, on a temporary folder
// that holds an installation image (C:\img) and the machine around it: an
// agent of version 1.2.3 in C:\Agent, registered for all users and named by
// the reference file that <APPDATA> leads to; beside them, folders that
// cannot be checked. Each case of expected/cases.txt is one run and pieces
// of what it writes; the few runs that need more have tests of their own
// below.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <fstream>
#include <regex>
#include <sstream>

#include "check/env_platform.h"
#include "check/tool.h"
#include "messages/messages.h"

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

// A clean INI file: the "change" cases of expected/cases.txt edit it.
const std::string kClean =
    "[INSTALLER]\n"                           // 1
    "LOCATION=disk1\\setup.exe\n"             // 2
    "[MANAGER]\n"                             // 3
    "LOCATION_KEY=Software\\Norvex\\Agent\n"  // 4
    "VERSION=1.2.0\n"                         // 5
    "LAUNCHER=eclipse\\agent.exe\n"           // 6
    "[COMMON]\n"                              // 7
    "SILENT=no\n";                            // 8

// A run: see expected/cases.txt.
struct Row {
    int line = 0;                                   ///< where the case begins in cases.txt
    std::string ini;                                ///< written as img/setup.ini
    std::vector<std::string> shown;                 ///< pieces of "[findings]", a line feed, the output
    std::vector<std::string> arguments = {"%img"};  ///< after --env and the machine's file
    std::string env = {};                           ///< lines after those of the machine
};

// The text of a case file's value, its escapes undone.
std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = i + 1 < text.size() && text[i] == '\\' ? text[++i] : '\0';
        if (c == 'x') {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else if (c == '{') {
            const std::size_t close = text.find('}', i);
            out.append(std::stoul(std::string(text.substr(i + 1, close - i - 1))), text[close + 1]);
            i = close + 1;
        } else {
            out += c == '\0' ? text[i] : c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == 's' ? ' ' : c;
        }
    }
    return out;
}

const char* const kCases = CHECK_SOURCE_DIR "/tests/check/expected/cases.txt";

// The case that a line begins: "clean", "ini: TEXT" or "change: A => B".
std::optional<std::string> caseIni(const std::string& field, const std::string& value) {
    if (field == "clean") return kClean;
    if (field == "ini") return value;
    if (field != "change") return std::nullopt;
    const std::size_t arrow = value.find(" => ");
    const std::string from = value.substr(0, arrow) + "\n";
    std::string text = kClean;
    const std::size_t at = text.find(from);
    if (arrow == std::string::npos || at == std::string::npos) return std::nullopt;
    return text.replace(at, from.size(), value.substr(arrow + 4) + "\n");
}

// The runs of expected/cases.txt; a line that is no comment, no case and no
// known field of one, and a case that asserts nothing, fail the test.
std::vector<Row> readCases() {
    std::ifstream file(kCases, std::ios::binary);
    std::vector<Row> rows;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const std::string field = line.substr(0, line.find(':'));
        const std::string value = unescape(line.substr(std::min(line.size(), field.size() + 2)));
        if (const std::optional<std::string> ini = caseIni(field, value)) {
            rows.push_back({.line = number, .ini = *ini});
        } else if (rows.empty() || (field != "args" && field != "env" && field != "shows")) {
            ADD_FAILURE_AT(kCases, number) << "not a case, nor a field of one: " << line;
        } else if (field == "args") {
            std::istringstream words(line.substr(5));
            rows.back().arguments.clear();
            for (std::string word; words >> word;) rows.back().arguments.push_back(unescape(word));
        } else if (field == "env") {
            rows.back().env = value;
        } else {
            rows.back().shown.push_back(value);
        }
    }
    for (const Row& row : rows) {
        if (row.shown.empty()) ADD_FAILURE_AT(kCases, row.line) << "the case asserts nothing: it has no shows:";
    }
    return rows;
}

// Whether the output holds every piece of the case.
::testing::AssertionResult showsEachPiece(const Tree& tree, const Row& row, const std::string& shown) {
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    for (const std::string& piece : row.shown) {
        if (shown.find(tree.expand(piece)) != std::string::npos) continue;
        if (result) result = ::testing::AssertionFailure() << "in\n" << shown;
        result << "\nmissing: " << tree.expand(piece);
    }
    return result;
}

TEST(Check, EachRunWithWhatItShows) {
    Tree tree;
    const std::vector<Row> rows = readCases();
    ASSERT_FALSE(rows.empty()) << "no cases read";
    for (const Row& row : rows) {
        const ::testing::ScopedTrace at(kCases, row.line, "the case");
        tree.write("img/setup.ini", row.ini);
        std::vector<std::string> arguments = {"--env", tree.write("machine.env", kMachine + row.env)};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const std::string out = check(tree, arguments);
        EXPECT_TRUE(showsEachPiece(tree, row, "[" + findings(out) + "]\n" + out));
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
        {1, {"--explain", "%img"}, " cannot be opened: the launcher shows an error and exits with 1\nexit 2\n"},
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
    EXPECT_EQ(machine.currentDirectory(), "C:\\work");
    EXPECT_EQ(machine.userDefaultLanguage(), 10000);
    EXPECT_EQ(utf16ToUtf8(machine.expandEnvironmentStrings(u"%path%;%TEMP%;%")), "C:\\bin;%TEMP%;%");
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
