#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

#include "e2e.h"

namespace e2e {

std::uint16_t userLanguage() {
    const std::uint16_t language = GetUserDefaultLangID();
    if (const char* expected = std::getenv("E2E_USER_LANGID")) {
        EXPECT_EQ(language, std::atoi(expected)) << "Wine did not take the user language from LC_ALL";
    }
    return language;
}

std::uint16_t tableFor(std::uint16_t language) {
    // Swedish has no table of its own and gets English; Chinese (Hong Kong)
    // gets Traditional Chinese.
    const std::map<std::uint16_t, std::uint16_t> tables = {{1033, 1033}, {1031, 1031}, {1041, 1041}, {1049, 1049},
                                                           {1053, 1033}, {2052, 2052}, {3076, 1028}};
    if (tables.count(language) == 0) ADD_FAILURE() << "no expected texts for user language " << language;
    return tables.count(language) ? tables.at(language) : 1033;
}

std::string text(const std::string& name, const std::string& argument, std::uint16_t table) {
    static const std::map<std::string, std::string> texts = [] {
        std::map<std::string, std::string> all;
        std::istringstream lines(readFileBytes(buildFile("expected\\texts.txt")));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string key;
            std::string value;
            if (line.empty() || line[0] == '#' || !(words >> key >> value)) continue;
            all[key + " " + value] = replaceAll(line.substr(key.size() + value.size() + 2), "\\n", "\n");
        }
        return all;
    }();
    const auto found = texts.find(std::to_string(table) + " " + name);
    if (found == texts.end()) ADD_FAILURE() << "no text " << name << " of table " << table;
    return found == texts.end() ? std::string() : replaceAll(found->second, "%s", argument);
}

SeenBox errorBox(const std::string& message, const std::string& argument, std::uint16_t table) {
    return {text("errorTitle", "", table), text(message, argument, table), BoxIcon::Error};
}

std::string withTokens(std::string text, const TraceTokens& tokens) {
    for (const auto& [token, value] : tokens) text = replaceAll(text, token, value);
    return text;
}

std::string goldenTrace(const std::string& name, const TraceTokens& tokens) {
    return withCrLf(withTokens(readFileBytes(buildFile("expected\\" + name)), tokens));
}

::testing::AssertionResult traceEndsWith(const std::string& trace, const std::string& expectedEnd,
                                         const TraceTokens& tokens) {
    const std::string end = withCrLf(withTokens(expectedEnd, tokens));
    if (trace.size() >= end.size() && trace.compare(trace.size() - end.size(), end.size(), end) == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the trace ends with\n"
                                         << trace.substr(trace.size() - std::min(trace.size(), end.size() + 200))
                                         << "\nand not with\n"
                                         << end;
}

std::string agentIni(const std::string& version, const std::string& launcher) {
    return "[MANAGER]\r\nLOCATION_KEY=" + std::string(kAgentKey) + "\r\nVERSION=" + version +
           "\r\nLAUNCHER=" + launcher + "\r\n";
}

}  // namespace e2e
