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

/// Returns message id as UTF-8 from the table of the user's language, or of
/// the table that stands in for it (the same primary language, else
/// English); empty when no table has it. Messages are never cut.
[[nodiscard]] std::string loadMessage(Platform& platform, MessageId id);

/// Returns format with its one conversion (%s) replaced by argument, which
/// is text in the system code page; "%%" gives "%".
[[nodiscard]] std::string formatMessage(Platform& platform, const std::string& format, const std::string& argument);

/// Returns format with its one conversion (%d) replaced by number.
[[nodiscard]] std::string formatMessage(const std::string& format, long number);

/// Shows text and title (UTF-8) whole, with the icon given.
void showMessageBox(Platform& platform, const std::string& text, const std::string& title, BoxIcon icon);

/// Returns UTF-16 units as UTF-8; unpaired surrogates become U+FFFD.
[[nodiscard]] std::string utf16ToUtf8(const std::u16string& text);

/// Returns UTF-8 as UTF-16 units; malformed bytes become U+FFFD.
[[nodiscard]] std::u16string utf8ToUtf16(const std::string& text);

}  // namespace launcher
