#include "harness/install_image.h"

#include <windows.h>

#include <cctype>

#include "gtest/gtest.h"
#include "harness/test_programs.h"
#include "harness/text.h"

namespace e2e {

namespace {

constexpr const char* kImagesRoot = "C:\\e2e";

std::string withoutExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
    return path.substr(0, dot);
}

void copyProgram(const std::string& from, const std::string& to) {
    const std::size_t slash = to.find_last_of('\\');
    if (slash != std::string::npos) makeDirectories(to.substr(0, slash));
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << from << " to " << to << ", error " << GetLastError();
    }
}

}  // namespace

void writeStubPlan(const std::string& stubPath, const StubPlan& plan) {
    writeFileBytes(withoutExtension(stubPath) + ".plan", formatStubPlan(plan));
}

std::vector<std::string> recordedCalls(const std::string& stubPath) {
    const std::string callsPath = withoutExtension(stubPath) + ".calls";
    std::vector<std::string> calls;
    if (!pathExists(callsPath)) return calls;
    const std::string content = readFileBytes(callsPath);
    std::size_t start = 0;
    for (std::size_t lf = content.find('\n'); lf != std::string::npos; lf = content.find('\n', start)) {
        calls.push_back(content.substr(start, lf - start));
        start = lf + 1;
    }
    return calls;
}

std::vector<PlannedFile> agentFiles(const std::string& agentDir, const std::string& version) {
    const std::string dataDir = agentDir + "\\data";
    const std::string escaped = dataDir.substr(0, 1) + "\\" + replaceAll(dataDir.substr(1), "\\", "\\\\");
    return {
        {agentDir + "\\eclipse\\configuration\\config.ini",
         "#Configuration File\r\nosgi.install.area=file:/eclipse/\r\ntessa.appDataLocation=" + escaped + "\r\n"},
        {dataDir + "\\installed.xml", "<?xml version='1.0' encoding='UTF-8'?>\r\n<installed>\r\n  <package "
                                      "id='com.norvex.tessa.agent' version='" +
                                          version + "'/>\r\n</installed>\r\n"},
    };
}

std::string currentTestFolderName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info == nullptr ? "outside_test"
                                        : std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-') c = '_';
    }
    return name;
}

InstallImage::InstallImage(const std::string& suffix)
    : dir_(std::string(kImagesRoot) + "\\" + currentTestFolderName() + suffix) {
    removeTree(dir_);
    makeDirectories(dir_);
    if (!pathExists(dir_)) ADD_FAILURE() << "cannot create " << dir_;
}

InstallImage::~InstallImage() {
    if (!::testing::Test::HasFailure()) removeTree(dir_);
}

std::string InstallImage::addLauncher(const std::string& fileName) {
    copyProgram(launcherProgram(), path(fileName));
    return path(fileName);
}

std::string InstallImage::addStub(const std::string& relative) {
    copyProgram(stubProgram(), path(relative));
    return path(relative);
}

void InstallImage::writePlan(const std::string& stubRelative, const StubPlan& plan) {
    writeStubPlan(path(stubRelative), plan);
}

std::vector<std::string> InstallImage::stubCalls(const std::string& stubRelative) const {
    return recordedCalls(path(stubRelative));
}

std::string InstallImage::addAgent(const std::string& relative, const std::string& version) {
    const std::string agentDir = path(relative);
    for (const PlannedFile& file : agentFiles(agentDir, version)) writeFileBytes(file.path, file.content);
    addStub(relative + "\\eclipse\\agent.exe");
    return agentDir;
}

void InstallImage::writeFile(const std::string& relative, const std::string& bytes) {
    writeFileBytes(path(relative), bytes);
}

std::string InstallImage::readFile(const std::string& relative) const { return readFileBytes(path(relative)); }

bool InstallImage::exists(const std::string& relative) const { return pathExists(path(relative)); }

std::vector<std::string> InstallImage::entries() const { return directoryEntries(dir_); }

RunResult InstallImage::run(const std::string& programRelative, const std::string& arguments) const {
    RunSpec spec;
    spec.application = path(programRelative);
    spec.commandLine = "\"" + spec.application + "\"" + (arguments.empty() ? "" : " " + arguments);
    spec.currentDirectory = dir_;
    return runProgram(spec);
}

}  // namespace e2e
