#include "commands/launch_commands.h"
#include "commands/quoting.h"
#include "config/text_rules.h"
#include "platform/path_utils.h"

namespace launcher {

namespace {

// The command line's list wins whenever it holds anything; lists never merge.
const std::vector<std::string>& chosenArguments(const std::vector<std::string>& fromCommandLine,
                                                const std::vector<std::string>& fromIni) {
    return fromCommandLine.empty() ? fromIni : fromCommandLine;
}

std::string underDirectory(const CodePage& codePage, const std::string& directory, const std::string& relative) {
    std::string normalized;
    // A path that climbs above its first part stays as joined: the start
    // of a program that does not exist then fails as any other.
    (void)normalizePath(codePage, normalized, directory + '\\' + relative);
    return normalized;
}

std::string appDataProperty(const std::string& location) { return "APPDATALOCATION=\"" + location + "\""; }

}  // namespace

// The dot is never the second byte of a character, so bytes decide here.
bool isMsiPackage(const std::string& path) { return path.size() >= 5 && path.ends_with(".msi"); }

bool isJavaRuntime(const CodePage& codePage, const std::string& path) {
    return codePage.endsWith(path, "java") || codePage.endsWith(path, "javaw") || codePage.endsWith(path, "java.exe") ||
           codePage.endsWith(path, "javaw.exe");
}

void buildInstallerCommand(const CodePage& codePage, const InstallerSettings& settings, LaunchCommands& commands) {
    commands.InstallerProgram = underDirectory(codePage, settings.launcherDir, settings.iniInstallerLocation);
    ArgVector& arguments = commands.installerArglist;
    arguments.assign(1, '"' + commands.InstallerProgram + '"');

    std::vector<std::string> properties;
    if (settings.isSilent) {
        arguments.push_back("/S");
        properties.push_back("/qn");
    }
    if (!settings.nl.empty()) arguments.push_back(std::string("/L") + lcidForLocale(settings.nl));
    for (const std::string& argument : chosenArguments(settings.argInstallerArgs, settings.iniInstallerArgs)) {
        properties.push_back(quoteArg(argument));
    }
    properties.push_back("STANDALONE=false");
    if (!settings.appDataLocation.empty()) properties.push_back(appDataProperty(settings.appDataLocation));

    // All properties travel inside one quoted "/v" element.
    std::string element = "/v\"";
    for (std::size_t i = 0; i < properties.size(); ++i) {
        if (i > 0) element += ' ';
        element += escapeQuotes(properties[i]);
    }
    element += '"';
    arguments.push_back(element);
}

void buildMsiCommand(Platform& platform, const InstallerSettings& settings, LaunchCommands& commands) {
    // msiexec.exe comes from the system directory only: a copy planted in
    // the image's folder or on PATH must never run, possibly elevated.
    const CodePage codePage = platform.systemCodePage();
    const std::string systemDirectory = platform.systemDirectory();
    commands.InstallerProgram =
        systemDirectory.empty() ? std::string() : underDirectory(codePage, systemDirectory, "msiexec.exe");
    commands.installerImage = underDirectory(codePage, settings.launcherDir, settings.iniInstallerLocation);

    ArgVector& arguments = commands.installerArglist;
    arguments = {commands.InstallerProgram, "/i", '"' + commands.installerImage + '"'};
    if (settings.isSilent) arguments.push_back("/q");
    for (const std::string& argument : chosenArguments(settings.argInstallerArgs, settings.iniInstallerArgs)) {
        arguments.push_back(wrapIfBlank(argument));
    }
    arguments.push_back("STANDALONE=false");
    if (!settings.appDataLocation.empty()) arguments.push_back(appDataProperty(settings.appDataLocation));
}

void buildAgentCommand(const CodePage& codePage, const AgentSettings& settings, LaunchCommands& commands) {
    const std::string& chosen = (settings.isSilent && !settings.iniManagerLauncherSilent.empty())
                                    ? settings.iniManagerLauncherSilent
                                    : settings.iniManagerLauncher;
    commands.AgentProgram = underDirectory(codePage, settings.refLocation, chosen);
    ArgVector& arguments = commands.agentArglist;
    arguments.assign(1, '"' + commands.AgentProgram + '"');

    if (isJavaRuntime(codePage, commands.AgentProgram)) {
        arguments.push_back("-jar");
        arguments.push_back(quoteArg(underDirectory(codePage, settings.refLocation, "eclipse\\startup.jar")));
    }
    if (settings.isSilent) {
        arguments.push_back("-silent");
        arguments.push_back("-nosplash");
    }
    // Only an explicit request counts, not the user's group membership.
    if (settings.argIsUserAdmin == 1 || isTrueWord(settings.iniIsAdmin)) arguments.push_back("-isAdmin");
    if (!settings.inputFile.empty()) {
        arguments.push_back("-input");
        arguments.push_back(quoteArg(settings.inputFile));
    }
    if (!settings.appDataLocation.empty()) {
        std::string location = settings.appDataLocation;
        stripTrailingSeparator(codePage, location);
        arguments.push_back("-dataLocation");
        arguments.push_back(quoteArg(location));
    }
    if (!settings.nl.empty()) {
        arguments.push_back("-nl");
        arguments.push_back(settings.nl);
    }
    for (const std::string& argument : chosenArguments(settings.argManagerArgs, settings.iniManagerArgs)) {
        arguments.push_back(wrapIfBlank(argument));
    }
}

}  // namespace launcher
