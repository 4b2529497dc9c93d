#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "check/findings.h"
#include "check/tool.h"
#include "golden.h"
#include "memory_platform.h"
#include "temp_tree.h"

namespace launcher::check {
namespace {

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun run(const std::vector<std::string>& arguments, Platform* native = nullptr) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = runTool(arguments, out, err, native);
    return {code, out.str(), err.str()};
}

// The output of a run: the section of expected/tool.txt.
std::string expected(const std::string& run, const testing::TempTree& tree) {
    return launcher::testing::goldenSection(CHECK_SOURCE_DIR "/tests/check/expected/tool.txt", run,
                                            {{"${TREE}", tree.path()}});
}

TEST(Tool, InputThatCannotBeChecked) {
    testing::TempTree tree;
    tree.write("empty/setup.ini", "[MANAGER]\n");  // no setup.exe beside it
    tree.write("binary/setup.exe");
    tree.write("binary/setup.ini", std::string("[MANAGER]\nVERSION=1\0\n", 21));
    tree.write("wide/setup.exe");
    tree.write("wide/setup.ini", std::string("\xFF\xFE[\0M\0", 6));
    for (const char* input : {"missing", "empty", "binary", "wide/setup.ini"}) {
        const ToolRun text = run({tree.path(input)});
        EXPECT_EQ(text.code, kExitUnreadable) << input;
        EXPECT_EQ(text.out, expected(input, tree));
        const ToolRun json = run({"--json", "--explain", tree.path(input)});
        EXPECT_EQ(json.code, kExitUnreadable) << input;
        EXPECT_NE(json.out.find("\"status\":\"error\",\"exitCode\":2,\"error\":"), std::string::npos) << json.out;
    }
}

TEST(Tool, FileThatCannotBeOpened) {
    // Running as an administrator, a test cannot make a real file unreadable.
    struct Locked : launcher::testing::MemoryPlatform {
        PathKind pathKind(const std::string&) override { return PathKind::File; }
        std::unique_ptr<InputFile> openForReading(const std::string&) override { return nullptr; }
    } native;
    testing::TempTree tree;
    tree.write("img/setup.exe");
    tree.write("img/setup.ini", "[MANAGER]\n");
    const ToolRun locked = run({tree.path("img")}, &native);
    EXPECT_EQ(locked.code, kExitUnreadable);
    EXPECT_EQ(locked.out, expected("locked", tree));
}

TEST(Tool, OptionsAndTheChoiceOfTheIniFile) {
    testing::TempTree tree;
    for (const char* name : {"b.exe", "b.ini", "a.EXE", "A.ini", "c.ini", "disk1/setup.exe"}) {
        tree.write(std::string("img/") + name,
                   "[INSTALLER]\nLOCATION=disk1\\setup.exe\n[MANAGER]\nLOCATION_KEY=K\nVERSION=1\nLAUNCHER=a.exe\n");
    }
    const ToolRun clean = run({tree.path("img")});
    EXPECT_EQ(clean.code, kExitClean);
    EXPECT_EQ(clean.out, expected("several launchers", tree));
    EXPECT_EQ(run({tree.path("img/c.ini")}).code, kExitClean);

    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {}, {"--explain"}, {"--env"}, {"--xml", "img"}, {tree.path("img"), "-silent"}}) {
        const ToolRun usage = run(wrong);
        EXPECT_EQ(usage.code, kExitUnreadable);
        EXPECT_NE(usage.err.find("usage: launcher-check"), std::string::npos);
    }
    tree.write("bad.env", "admin = maybe\n");
    const ToolRun badEnv = run({"--env", tree.path("bad.env"), "--explain", tree.path("img")});
    EXPECT_EQ(badEnv.code, kExitUnreadable);
    EXPECT_EQ(badEnv.err, expected("bad env", tree));
}

TEST(Report, JsonStrings) {
    struct Row {
        std::string text;
        std::string json;
    };
    const Row rows[] = {
        {"C:\\a \"b\"", "\"C:\\\\a \\\"b\\\"\""},
        {"\t\r\n\x01\x7f", "\"\\t\\r\\n\\u0001\\u007f\""},
        {"caf\xC3\xA9", "\"caf\xC3\xA9\""},  // UTF-8 stays
        {"caf\xE9", "\"caf\xC3\xA9\""},      // a code-page byte becomes its character
        {"\xEF\xBB\xBF[", "\"\xEF\xBB\xBF[\""},
        {"\xED\xA0\x80", "\"\xC3\xAD\xC2\xA0\xC2\x80\""},  // no surrogates in UTF-8
        {"\xC0\xAF", "\"\xC3\x80\xC2\xAF\""},              // nor overlong forms
    };
    for (const Row& row : rows) EXPECT_EQ(jsonString(row.text), row.json) << row.text;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The example in the documentation is the output of the tool itself.
TEST(Tool, DocumentedExampleStaysTrue) {
    const std::string doc = readFile(CHECK_SOURCE_DIR "/docs/launcher-check.md");
    const std::string begin = "$ launcher-check tests/check/sample\n";
    const std::size_t start = doc.find(begin);
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = doc.find("```", start);
    ASSERT_NE(end, std::string::npos);
    const std::string documented = doc.substr(start + begin.size(), end - start - begin.size());

    const std::string command = "cd '" CHECK_SOURCE_DIR "' && '" CHECK_TOOL "' tests/check/sample; echo \"exit $?\"";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) output.append(buffer, got);
    pclose(pipe);
    EXPECT_EQ(output, documented + "exit 1\n");
}

}  // namespace
}  // namespace launcher::check
