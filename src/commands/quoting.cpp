#include "commands/quoting.h"

namespace launcher {

namespace {

struct LocaleRow {
    const char* prefix;
    std::size_t compared;
    const char* languageId;
};

// First match wins: zh_TW stands before the general Chinese row, and the
// four-character rows compare "zh_T" and "pt_B" only.
constexpr LocaleRow kLocaleRows[] = {
    {"en", 2, "1033"}, {"de", 2, "1031"}, {"es", 2, "1034"},    {"it", 2, "1040"}, {"fr", 2, "1036"},
    {"ko", 2, "1042"}, {"ja", 2, "1041"}, {"zh_TW", 4, "1028"}, {"zh", 2, "2052"}, {"pt_BR", 4, "1046"},
    {"ru", 2, "1049"}, {"pl", 2, "1045"}, {"hu", 2, "1038"},    {"cs", 2, "1029"},
};

bool hasBlank(const std::string& value) { return value.find(' ') != std::string::npos; }

}  // namespace

std::string quoteArg(const std::string& value) {
    if (!hasBlank(value)) return value;
    if (value.find('=') == std::string::npos) return '"' + value + '"';
    std::string quoted;
    for (char c : value) {
        quoted += c;
        if (c == '=') quoted += '"';
    }
    quoted += '"';
    return quoted;
}

std::string wrapIfBlank(const std::string& value) { return hasBlank(value) ? '"' + value + '"' : value; }

std::string escapeQuotes(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

const char* lcidForLocale(const std::string& locale) {
    if (locale.empty()) return "";
    for (const LocaleRow& row : kLocaleRows) {
        if (locale.compare(0, row.compared, row.prefix, row.compared) == 0) {
            return row.languageId;
        }
    }
    return "1033";
}

}  // namespace launcher
