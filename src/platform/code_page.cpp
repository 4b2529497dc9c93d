#include "platform/code_page.h"

namespace launcher {

std::size_t CodePage::findLastOf(std::string_view text, std::string_view any) const {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i = next(text, i)) {
        if (any.find(text[i]) != std::string_view::npos) found = i;
    }
    return found;
}

std::size_t CodePage::find(std::string_view text, std::string_view pattern, std::size_t from) const {
    if (pattern.empty()) return std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i = next(text, i)) {
        if (i >= from && text.compare(i, pattern.size(), pattern) == 0) return i;
    }
    return std::string_view::npos;
}

bool CodePage::beginsCharacter(std::string_view text, std::size_t at) const {
    std::size_t i = 0;
    while (i < at && i < text.size()) i = next(text, i);
    return i == at;
}

}  // namespace launcher
