// What every case uses: GoogleTest, the harness (harness/*.cpp), and what
// the launcher must show and write, taken from expected/ rather than from
// the launcher: the box texts per language table (texts.txt) and the
// golden traces (expected.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "harness/stub_plan.h"
#include "harness/text.h"

namespace e2e {

// harness/launcher_run.cpp: running a program as a user or a script would: a
// chosen program file, a chosen raw command line and current directory. Its
// message boxes are recorded (title, text, icon) and closed with OK while it
// runs, the way a user would, and its full 32-bit exit code is read.

/// The icon of a box, told apart by the colour of its pixels.
enum class BoxIcon { Error, Information, Unrecognised };

/// One message box as the user saw it; texts in UTF-8.
struct SeenBox {
    std::string title;
    std::string text;
    BoxIcon icon = BoxIcon::Unrecognised;
};

bool operator==(const SeenBox& left, const SeenBox& right);
void PrintTo(const SeenBox& box, std::ostream* out);

struct RunSpec {
    std::string application{};       ///< the program file; empty: from the command line
    std::string commandLine{};       ///< passed as it is: argument 0 included
    std::string currentDirectory{};  ///< empty: the tests' own
    std::uint32_t timeoutMilliseconds = 30000;
    /// Put in front of the tests' own PATH for the program; empty: PATH
    /// unchanged. (Wine takes LC_ALL and WINE* from the Unix environment.)
    std::string pathPrefix{};
};

struct RunResult {
    bool started = false;
    bool timedOut = false;       ///< the program was killed after the time-out
    std::int32_t exitCode = 0;   ///< all 32 bits, as GetExitCodeProcess gives them
    std::vector<SeenBox> boxes;  ///< in the order in which they came up
    std::uint32_t processId = 0;
};

/// A process that a program started and that is still running.
struct ChildProcess {
    std::uint32_t id;
    std::string fileName;  ///< the program file's name, without its folder
};

/// Runs the program to its end, closing its message boxes with OK. A
/// program that cannot be started or runs past the time-out fails the
/// current test.
RunResult runProgram(const RunSpec& request);

/// Returns the running processes that the process of this id started; ends
/// a process and waits until it is gone.
std::vector<ChildProcess> runningChildren(std::uint32_t parentId);
void endProcess(std::uint32_t id);

// harness/install_image.cpp: a temporary installation image, a fresh folder
// per test under C:\e2e, holding a copy of the launcher under a chosen name,
// its INI file and any other files, and stub programs that record how they
// were started.

/// Returns the path of a file that the build puts beside e2e_tests.exe:
/// launcher.exe, stub_program.exe, plain_box.exe, planted\uxtheme.dll,
/// e2e_agent.msi, expected\<golden file>, src\check\launcher-check.exe.
std::string buildFile(const std::string& name);

/// Reads or writes a whole file (folders are made); fails the current test
/// when that does not work.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);

/// Writes the plan (see stub_plan.h) that the stub copy at stubPath follows;
/// returns the raw command lines with which it was started, in order.
void writeStubPlan(const std::string& stubPath, const std::string& plan);
std::vector<std::string> recordedCalls(const std::string& stubPath);

/// A file of an installed agent.
struct PlannedFile {
    std::string path;
    std::string content;
};

/// Returns the files that make agentDir an installed agent of this version,
/// as its installer lays them down: eclipse\configuration\config.ini naming
/// agentDir\data in the agent's escaped form (drive colon after a backslash,
/// every backslash doubled), and data\installed.xml.
std::vector<PlannedFile> agentFiles(const std::string& agentDir, const std::string& version);

/// Returns the plan of an installer that lays down agentFiles() and
/// registers agentDir as "location" under kAgentKey in HKLM.
std::string installPlan(const std::string& agentDir, const std::string& version);

/// A fresh folder for one test. It is removed when the test passed and kept
/// for a look when it failed.
class InstallImage {
public:
    /// Creates C:\e2e\<test name><suffix>, emptied first.
    explicit InstallImage(const std::string& suffix = std::string());
    ~InstallImage();
    InstallImage(const InstallImage&) = delete;
    InstallImage& operator=(const InstallImage&) = delete;

    /// The folder, without a trailing backslash, and a path in it.
    const std::string& dir() const { return dir_; }
    std::string path(const std::string& relative) const { return dir_ + "\\" + relative; }

    /// Copies the launcher under test in as fileName, and writes ini beside
    /// it as its INI file unless ini is empty; returns the launcher's path.
    std::string addLauncher(const std::string& fileName, const std::string& ini = std::string());

    /// Copies the stub program in under a relative name, with its plan.
    void addStub(const std::string& relative, const std::string& plan = std::string());

    /// Lays down an installed agent of this version in the relative folder:
    /// agentFiles() and the stub as eclipse\agent.exe. Returns its full path.
    std::string addAgent(const std::string& relative, const std::string& version);

    std::vector<std::string> stubCalls(const std::string& relative) const { return recordedCalls(path(relative)); }
    void writeFile(const std::string& relative, const std::string& bytes) { writeFileBytes(path(relative), bytes); }
    std::string readFile(const std::string& relative) const { return readFileBytes(path(relative)); }

    /// Runs a program of the image with the command line
    /// "<quoted full path> <arguments>" and the image as current directory.
    RunResult run(const std::string& programRelative, const std::string& arguments = std::string()) const;

private:
    std::string dir_;
};

// harness/registry.cpp: registry helpers. The prefix is a 64-bit one, as
// most users' Windows is: the tests, like the launcher, are 32-bit programs
// and see the 32-bit view (WOW6432Node) unless they name the other.

/// The key that tests write under, in either hive, and the key that they
/// name in LOCATION_KEY for an agent they register.
inline constexpr const char* kTestsKey = "Software\\QuillmarkE2E";
inline constexpr const char* kAgentKey = "Software\\QuillmarkE2E\\Agent";
enum class Hive { CurrentUser, LocalMachine };
/// The registry view of a 32-bit program, or the 64-bit one.
enum class View { Own, SixtyFourBit };

/// Writes a string value, creating the key; fails the test when it cannot.
void setRegistryString(Hive hive, const std::string& key, const std::string& name, const std::string& value,
                       View view = View::Own);

/// Writes a value of any registry type with exactly these data bytes.
void setRegistryValue(Hive hive, const std::string& key, const std::string& name, std::uint32_t type,
                      const std::string& data, View view = View::Own);

/// Returns a string value, or nothing when the key or the value is missing.
std::optional<std::string> readRegistryString(Hive hive, const std::string& key, const std::string& name,
                                              View view = View::Own);

/// Deletes a key with all its subkeys and values; a missing key is fine.
void deleteRegistryKey(Hive hive, const std::string& key, View view = View::Own);

// harness/registry.cpp as well: the Windows Installer program of the system
// directory replaced by the stub program for the life of an object, so that
// tests choose its exit codes and read the command lines it was given. Wine
// prefers its builtin msiexec.exe to any file in the system directory; a DLL
// override in the prefix's registry makes it run the stub instead. Both the
// file and the override are put back when the object goes, and an object
// left over from a run that was killed is cleaned up when the next one is
// made.

/// The system directory, without a trailing backslash, and msiexec.exe in it.
std::string systemDirectory();
std::string systemMsiexec();

class StubbedSystemMsiexec {
public:
    explicit StubbedSystemMsiexec(const std::string& plan);
    ~StubbedSystemMsiexec();
    StubbedSystemMsiexec(const StubbedSystemMsiexec&) = delete;
    StubbedSystemMsiexec& operator=(const StubbedSystemMsiexec&) = delete;
    std::vector<std::string> calls() const;  ///< the stub's command lines, in order
};

// The cases' own helpers (expected.cpp).

/// A row of a parameterized suite: named and printed by its name.
struct Case {
    const char* name;
    friend std::ostream& operator<<(std::ostream& out, const Case& row) { return out << row.name; }
};

/// Names a parameterized case after its row (INSTANTIATE_TEST_SUITE_P).
inline constexpr auto byName = [](const auto& info) { return std::string(info.param.name); };

/// Returns the user language of this run: GetUserDefaultLangID(), which
/// must equal E2E_USER_LANGID when the test entry sets it.
std::uint16_t userLanguage();

/// Returns the table whose texts a user of this language sees: the
/// language's own, or the one that stands in for it. Fails the test and
/// returns English (1033) for a language that no test expects.
std::uint16_t tableFor(std::uint16_t language);

/// Returns the text of expected/texts.txt of that name and table, with "%s"
/// replaced by argument. Fails the test for a text that is not there.
std::string text(const std::string& name, const std::string& argument = "",
                 std::uint16_t table = tableFor(userLanguage()));

/// The error box of a message, in the user's language.
SeenBox errorBox(const std::string& message, const std::string& argument,
                 std::uint16_t table = tableFor(userLanguage()));

using Boxes = std::vector<SeenBox>;
using Strings = std::vector<std::string>;

/// Tokens of a golden trace ("${IMAGE}") and the texts that stand for them;
/// withTokens() replaces each, in the order of tokens.
using TraceTokens = std::vector<std::pair<std::string, std::string>>;
std::string withTokens(std::string text, const TraceTokens& tokens);

/// Returns the golden trace expected/<name> with its tokens replaced and
/// CR LF line ends, as the launcher must write it. The files are written by
/// hand from the trace formats; some lines end in blanks.
std::string goldenTrace(const std::string& name, const TraceTokens& tokens);

/// Succeeds when trace ends with expectedEnd (LF line ends, tokens replaced,
/// then compared as CR LF); on failure shows both ends.
::testing::AssertionResult traceEndsWith(const std::string& trace, const std::string& expectedEnd,
                                         const TraceTokens& tokens = {});

/// Returns the [MANAGER] section (CR LF line ends) of an INI file that looks
/// for the agent under kAgentKey and requires this version.
std::string agentIni(const std::string& version = "2.0", const std::string& launcher = "eclipse\\agent.exe");

/// An image with the launcher (qmlaunch.exe unless named otherwise) and
/// its INI file; the tests' registry keys (kTestsKey) in both hives and both
/// views are gone while it lives.
class LauncherImage : public InstallImage {
public:
    explicit LauncherImage(const std::string& ini, std::string launcher = "qmlaunch.exe")
        : launcher_(std::move(launcher)) {
        clearKeys();
        addLauncher(launcher_, ini);
    }
    ~LauncherImage() { clearKeys(); }
    /// Registers the agent folder as "location" under kAgentKey.
    void registerAgent(const std::string& location, Hive hive = Hive::LocalMachine) const {
        setRegistryString(hive, kAgentKey, "location", location);
    }
    RunResult launch(const std::string& arguments) const { return run(launcher_, arguments); }

private:
    static void clearKeys() {
        for (View view : {View::Own, View::SixtyFourBit}) {
            deleteRegistryKey(Hive::LocalMachine, kTestsKey, view);
            deleteRegistryKey(Hive::CurrentUser, kTestsKey, view);
        }
    }
    const std::string launcher_;
};

}  // namespace e2e
