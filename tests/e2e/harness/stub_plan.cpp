#include "harness/stub_plan.h"

#include <cstdlib>
#include <sstream>

namespace e2e {

namespace {

// Splits text at its first (parts - 1) "|" characters; the last part keeps
// any further ones.
bool splitFields(const std::string& text, std::size_t parts, std::vector<std::string>& fields) {
    fields.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < parts; ++i) {
        const std::size_t bar = text.find('|', start);
        if (bar == std::string::npos) return false;
        fields.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    fields.push_back(text.substr(start));
    return true;
}

bool parseNumber(const std::string& word, long long& number) {
    if (word.empty()) return false;
    char* end = nullptr;
    number = std::strtoll(word.c_str(), &end, 10);
    return *end == '\0';
}

}  // namespace

std::string escapePlanText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%') {
            out += "%%";
        } else if (c == '\n') {
            out += "%n";
        } else if (c == '\r') {
            out += "%r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapePlanText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'n' || next == 'r' || next == '%') {
                out += next == 'n' ? '\n' : next == 'r' ? '\r' : '%';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string formatStubPlan(const StubPlan& plan) {
    std::string text;
    if (!plan.exitCodes.empty()) {
        text += "exit";
        for (std::uint32_t code : plan.exitCodes) text += ' ' + std::to_string(code);
        text += '\n';
    }
    if (plan.sleepMilliseconds != 0) text += "sleep " + std::to_string(plan.sleepMilliseconds) + '\n';
    for (const PlannedRegistryValue& value : plan.registryValues) {
        text += "reg " + value.hive + '|' + value.key + '|' + value.name + '|' + escapePlanText(value.value) + '\n';
    }
    for (const PlannedFile& file : plan.files) {
        text += "file " + file.path + '|' + escapePlanText(file.content) + '\n';
    }
    return text;
}

bool parseStubPlan(const std::string& text, StubPlan& plan, std::string& error) {
    plan = StubPlan();
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> fields;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::size_t blank = line.find(' ');
        const std::string verb = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? std::string() : line.substr(blank + 1);
        if (verb == "exit") {
            std::istringstream words(rest);
            std::string word;
            while (words >> word) {
                long long code = 0;
                if (!parseNumber(word, code)) {
                    error = "bad exit code: " + word;
                    return false;
                }
                plan.exitCodes.push_back(static_cast<std::uint32_t>(code));
            }
        } else if (verb == "sleep") {
            long long milliseconds = 0;
            if (!parseNumber(rest, milliseconds) || milliseconds < 0) {
                error = "bad sleep: " + rest;
                return false;
            }
            plan.sleepMilliseconds = static_cast<std::uint32_t>(milliseconds);
        } else if (verb == "reg") {
            if (!splitFields(rest, 4, fields) || (fields[0] != "HKCU" && fields[0] != "HKLM")) {
                error = "bad reg line: " + line;
                return false;
            }
            plan.registryValues.push_back({fields[0], fields[1], fields[2], unescapePlanText(fields[3])});
        } else if (verb == "file") {
            if (!splitFields(rest, 2, fields) || fields[0].empty()) {
                error = "bad file line: " + line;
                return false;
            }
            plan.files.push_back({fields[0], unescapePlanText(fields[1])});
        } else {
            error = "unknown instruction: " + line;
            return false;
        }
    }
    return true;
}

std::uint32_t exitCodeOfRun(const StubPlan& plan, std::size_t run) {
    if (plan.exitCodes.empty()) return 0;
    if (run == 0) run = 1;
    return run <= plan.exitCodes.size() ? plan.exitCodes[run - 1] : plan.exitCodes.back();
}

}  // namespace e2e
