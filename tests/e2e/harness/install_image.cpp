#include "e2e.h"

#include <windows.h>

#include <cctype>

namespace e2e {

namespace {

void copyProgram(const std::string& from, const std::string& to) {
    makeDirectories(to.substr(0, to.find_last_of('\\')));
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << from << " to " << to << ", error " << GetLastError();
    }
}

}  // namespace

std::string buildFile(const std::string& name) {
    char buffer[MAX_PATH * 4] = {};
    const std::string self(buffer, GetModuleFileNameA(nullptr, buffer, sizeof(buffer)));
    return self.substr(0, self.find_last_of('\\')) + "\\" + name;
}

std::string readFileBytes(const std::string& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) ADD_FAILURE() << "cannot read " << path;
    return bytes;
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    if (!writeWholeFile(path, bytes)) ADD_FAILURE() << "cannot write " << path;
}

void writeStubPlan(const std::string& stubPath, const std::string& plan) {
    if (!plan.empty()) writeFileBytes(withoutExtension(stubPath) + ".plan", plan);
}

std::vector<std::string> recordedCalls(const std::string& stubPath) {
    std::string content;
    std::vector<std::string> calls;
    if (!readWholeFile(withoutExtension(stubPath) + ".calls", content)) return calls;
    std::size_t start = 0;
    for (std::size_t lf = content.find('\n'); lf != std::string::npos; start = lf + 1, lf = content.find('\n', start)) {
        calls.push_back(content.substr(start, lf - start));
    }
    return calls;
}

std::vector<PlannedFile> agentFiles(const std::string& agentDir, const std::string& version) {
    const std::string dataDir = agentDir + "\\data";
    const std::string escaped = dataDir.substr(0, 1) + "\\" + doubleBackslashes(dataDir.substr(1));
    return {
        {agentDir + "\\eclipse\\configuration\\config.ini",
         "#Configuration File\r\nosgi.install.area=file:/eclipse/\r\ntessa.appDataLocation=" + escaped + "\r\n"},
        {dataDir + "\\installed.xml",
         "<?xml version='1.0' encoding='UTF-8'?>\r\n<installed>\r\n  <package "
         "id='com.norvex.tessa.agent' version='" +
             version + "'/>\r\n</installed>\r\n"},
    };
}

std::string installPlan(const std::string& agentDir, const std::string& version) {
    std::string plan = planRegistryValue("HKLM", kAgentKey, "location", agentDir);
    for (const PlannedFile& file : agentFiles(agentDir, version)) plan += planFile(file.path, file.content);
    return plan;
}

InstallImage::InstallImage(const std::string& suffix) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info == nullptr ? "outside_test" : std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-') c = '_';
    }
    dir_ = "C:\\e2e\\" + name + suffix;
    removeTree(dir_);
    makeDirectories(dir_);
    if (!pathExists(dir_)) ADD_FAILURE() << "cannot create " << dir_;
}

InstallImage::~InstallImage() {
    if (!::testing::Test::HasFailure()) removeTree(dir_);
}

std::string InstallImage::addLauncher(const std::string& fileName, const std::string& ini) {
    copyProgram(buildFile("launcher.exe"), path(fileName));
    if (!ini.empty()) writeFile(withoutExtension(fileName) + ".ini", ini);
    return path(fileName);
}

void InstallImage::addStub(const std::string& relative, const std::string& plan) {
    copyProgram(buildFile("stub_program.exe"), path(relative));
    writeStubPlan(path(relative), plan);
}

std::string InstallImage::addAgent(const std::string& relative, const std::string& version) {
    for (const PlannedFile& file : agentFiles(path(relative), version)) writeFileBytes(file.path, file.content);
    addStub(relative + "\\eclipse\\agent.exe");
    return path(relative);
}

RunResult InstallImage::run(const std::string& programRelative, const std::string& arguments) const {
    return runProgram({.application = path(programRelative),
                       .commandLine = "\"" + path(programRelative) + "\"" + (arguments.empty() ? "" : " " + arguments),
                       .currentDirectory = dir_});
}

}  // namespace e2e
