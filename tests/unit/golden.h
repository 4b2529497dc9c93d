// Golden files: expected texts kept out of the C++, written as they are. A
// line "=== <name>" starts a section; its text is every line up to the next
// such line, each with its line feed. Lines before the first section are
// remarks.
#pragma once

#include <fstream>
#include <string>

namespace launcher::testing {

/// Returns the section of the golden file; a missing section gives a text
/// that names it.
inline std::string goldenSection(const std::string& file, const std::string& name) {
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
    return text;
}

}  // namespace launcher::testing
