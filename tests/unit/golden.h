// Golden files: expected texts kept out of the C++, written as they are. A
// line "=== <name>" starts a section; its text is every line up to the next
// such line, each with its line feed. Lines before the first section are
// remarks. Tokens such as ${IMAGE} stand for what varies between cases.
#pragma once

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace launcher::testing {

using Tokens = std::vector<std::pair<std::string, std::string>>;

/// Returns text with each token replaced, in the order of tokens.
inline std::string withTokens(std::string text, const Tokens& tokens) {
    for (const auto& [token, value] : tokens) {
        for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size())) {
            text.replace(at, token.size(), value);
        }
    }
    return text;
}

/// Returns the section of the golden file with its tokens replaced; a
/// missing file or section gives a text that names it, which no test expects.
inline std::string goldenSection(const std::string& file, const std::string& name, const Tokens& tokens = {}) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::string text;
    bool inside = false;
    bool found = false;
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
            inside = line.substr(4) == name;
            found = found || inside;
        } else if (inside) {
            text += line + "\n";
        }
    }
    return found ? withTokens(text, tokens) : "(no section \"" + name + "\" in " + file + ")";
}

}  // namespace launcher::testing
