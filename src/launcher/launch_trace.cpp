#include "launcher/launch_trace.h"

namespace launcher {

void writeStartBlocks(TraceFile& trace, const LauncherState& state) {
    trace.block("Launcher info");
    trace.value("launcherFullPath", state.launcherFullPath);
    trace.value("launcherDir", state.launcherDir);
    trace.value("launcherFile", state.launcherFile);
    trace.value("launcherName", state.launcherName);

    trace.block("INI File info");
    trace.value("iniInstallerLocation", state.iniInstallerLocation);
    trace.value("iniManagerLocationKey", state.iniManagerLocationKey);
    trace.value("iniManagerLocationFile", state.iniManagerLocationFile);
    trace.value("iniManagerVersion", state.iniManagerVersion);
    trace.value("iniManagerLauncher", state.iniManagerLauncher);
    trace.value("iniManagerLauncherSilent", state.iniManagerLauncherSilent);
    trace.value("iniManagerInput", state.iniManagerInput);
    trace.value("iniMode", state.iniMode);
    trace.value("iniSilent", state.iniSilent);
    trace.value("iniIsAdmin", state.iniIsAdmin);
    trace.value("iniAppDataLocation", state.iniAppDataLocation);
    trace.value("iniNL", state.iniNL);
    trace.value("iniLicenseAccepted", state.iniLicenseAccepted);
    trace.list("iniInstallerArgs", state.iniInstallerArgs);
    trace.list("iniManagerArgs", state.iniManagerArgs);

    trace.block("Commandline Arguments");
    trace.value("argInputFile", state.argInputFile);
    trace.value("argLogFile", state.argLogFile);
    trace.value("argIsSilent", state.argIsSilent);
    trace.value("argIsUserAdmin", state.argIsUserAdmin);
    trace.value("isDebug", state.isDebug);
    trace.value("isWait", state.isWait);
    trace.value("argAppDataLocation", state.argAppDataLocation);
    trace.value("argNL", state.argNL);
    trace.value("argLicenseAccepted", state.argLicenseAccepted);
    trace.list("argInstallerArgs", state.argInstallerArgs);
    trace.list("argManagerArgs", state.argManagerArgs);
}

void writeModeBlock(TraceFile& trace, const LauncherState& state) {
    trace.block("Mode");
    trace.value("isSilent", state.isSilent);
    trace.value("isDialogAllowed", state.isDialogAllowed);
    trace.value("isUserAdmin", state.isUserAdmin);
    trace.value("isLicenseAccepted", state.isLicenseAccepted);
    trace.value("appDataLocation", state.appDataLocation);
    trace.value("nl", state.nl);
    trace.value("inputFile", state.inputFile);
}

void writeAgentInfoBlocks(TraceFile& trace, const LauncherState& state, std::string_view title) {
    trace.block(title);
    trace.value("refVersion", state.refVersion);
    trace.value("refLocation", state.refLocation);
    trace.block("Expected Agent Info");
    trace.value("refVersion", state.refVersion);
    trace.value("iniManagerVersion", state.iniManagerVersion);
}

}  // namespace launcher
