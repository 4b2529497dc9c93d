// Helpers shared by the fuzz targets: the entry point, taking an input apart
// into pieces, a fresh in-memory platform per input, and property checks
// that stop the run with a readable report.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "memory_platform.h"

namespace launcher::fuzzing {

/// The longest piece of a line that one read delivers: 254 characters, a
/// fixed fact of the file formats. Written out here rather than taken from
/// the reader, so that a change to the reader's own constant is caught.
inline constexpr std::size_t kPieceLength = 254;

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

/// Checks a value that a reader took from one piece of a line, after at
/// least `before` other characters of that piece: it fits the rest of the
/// piece and holds no line feed and no NUL.
void checkPieceValue(std::size_t before, std::string_view value, std::string_view input);

}  // namespace launcher::fuzzing

/// Checks a property; on failure prints it and the given values, then aborts.
#define FUZZ_CHECK(condition, ...)                                                                            \
    do {                                                                                                      \
        if (!(condition)) ::launcher::fuzzing::propertyFailed(#condition, __FILE__, __LINE__, {__VA_ARGS__}); \
    } while (false)

/// Defines the target's entry point; the body that follows gets the input
/// bytes as text under the given name.
#define FUZZ_TARGET(input)                                                              \
    static void fuzzOne(std::string_view input);                                        \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        fuzzOne(std::string_view(reinterpret_cast<const char*>(data), size));           \
        return 0;                                                                       \
    }                                                                                   \
    static void fuzzOne(std::string_view input)
