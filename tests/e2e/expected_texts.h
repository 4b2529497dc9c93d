// The texts that users see, per language table, written out here so that the
// tests do not take them from the launcher's own string table. "%s" marks
// where a message's argument goes.
#pragma once

#include <cstdint>
#include <string>

namespace e2e {

/// One language table's texts, UTF-8.
struct LanguageTexts {
    std::uint16_t table;               ///< LANGID of the table
    const char* cannotOpenIni;         ///< message 1
    const char* usageTitle;            ///< message 2004
    const char* usageText;             ///< message 2005
    const char* errorTitle;            ///< message 2006
    const char* agentNotFound;         ///< message 2011
    const char* agentNotFoundExtension;  ///< message 2017
};

/// English texts of messages 2013 and 2015, the installer's failures; the
/// installer cases run in English only. "%s" marks the argument here too
/// (a path, or the installer's exit code as a decimal number).
inline constexpr const char* kEnglishInstallerNotFound =
    "The installer for Quillmark cannot be found.  \nInstaller Location=%s";
inline constexpr const char* kEnglishInstallerFailed =
    "The installer encountered an error when installing Quillmark.  Installation has discontinued. \nReturn Code=%s";

/// Returns the user language of this run: GetUserDefaultLangID(), which
/// must equal E2E_USER_LANGID when the test entry sets it.
std::uint16_t userLanguage();

/// Returns the texts that a user of this language sees: the table of the
/// language, or the one that stands in for it. Fails the test and returns
/// English for a language that no test expects.
const LanguageTexts& textsFor(std::uint16_t language);

/// The English table.
const LanguageTexts& englishTexts();

/// Returns format with its "%s" replaced by argument.
std::string fill(const char* format, const std::string& argument);

}  // namespace e2e
