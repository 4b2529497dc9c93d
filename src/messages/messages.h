// Localized messages: lookup in the executable's string table by id in the
// user's language, formatting with one argument, and the message box.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace launcher {

/// Message ids of the string table.
enum MessageId : int {
    kMsgCannotOpenIni = 1,
    kMsgUsageTitle = 2004,
    kMsgUsageText = 2005,
    kMsgErrorTitle = 2006,
    kMsgAgentNotFound = 2011,
    kMsgInstallerNotFound = 2013,
    kMsgInstallerFailed = 2015,
    kMsgAgentNotFoundExtension = 2017,
};

/// Box kinds: 3 is the error box, any other kind an information box.
inline constexpr int kBoxInformation = 1;
inline constexpr int kBoxError = 3;

/// Returns the language whose table stands in for a language that has none:
/// the table of the same primary language, else English (1033).
std::uint16_t fallbackLanguage(std::uint16_t language);

/// Returns message id as UTF-8 from the table of the user's language, or of
/// its stand-in; empty when no table has it. Messages are never cut.
std::string loadMessage(Platform& platform, int id);

/// Returns format with its one conversion (%s) replaced by argument, which
/// is text in the system code page; "%%" gives "%".
std::string formatMessage(Platform& platform, const std::string& format, const std::string& argument);

/// Returns format with its one conversion (%d) replaced by number.
std::string formatMessage(const std::string& format, long number);

/// Shows text and title (UTF-8) whole, with the error icon for kind 3 and
/// the information icon otherwise.
void showMessageBox(Platform& platform, const std::string& text, const std::string& title, int kind);

/// Returns UTF-16 units as UTF-8; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(const std::u16string& text);

/// Returns UTF-8 as UTF-16 units; malformed bytes become U+FFFD.
std::u16string utf8ToUtf16(const std::string& text);

}  // namespace launcher
