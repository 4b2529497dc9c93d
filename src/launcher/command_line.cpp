#include "launcher/command_line.h"

#include "messages/messages.h"

namespace launcher {

namespace {

// The parser's state while it walks the arguments; it never goes back to
// NONE once a list option has been seen.
enum class CollectMode { NONE, INSTALLER_ARGS, MANAGER_ARGS };

enum class OptionKind { Help, Value, Flag, List };

// Every option, compared exactly and case-sensitively with the whole
// argument. A value option writes its text field (and -log also isDebug),
// a flag option its flag, a list option selects the list.
struct Option {
    const char* name;
    OptionKind kind;
    std::string CommandLineValues::*text = nullptr;
    int CommandLineValues::*flag = nullptr;
    CollectMode collect = CollectMode::NONE;
    bool isPath = false;  ///< the value names a file or folder
};

const Option kOptions[] = {
    {"-help", OptionKind::Help},
    {"-?", OptionKind::Help},
    {"/help", OptionKind::Help},
    {"/?", OptionKind::Help},
    {"-input", OptionKind::Value, &CommandLineValues::argInputFile, nullptr, CollectMode::NONE, true},
    {"-appDataLocation", OptionKind::Value, &CommandLineValues::argAppDataLocation, nullptr, CollectMode::NONE, true},
    {"-nl", OptionKind::Value, &CommandLineValues::argNL},
    {"-silent", OptionKind::Flag, nullptr, &CommandLineValues::argIsSilent},
    {"-wait", OptionKind::Flag, nullptr, &CommandLineValues::isWait},
    {"-isAdmin", OptionKind::Flag, nullptr, &CommandLineValues::argIsUserAdmin},
    {"-licenseAccepted", OptionKind::Flag, nullptr, &CommandLineValues::argLicenseAccepted},
    {"-installerArgs", OptionKind::List, nullptr, nullptr, CollectMode::INSTALLER_ARGS},
    {"-managerArgs", OptionKind::List, nullptr, nullptr, CollectMode::MANAGER_ARGS},
    {"-log", OptionKind::Value, &CommandLineValues::argLogFile, &CommandLineValues::isDebug, CollectMode::NONE, true},
};

const Option* findOption(const std::string& argument) {
    for (const Option& option : kOptions) {
        if (argument == option.name) return &option;
    }
    return nullptr;
}

}  // namespace

std::vector<CommandArgument> commandArguments(Platform& platform, const std::vector<std::u16string>& arguments) {
    std::vector<CommandArgument> converted;
    for (const std::u16string& argument : arguments) {
        std::string text = platform.toSystemCodePage(argument, true).text;
        // Only the program and the value of a path option are spelled as
        // paths: a short name is asked of the file system, and an argument
        // for the agent such as \\server\共享 must not make the launcher wait
        // on the network.
        const Option* previous = converted.empty() ? nullptr : findOption(converted.back().text);
        const bool path = converted.empty() || (previous != nullptr && previous->isPath);
        converted.emplace_back(text, path ? spellPath(platform, argument) : SpelledPath{text});
    }
    return converted;
}

namespace {

// Collecting: only the two list words are recognised any more; anything
// else joins the list, passed on as Windows spelled it.
void collect(const CommandArgument& argument, const Option* option, CollectMode& mode, CommandLineValues& values) {
    if (option != nullptr && option->kind == OptionKind::List) {
        mode = option->collect;
    } else if (mode == CollectMode::INSTALLER_ARGS) {
        values.argInstallerArgs.push_back(argument.text);
    } else {
        values.argManagerArgs.push_back(argument.text);
    }
}

// A value option takes the argument after it, whatever it looks like; an
// option that names a file or folder takes it as a path.
void takeValue(const Option& option, const CommandArgument& value, CommandLineValues& values) {
    if (option.isPath) {
        values.*(option.text) = value.path.text;
        if (!value.path.named) values.pathsWithoutShortForm.push_back(value.path.text);
    } else {
        values.*(option.text) = value.text;
    }
    if (option.flag != nullptr) values.*(option.flag) = 1;
}

}  // namespace

ParseResult parseCommandLine(const std::vector<CommandArgument>& arguments, CommandLineValues& values) {
    CollectMode mode = CollectMode::NONE;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const Option* option = findOption(arguments[i].text);
        if (mode != CollectMode::NONE) {
            collect(arguments[i], option, mode, values);
            continue;
        }
        if (option == nullptr) continue;
        switch (option->kind) {
        case OptionKind::Help:
            return ParseResult::HelpRequested;
        case OptionKind::Value:
            // An option at the very end is ignored entirely.
            if (i + 1 < arguments.size()) takeValue(*option, arguments[++i], values);
            break;
        case OptionKind::Flag:
            values.*(option->flag) = 1;
            break;
        case OptionKind::List:
            mode = option->collect;
        }
    }
    return ParseResult::Continue;
}

void showUsage(Platform& platform, const std::string& launcherName) {
    const std::string title = loadMessage(platform, kMsgUsageTitle);
    const std::string format = loadMessage(platform, kMsgUsageText);
    showMessageBox(platform, formatMessage(platform, format, launcherName), title, BoxIcon::Information);
}

}  // namespace launcher
