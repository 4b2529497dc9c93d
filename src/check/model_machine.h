// The machine on which --explain runs the launcher's own launch sequence: it
// reads through another platform and changes nothing there. Files written go
// to memory, message boxes are noted instead of shown, and a child process is
// not started but does what the machine's description says (its ChildModel):
// the installer ends with its exit code and leaves an agent behind, where
// and as the INI file expects it; the agent ends with its exit codes in turn.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/env_platform.h"
#include "check/read_only_platform.h"
#include "launcher/launcher_state.h"

namespace launcher::check {

/// A child that the run started, as the model played it.
struct ModelledChild {
    bool installer = false;  ///< else the agent
    std::string program;
    std::string commandLine;
    bool waited = false;
    int exitCode = 0;                     ///< for a child handed over to: 0, or -1 when it did not start
    bool assumed = false;                 ///< the machine's description did not say
    std::size_t registryReadsBefore = 0;  ///< how many registry reads came before it
};

/// What the installer left behind.
struct LeftAgent {
    std::string folder;
    std::string version;
    bool assumed = false;  ///< as the INI file expects it: the machine's description did not say
};

/// A message box the run would have shown.
struct NotedBox {
    std::string title;  ///< UTF-8
    std::string text;   ///< UTF-8
};

/// One registry read of the run.
struct RegistryReadNote {
    RegistryHive hive;
    RegistryView view;
    std::string key;
    bool valueFound = false;
};

class ModelMachine : public ReadOnlyPlatform {
public:
    /// run is the state that the sequence fills: the model reads from it
    /// what the installer is to leave behind.
    ModelMachine(Platform& inner, ChildModel model, const LauncherState& run);

    /// Lets a file exist, with this content, as if it were on the machine.
    void addFile(const std::string& path, const std::string& content);

    [[nodiscard]] PathKind pathKind(const std::string& path) override;
    [[nodiscard]] std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    [[nodiscard]] std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    [[nodiscard]] RegistryRead readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                                 const std::string& valueName) override;
    /// The launcher's own message table, which launcher-check does not carry as resources.
    [[nodiscard]] std::optional<std::u16string> stringBlock(int blockNumber, std::uint16_t language) override;
    void messageBox(const std::u16string& text, const std::u16string& title, BoxIcon icon) override;
    [[nodiscard]] int runAndWaitProcess(const std::string& program, const std::string& commandLine) override;
    [[nodiscard]] bool startProcess(const std::string& program, const std::string& commandLine) override;

    std::vector<std::pair<std::string, bool>> opened;  ///< every file opened for reading, and whether it opened
    std::vector<RegistryReadNote> registryReads;
    std::vector<ModelledChild> children;
    std::vector<NotedBox> boxes;
    std::map<std::string, std::string> written;  ///< path to the bytes written
    std::optional<LeftAgent> left;               ///< what the installer left, if it ran and left anything

private:
    [[nodiscard]] int play(const std::string& program, const std::string& commandLine, bool waited);
    void leaveAgent();
    [[nodiscard]] std::string folded(const std::string& path);

    ChildModel model_;
    const LauncherState& run_;
    std::size_t agentRuns_ = 0;
    std::map<std::string, std::string> files_;        ///< folded path to content
    std::map<std::string, std::u16string> registry_;  ///< folded "hive\key\value" to data
};

}  // namespace launcher::check
