// The trace that -log writes, byte for byte.
#include "expected_traces.h"
#include "gtest/gtest.h"
#include "harness/install_image.h"
#include "harness/registry.h"
#include "harness/text.h"

namespace e2e {
namespace {

// An INI file that sets every key, some of them twice (the last one wins),
// with a comment, and a reference file that must not be read while a
// registry key is named.
const char* const kEveryKeyIni =
    "; every key of every section\r\n"
    "[INSTALLER]\r\n"
    "LOCATION=setup.exe\r\n"
    "ARG=/quiet\r\n"
    "ARG=INSTALLDIR=\"C:\\Program Files\\Quillmark\"\r\n"
    "LICENSEACCEPTED=yes\r\n"
    "LOCATION=\r\n"
    "[MANAGER]\r\n"
    "LOCATION_KEY=Software\\QuillmarkE2E\\Agent\r\n"
    "LOCATION_FILE=<CURRDIR>agent.properties\r\n"
    "VERSION=2.5.0\r\n"
    "LAUNCHER=eclipse\\agent.exe\r\n"
    "LAUNCHER_SILENT=eclipse\\agentc.exe\r\n"
    "INPUT_FILE=input\\default.xml\r\n"
    "MODE= EXTENSION \r\n"
    "ARG=-vmargs\r\n"
    "ARG=-Xmx512m\r\n"
    "[COMMON]\r\n"
    "SILENT=no\r\n"
    "ISADMIN=false\r\n"
    "APPDATALOCATION=C:\\ProgramData\\Quillmark\r\n"
    "NL=de_DE\r\n";

// Every option of the command line. -silent wins over SILENT=no, so no box
// comes up; -isAdmin wins over ISADMIN=false, so the machine's hive is read.
const char* const kEveryOption =
    "-input data/in.xml -appDataLocation \"D:\\qm data\" -nl fr_FR -log trace.log -silent -wait -isAdmin "
    "-licenseAccepted -installerArgs /L1036 \"PROP=a b\" -managerArgs -consoleLog *.xml";

// "<DIR>" is the image folder. Some lines end in blanks.
const char* const kEveryFieldTrace = R"TRACE(
Launcher info
======================================================
launcherFullPath: (<DIR>\qmlaunch.exe)
launcherDir: (<DIR>\)
launcherFile: (qmlaunch.exe)
launcherName: (qmlaunch)

INI File info
======================================================
iniInstallerLocation: ()
iniManagerLocationKey: (Software\QuillmarkE2E\Agent)
iniManagerLocationFile: (<CURRDIR>agent.properties)
iniManagerVersion: (2.5.0)
iniManagerLauncher: (eclipse\agent.exe)
iniManagerLauncherSilent: (eclipse\agentc.exe)
iniManagerInput: (input\default.xml)
iniMode: ( EXTENSION )
iniSilent: (no)
iniIsAdmin: (false)
iniAppDataLocation: (C:\ProgramData\Quillmark)
iniNL: (de_DE)
iniLicenseAccepted: (yes)
iniInstallerArgs[0]: (/quiet)
iniInstallerArgs[1]: (INSTALLDIR="C:\Program Files\Quillmark")
iniManagerArgs[0]: (-vmargs)
iniManagerArgs[1]: (-Xmx512m)

Commandline Arguments
======================================================
argInputFile: (data/in.xml)
argLogFile: (trace.log)
argIsSilent: (1)
argIsUserAdmin: (1)
isDebug: (1)
isWait: (1)
argAppDataLocation: (D:\qm data)
argNL: (fr_FR)
argLicenseAccepted: (1)
argInstallerArgs[0]: (/L1036)
argInstallerArgs[1]: (PROP=a b)
argManagerArgs[0]: (-consoleLog)
argManagerArgs[1]: (*.xml)

Mode
======================================================
isSilent: (1)
isDialogAllowed: (0)
isUserAdmin: (1)
isLicenseAccepted: (1)
appDataLocation: (D:\qm data)
nl: (fr_FR)
inputFile: (<DIR>\data\in.xml)

Get Installed Agent Info
======================================================
iniManagerLocationKey: (Software\QuillmarkE2E\Agent)
iniManagerLocationFile: (<CURRDIR>agent.properties)
isAdmin(): (1)
isUserAdmin: (1)
Get current agent location from Registry: 
iniManagerLocationKey: (Software\QuillmarkE2E\Agent)
Get Installed QM Version: 
qmLocatoin: ()

Installed Agent Info
======================================================
refVersion: ()
refLocation: ()

Expected Agent Info
======================================================
refVersion: ()
iniManagerVersion: (2.5.0)
Agent is not installed.  Prepare to install.
Running in EXTENSION Mode.  
Agent is not detected on the system. Install cannot continue. 
)TRACE";

TEST(Trace, EveryFieldOfARunThatFindsNoInstaller) {
    const ScratchRegistryKey machineKey(Hive::LocalMachine, "Software\\QuillmarkE2E");
    const ScratchRegistryKey userKey(Hive::CurrentUser, "Software\\QuillmarkE2E");
    InstallImage image;
    image.addLauncher("qmlaunch.exe");
    image.writeFile("qmlaunch.ini", kEveryKeyIni);
    image.addStub("setup.exe");
    // Read, this file would lead to an agent; it must not be read.
    image.writeFile("agent.properties", "location=" + replaceAll(image.path("agent"), "\\", "\\\\") + "\r\n");
    image.writeFile("agent\\eclipse\\configuration\\config.ini", "tessa.appDataLocation=" +
                                                                      replaceAll(image.path("data"), "\\", "/") + "\r\n");
    image.writeFile("data\\installed.xml", "<package id='com.norvex.tessa.agent' version='9.0.0'/>\r\n");
    image.writeFile("a.xml", "<a/>\r\n");
    image.writeFile("b.xml", "<b/>\r\n");

    const RunResult result = image.run("qmlaunch.exe", kEveryOption);

    EXPECT_EQ(image.readFile("trace.log"), withCrLf(replaceAll(kEveryFieldTrace, "<DIR>", image.dir())));
    EXPECT_EQ(result.boxes, std::vector<SeenBox>{});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(image.stubCalls("setup.exe"), std::vector<std::string>{});
}

// -log names a file that exists: its old content goes, all of it.
TEST(Trace, ReplacesAnExistingFile) {
    InstallImage image;
    image.addLauncher("qmlaunch.exe");
    image.writeFile("qmlaunch.ini", kVersionOnlyIni);
    std::string old;
    for (int i = 0; i < 200; ++i) old += "an older and longer trace line\r\n";
    image.writeFile("trace.log", old);

    const RunResult result = image.run("qmlaunch.exe", "-log trace.log");

    const TracedIdentity identity{image.path("qmlaunch.exe"), image.dir() + "\\", "qmlaunch.exe", "qmlaunch"};
    EXPECT_EQ(image.readFile("trace.log"), versionOnlyTrace(identity, "trace.log"));
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
}  // namespace e2e
