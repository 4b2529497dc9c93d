// The launcher's message table as its resources hold it, for programs that
// show the launcher's messages without carrying its resources: the string
// blocks that the resource compiler makes from res/messages.inc.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace launcher {

/// Returns the RT_STRING block of this number in exactly this language, as
/// the launcher's executable holds it, or nothing when it has none.
[[nodiscard]] std::optional<std::u16string> messageTableBlock(int blockNumber, std::uint16_t language);

}  // namespace launcher
