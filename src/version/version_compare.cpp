#include "version/version_compare.h"

namespace launcher {

namespace {

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Only called for unequal numbers.
int compareNumbers(std::int32_t a, std::int32_t b) { return a < b ? -1 : 1; }

// Unsigned bytes; a proper prefix is the smaller. Only called for unequal
// qualifiers, so one of them differs or is longer.
int compareQualifiers(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

std::int32_t parseVersionNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isWhiteSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Saturate instead of wrapping, so that the order stays total and a
    // huge number never reads as a small or negative one.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

VersionParts splitVersion(std::string_view text) {
    VersionParts parts;
    std::string_view* numbers = parts.written;
    std::string_view rest = text;
    for (int index = 0; index < 3; ++index) {
        const std::size_t dot = rest.find('.');
        numbers[index] = rest.substr(0, dot);
        parts.partsWritten = index + 1;
        if (dot == std::string_view::npos) break;
        rest = rest.substr(dot + 1);
        // Everything after the third dot, further dots included.
        if (index == 2) parts.qualifier = rest;
    }
    parts.major = parseVersionNumber(numbers[0]);
    parts.minor = parseVersionNumber(numbers[1]);
    parts.micro = parseVersionNumber(numbers[2]);
    return parts;
}

int compareVersions(std::string_view installed, std::string_view required) {
    const VersionParts a = splitVersion(installed);
    const VersionParts b = splitVersion(required);
    if (a.major != b.major) return compareNumbers(a.major, b.major);
    if (a.minor != b.minor) return compareNumbers(a.minor, b.minor);
    if (a.micro != b.micro) return compareNumbers(a.micro, b.micro);
    if (a.qualifier == b.qualifier) return 0;
    if (a.qualifier == "beta") return -1;
    if (b.qualifier == "beta") return 1;
    return compareQualifiers(a.qualifier, b.qualifier);
}

}  // namespace launcher
