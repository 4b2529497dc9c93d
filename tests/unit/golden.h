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

/// Returns the section of the golden file with each token replaced, in the
/// order of tokens; a missing section gives a text that names it.
inline std::string goldenSection(const std::string& file, const std::string& name, const Tokens& tokens = {}) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::string text = "(no section \"" + name + "\" in " + file + ")";
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
            if (line.substr(4) == name) text.clear();
            inside = line.substr(4) == name;
        } else if (inside) {
            text += line + "\n";
        }
    }
    for (const auto& [token, value] : tokens) {
        for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size())) {
            text.replace(at, token.size(), value);
        }
    }
    return text;
}

}  // namespace launcher::testing
