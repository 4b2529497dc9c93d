// Where the programs under test and the helper programs are: the build puts
// them all beside e2e_tests.exe.
#pragma once

#include <string>

namespace e2e {

/// Returns the folder of e2e_tests.exe, without a trailing backslash.
std::string buildDirectory();

/// Returns the path of the launcher under test.
std::string launcherProgram();

/// Returns the path of the stub program.
std::string stubProgram();

/// Returns the path of the unhardened message box program.
std::string plainBoxProgram();

/// Returns the path of the DLL that reports being loaded.
std::string plantedDll();

/// Returns the path of the test agent's MSI package (built with wixl).
std::string agentPackage();

/// Returns the path of a file of tests/e2e/expected, which the build copies
/// beside e2e_tests.exe.
std::string expectedFile(const std::string& name);

}  // namespace e2e
