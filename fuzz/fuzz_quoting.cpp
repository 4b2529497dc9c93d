// Quoting of command-line elements built from INI and command-line values,
// and the locale table. quoteArg and wrapIfBlank may only insert quotation
// marks: removing every quotation mark from input and output gives the same
// text, and the output holds exactly as many more as the rule inserts.

#include "commands/quoting.h"
#include "fuzz_support.h"

using namespace launcher;

namespace {

std::string withoutQuotes(std::string text) {
    std::erase(text, '"');
    return text;
}

std::size_t quotes(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '"'));
}

bool hasBlank(const std::string& text) { return text.find(' ') != std::string::npos; }

// Inserted quotation marks only; inserted is how many.
void checkOnlyQuotesInserted(const std::string& input, const std::string& output, std::size_t inserted) {
    FUZZ_CHECK(withoutQuotes(output) == withoutQuotes(input), input, output);
    FUZZ_CHECK(quotes(output) == quotes(input) + inserted, input, output);
}

}  // namespace

FUZZ_TARGET(input) {
    const std::string value(input);
    const bool blank = hasBlank(value);
    const std::size_t equalsSigns = static_cast<std::size_t>(std::count(value.begin(), value.end(), '='));

    // quoteArg: nothing without a blank; with a blank, a mark after every
    // "=" and one at the end, or a pair around a value without "=".
    const std::string quoted = quoteArg(value);
    checkOnlyQuotesInserted(value, quoted, !blank ? 0 : (equalsSigns > 0 ? equalsSigns + 1 : 2));
    if (blank) FUZZ_CHECK(quoted.back() == '"', value, quoted);

    const std::string wrapped = wrapIfBlank(value);
    checkOnlyQuotesInserted(value, wrapped, blank ? 2 : 0);
    if (blank) FUZZ_CHECK(wrapped.front() == '"' && wrapped.back() == '"', value, wrapped);

    // escapeQuotes: a backslash before every quotation mark, nothing else;
    // undoing it gives the input back.
    const std::string escaped = escapeQuotes(value);
    FUZZ_CHECK(escaped.size() == value.size() + quotes(value), value, escaped);
    std::string undone;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && i + 1 < escaped.size() && escaped[i + 1] == '"') continue;
        undone += escaped[i];
    }
    FUZZ_CHECK(undone == value, value, escaped);

    // lcidForLocale: empty for an empty name, else a table row's number.
    const char* lcid = lcidForLocale(value);
    FUZZ_CHECK(lcid != nullptr, value);
    const std::size_t length = std::strlen(lcid);
    FUZZ_CHECK(value.empty() ? length == 0 : length == 4, value, lcid);
    for (std::size_t i = 0; i < length; ++i) FUZZ_CHECK(lcid[i] >= '0' && lcid[i] <= '9', value, lcid);
}
