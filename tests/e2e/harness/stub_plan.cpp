#include "harness/stub_plan.h"

namespace e2e {

std::string escapePlanText(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '%' ? "%%" : c == '\n' ? "%n" : c == '\r' ? "%r" : std::string(1, c);
    return out;
}

std::string unescapePlanText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && (next == 'n' || next == 'r' || next == '%')) {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : '%';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace e2e
