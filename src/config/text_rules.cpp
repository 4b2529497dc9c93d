#include "config/text_rules.h"

#include <cctype>

namespace launcher {

int splitKeyValue(std::string_view line, std::string& key, std::string& value) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return 1;
    key.assign(line.substr(0, equals));
    value.assign(line.substr(equals + 1));
    return 0;
}

std::string trimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string();
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

namespace {

// Letter case follows the runtime's locale, which the entry point sets to
// the user's default.
bool equalsIgnoringCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int a = std::tolower(static_cast<unsigned char>(text[i]));
        const int b = std::tolower(static_cast<unsigned char>(word[i]));
        if (a != b) return false;
    }
    return true;
}

}  // namespace

bool isTrueWord(std::string_view text) { return equalsIgnoringCase(text, "true") || equalsIgnoringCase(text, "yes"); }

bool isFalseWord(std::string_view text) { return equalsIgnoringCase(text, "false") || equalsIgnoringCase(text, "no"); }

}  // namespace launcher
