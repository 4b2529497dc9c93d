// The plan that a stub program follows. Tests write it beside a stub copy
// ("<stub without extension>.plan"); the stub reads it on every run.
//
// One instruction a line (LF or CR LF):
//   exit 23 23 0xC0000005                 exit codes of the 1st, 2nd, ... run
//                                         (0x: hexadecimal); the last one repeats
//   sleep 1500                            milliseconds to wait before exiting
//   reg HKCU|Software\Key|name|value      write a string value (HKCU or HKLM)
//   file C:\dir\name.txt|content          write a file (directories created)
// In the value of "reg" and the content of "file", %n stands for a line
// feed, %r for a carriage return and %% for a percent sign; everything
// else, backslashes included, is taken as it is. Without a plan a stub
// exits with 0; with an instruction it cannot follow, it writes that line
// to "<stub without extension>.plan-error" and exits with 0x5707BAD.
#pragma once

#include <string>

namespace e2e {

/// Returns text with line breaks and percent signs escaped for a plan.
std::string escapePlanText(const std::string& text);

/// Returns the escaped text of a plan with its escapes undone.
std::string unescapePlanText(const std::string& text);

/// Returns the plan line that writes a string value (hive "HKCU" or "HKLM").
inline std::string planRegistryValue(const std::string& hive, const std::string& key, const std::string& name,
                                     const std::string& value) {
    return "reg " + hive + "|" + key + "|" + name + "|" + escapePlanText(value) + "\n";
}

/// Returns the plan line that writes a file byte for byte.
inline std::string planFile(const std::string& path, const std::string& content) {
    return "file " + path + "|" + escapePlanText(content) + "\n";
}

}  // namespace e2e
