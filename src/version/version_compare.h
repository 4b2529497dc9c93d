// The order of version strings major.minor.micro.qualifier: three numbers
// compared as numbers, then the qualifier as text, where "beta" sorts below
// every other qualifier, the empty one included.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace launcher {

/// A version string taken apart; parts it does not reach are 0 or empty.
struct VersionParts {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t micro = 0;
    std::string_view qualifier;   ///< everything after the third dot
    std::string_view written[3];  ///< the three number parts as written
    int partsWritten = 0;         ///< how many of the three the text has
};

/// Returns the parts of text; never fails. The qualifier points into text.
[[nodiscard]] VersionParts splitVersion(std::string_view text);

/// Returns the number at the start of text: white space, one optional sign,
/// then digits; 0 without digits. Values beyond 32 bits are clamped to the
/// nearest 32-bit value.
[[nodiscard]] std::int32_t parseVersionNumber(std::string_view text);

/// Returns -1, 0 or +1 as installed is older than, equal to or newer than
/// required.
[[nodiscard]] int compareVersions(std::string_view installed, std::string_view required);

}  // namespace launcher
