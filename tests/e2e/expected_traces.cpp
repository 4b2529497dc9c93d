#include "expected_traces.h"

#include "harness/text.h"

namespace e2e {

std::string versionOnlyTrace(const TracedIdentity& identity, const std::string& logFile) {
    // Some lines end in blanks: "Get Installed QM Version: ", the two
    // status lines at the end.
    std::string trace = R"TRACE(
Launcher info
======================================================
launcherFullPath: (<FULLPATH>)
launcherDir: (<DIR>)
launcherFile: (<FILE>)
launcherName: (<NAME>)

INI File info
======================================================
iniInstallerLocation: ()
iniManagerLocationKey: ()
iniManagerLocationFile: ()
iniManagerVersion: (2.0)
iniManagerLauncher: ()
iniManagerLauncherSilent: ()
iniManagerInput: ()
iniMode: ()
iniSilent: ()
iniIsAdmin: ()
iniAppDataLocation: ()
iniNL: ()
iniLicenseAccepted: ()

Commandline Arguments
======================================================
argInputFile: ()
argLogFile: (<LOG>)
argIsSilent: (0)
argIsUserAdmin: (0)
isDebug: (1)
isWait: (0)
argAppDataLocation: ()
argNL: ()
argLicenseAccepted: (0)

Mode
======================================================
isSilent: (0)
isDialogAllowed: (1)
isUserAdmin: (1)
isLicenseAccepted: (0)
appDataLocation: ()
nl: ()
inputFile: ()

Get Installed Agent Info
======================================================
iniManagerLocationKey: ()
iniManagerLocationFile: ()
isAdmin(): (1)
isUserAdmin: (1)
Get Installed QM Version: 
qmLocatoin: ()

Installed Agent Info
======================================================
refVersion: ()
refLocation: ()

Expected Agent Info
======================================================
refVersion: ()
iniManagerVersion: (2.0)
Agent is not installed.  Prepare to install.
Running in INSTALL Mode.  
Agent is not detected on the system. Install cannot continue 
)TRACE";
    trace = replaceAll(trace, "<FULLPATH>", identity.fullPath);
    trace = replaceAll(trace, "<DIR>", identity.dir);
    trace = replaceAll(trace, "<FILE>", identity.file);
    trace = replaceAll(trace, "<NAME>", identity.name);
    trace = replaceAll(trace, "<LOG>", logFile);
    return withCrLf(trace);
}

}  // namespace e2e
