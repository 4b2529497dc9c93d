// A temporary installation image: a fresh folder per test under C:\e2e,
// holding a copy of the launcher under a chosen name, its INI file and any
// other files, and stub programs that record how they were started.
#pragma once

#include <string>
#include <vector>

#include "harness/launcher_run.h"
#include "harness/stub_plan.h"

namespace e2e {

/// Returns the current test's full name, made fit for a folder name.
std::string currentTestFolderName();

/// Writes the plan that the stub copy at stubPath follows.
void writeStubPlan(const std::string& stubPath, const StubPlan& plan);

/// Returns the raw command lines with which the stub copy at stubPath was
/// started, in order; empty when it never ran.
std::vector<std::string> recordedCalls(const std::string& stubPath);

/// Returns the files that make agentDir an installed agent of this version,
/// as its installer lays them down: eclipse\configuration\config.ini naming
/// agentDir\data in the agent's escaped form (drive colon after a backslash,
/// every backslash doubled), and data\installed.xml.
std::vector<PlannedFile> agentFiles(const std::string& agentDir, const std::string& version);

/// A fresh folder for one test. It is removed when the test passed and kept
/// for a look when it failed.
class InstallImage {
public:
    /// Creates C:\e2e\<test name><suffix>, emptied first.
    explicit InstallImage(const std::string& suffix = std::string());
    ~InstallImage();
    InstallImage(const InstallImage&) = delete;
    InstallImage& operator=(const InstallImage&) = delete;

    /// Returns the folder, without a trailing backslash.
    const std::string& dir() const { return dir_; }

    /// Returns the full path of a name relative to the folder.
    std::string path(const std::string& relative) const { return dir_ + "\\" + relative; }

    /// Copies the launcher under test in as fileName; returns its path.
    std::string addLauncher(const std::string& fileName = "launcher.exe");

    /// Copies the stub program in under a relative name; returns its path.
    std::string addStub(const std::string& relative);

    /// Writes the plan that the stub of that relative name follows.
    void writePlan(const std::string& stubRelative, const StubPlan& plan);

    /// Returns the raw command lines with which the stub was started, in
    /// order; empty when it never ran.
    std::vector<std::string> stubCalls(const std::string& stubRelative) const;

    /// Lays down an installed agent of this version in the relative folder:
    /// agentFiles() and the stub as eclipse\agent.exe. Returns its full path.
    std::string addAgent(const std::string& relative, const std::string& version);

    /// Writes a file byte for byte, creating missing folders.
    void writeFile(const std::string& relative, const std::string& bytes);

    /// Returns a file's bytes; fails the test when it cannot be read.
    std::string readFile(const std::string& relative) const;

    /// Returns whether the file or folder exists.
    bool exists(const std::string& relative) const;

    /// Returns the names in the top folder, sorted.
    std::vector<std::string> entries() const;

    /// Runs a program of the image with the command line
    /// "<quoted full path> <arguments>" and the image as current directory.
    RunResult run(const std::string& programRelative, const std::string& arguments = std::string()) const;

private:
    std::string dir_;
};

}  // namespace e2e
