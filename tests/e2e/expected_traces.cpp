#include "expected_traces.h"

#include <algorithm>

#include "harness/test_programs.h"
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

std::string withTokens(std::string text, const TraceTokens& tokens) {
    for (const auto& [token, value] : tokens) text = replaceAll(text, token, value);
    return text;
}

std::string goldenTrace(const std::string& name, const TraceTokens& tokens) {
    return withCrLf(withTokens(readFileBytes(expectedFile(name)), tokens));
}

::testing::AssertionResult traceEndsWith(const std::string& trace, const std::string& expectedEnd,
                                         const TraceTokens& tokens) {
    const std::string end = withCrLf(withTokens(expectedEnd, tokens));
    if (trace.size() >= end.size() && trace.compare(trace.size() - end.size(), end.size(), end) == 0) {
        return ::testing::AssertionSuccess();
    }
    const std::size_t shown = std::min(trace.size(), end.size() + 200);
    return ::testing::AssertionFailure() << "the trace ends with\n"
                                         << trace.substr(trace.size() - shown) << "\nand not with\n"
                                         << end;
}

}  // namespace e2e
