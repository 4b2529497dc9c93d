#include "check/model_machine.h"

#include "discovery/agent_location.h"
#include "discovery/installed_version.h"
#include "launcher/launch_sequence.h"
#include "messages/message_table.h"
#include "messages/messages.h"
#include "platform/path_utils.h"

namespace launcher::check {

namespace {

/// Where the installer leaves an agent that was not installed before.
constexpr const char* kDefaultAgentFolder = "C:\\Program Files\\Quillmark";

class StringFile : public InputFile {
public:
    explicit StringFile(std::string content) : content_(std::move(content)) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = content_.copy(buffer, size, offset_);
        offset_ += count;
        return count;
    }

private:
    std::string content_;
    std::size_t offset_ = 0;
};

class NotedFile : public OutputFile {
public:
    explicit NotedFile(std::string& bytes) : bytes_(bytes) {}
    bool write(const char* data, std::size_t size) override {
        bytes_.append(data, size);
        return true;
    }

private:
    std::string& bytes_;
};

}  // namespace

ModelMachine::ModelMachine(Platform& inner, ChildModel model, const LauncherState& run)
    : ReadOnlyPlatform(inner), model_(std::move(model)), run_(run) {}

// Windows names files in any letter case, with either separator; the
// second byte of a double-byte character is no letter.
std::string ModelMachine::folded(const std::string& path) {
    const CodePage codePage = systemCodePage();
    std::string normal;
    if (normalizePath(codePage, normal, path) != 0) normal = path;
    for (std::size_t i = 0; i < normal.size(); i = codePage.next(normal, i)) {
        if (normal[i] >= 'A' && normal[i] <= 'Z') normal[i] = static_cast<char>(normal[i] - 'A' + 'a');
    }
    return normal;
}

void ModelMachine::addFile(const std::string& path, const std::string& content) { files_[folded(path)] = content; }

PathKind ModelMachine::pathKind(const std::string& path) {
    const std::string name = folded(path);
    if (files_.count(name)) return PathKind::File;
    const auto after = files_.upper_bound(name + "\\");
    if (after != files_.end() && after->first.starts_with(name + "\\")) return PathKind::Directory;
    return ReadOnlyPlatform::pathKind(path);
}

std::unique_ptr<InputFile> ModelMachine::openForReading(const std::string& path) {
    const auto found = files_.find(folded(path));
    std::unique_ptr<InputFile> file =
        found != files_.end() ? std::make_unique<StringFile>(found->second) : ReadOnlyPlatform::openForReading(path);
    opened.emplace_back(path, file != nullptr);
    return file;
}

std::unique_ptr<OutputFile> ModelMachine::openForWriting(const std::string& path) {
    written[path].clear();
    return std::make_unique<NotedFile>(written[path]);
}

RegistryRead ModelMachine::readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                             const std::string& valueName) {
    RegistryRead read;
    const auto found = registry_.find(folded(std::string(registryHiveName(hive)) + "\\" + key + "\\" + valueName));
    if (view == RegistryView::Own && found != registry_.end()) {
        read = {true, true, true, false, found->second};
    } else {
        read = ReadOnlyPlatform::readRegistryValue(hive, view, key, valueName);
    }
    registryReads.push_back({hive, view, key, read.valueFound});
    return read;
}

std::optional<std::u16string> ModelMachine::stringBlock(int blockNumber, std::uint16_t language) {
    return messageTableBlock(blockNumber, language);
}

void ModelMachine::messageBox(const std::u16string& text, const std::u16string& title, BoxIcon) {
    boxes.push_back({utf16ToUtf8(title), utf16ToUtf8(text)});
}

int ModelMachine::runAndWaitProcess(const std::string& program, const std::string& commandLine) {
    return play(program, commandLine, true);
}

bool ModelMachine::startProcess(const std::string& program, const std::string& commandLine) {
    return play(program, commandLine, false) != -1;
}

// A child started before the agent's command is built is the installer.
int ModelMachine::play(const std::string& program, const std::string& commandLine, bool waited) {
    ModelledChild child{.installer = run_.AgentProgram.empty(),
                        .program = program,
                        .commandLine = commandLine,
                        .waited = waited,
                        .registryReadsBefore = registryReads.size()};
    if (child.installer) {
        child.assumed = !model_.installerExit;
        child.exitCode = model_.installerExit.value_or(0);
        // An installer that failed leaves nothing, unless the description says so.
        const bool succeeded =
            child.exitCode == 0 || child.exitCode == kInstalledRestartDue || child.exitCode == kInstalledRestarting;
        if (succeeded || model_.installerVersion) leaveAgent();
    } else {
        // After the codes described, the agent ends with 0: a run that
        // restarts it on 23 always comes to an end.
        child.assumed = model_.agentExits.empty();
        child.exitCode = agentRuns_ < model_.agentExits.size() ? model_.agentExits[agentRuns_] : 0;
        ++agentRuns_;
    }
    children.push_back(child);
    return child.exitCode;
}

// The agent as the INI file expects it: recorded where the launcher looks
// (the registry key in both hives, or the reference file), its config.ini
// and installed.xml, and its programs where LAUNCHER and LAUNCHER_SILENT
// put them: under its folder, or at an absolute path as written.
void ModelMachine::leaveAgent() {
    if (model_.installerVersion == "none") return;
    const CodePage codePage = systemCodePage();
    std::string folder =
        model_.installerLocation.value_or(run_.refLocation.empty() ? kDefaultAgentFolder : run_.refLocation);
    stripTrailingSeparator(codePage, folder);
    const std::string version = model_.installerVersion.value_or(run_.iniManagerVersion);
    left = LeftAgent{folder, version, !model_.installerVersion && !model_.installerLocation};
    addFile(folder + "\\eclipse\\configuration\\config.ini", std::string(kDataLocationKey) + "=" + folder + "\\data\n");
    addFile(folder + "\\data\\installed.xml", "<package " + std::string(kPackageId) + " version='" + version + "'/>\n");
    if (!run_.iniManagerLocationKey.empty()) {
        for (const RegistryHive hive : {RegistryHive::LocalMachine, RegistryHive::CurrentUser}) {
            registry_[folded(std::string(registryHiveName(hive)) + "\\" + run_.iniManagerLocationKey + "\\location")] =
                utf8ToUtf16(systemCodePageToUtf8(folder));
        }
    } else if (!run_.iniManagerLocationFile.empty()) {
        const SpelledPath refFile =
            expandFolderPlaceholders(*this, run_.iniManagerLocationFile, run_.isUserAdmin, run_.launcherDir);
        addFile(refFile.text, "location=" + folder + "\n");
    }
    for (const std::string& program : {run_.iniManagerLauncher, run_.iniManagerLauncherSilent}) {
        if (program.empty()) continue;
        std::string path = program;
        if (isAbsolutePath(*this, program) == 0) (void)normalizePath(codePage, path, folder + "\\" + program);
        // A start finds a program named without extension as its .exe.
        if (codePage.find(filePart(codePage, path), ".") == std::string::npos) path += ".exe";
        addFile(path, std::string());
    }
}

}  // namespace launcher::check
