// Helpers shared by the fuzz targets: taking an input apart into pieces,
// a fresh in-memory platform per input, and property checks that stop the
// run with a readable report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "memory_platform.h"

namespace launcher::fuzzing {

/// The longest piece of a line that one read delivers: 254 characters, a
/// fixed fact of the file formats. Written out here rather than taken from
/// the reader, so that a change to the reader's own constant is caught.
inline constexpr std::size_t kPieceLength = 254;

/// Returns the input as text.
inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

/// Returns the pieces of text between separators; with maxPieces, the last
/// piece keeps the rest of the text, separators included.
std::vector<std::string_view> splitAt(std::string_view text, char separator, std::size_t maxPieces = SIZE_MAX);

/// Returns an in-memory platform with nothing in it: no files, no registry,
/// no message table, nothing recorded.
launcher::testing::MemoryPlatform freshPlatform();

/// Reports a failed property with the values involved and aborts, so that
/// libFuzzer saves the input.
[[noreturn]] void propertyFailed(const char* property, const char* file, int line,
                                 std::initializer_list<std::string_view> values);

/// Returns text with every byte outside printable ASCII written as \xNN.
std::string printable(std::string_view text);

}  // namespace launcher::fuzzing

/// Checks a property; on failure prints it and the given values, then aborts.
#define FUZZ_CHECK(condition, ...)                                                                  \
    do {                                                                                            \
        if (!(condition)) ::launcher::fuzzing::propertyFailed(#condition, __FILE__, __LINE__, {__VA_ARGS__}); \
    } while (false)
