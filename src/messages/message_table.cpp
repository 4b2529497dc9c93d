#include "messages/message_table.h"

#include <map>
#include <utility>
#include <vector>

#include "messages/messages.h"

namespace launcher {

namespace {

// The table as the resource script includes it: a row without text names
// the language of the rows that follow.
#define MESSAGES_BEGIN(langid, primary, sub) {langid, nullptr},
#define MESSAGE(id, text) {id, text},
#define MESSAGES_END
const std::pair<int, const char*> kMessages[] = {
#include "messages.inc"
};

// RT_STRING blocks as the resource compiler lays them out: 16 counted
// texts each, absent ids counting 0.
std::map<std::pair<int, std::uint16_t>, std::u16string> makeBlocks() {
    std::map<std::pair<int, std::uint16_t>, std::vector<std::u16string>> texts;
    std::uint16_t table = 0;
    for (const auto& [id, text] : kMessages) {
        if (text == nullptr) {
            table = static_cast<std::uint16_t>(id);
            continue;
        }
        std::vector<std::u16string>& block = texts[{id / 16 + 1, table}];
        block.resize(16);
        block[id % 16] = utf8ToUtf16(text);
    }
    std::map<std::pair<int, std::uint16_t>, std::u16string> blocks;
    for (const auto& [key, sixteen] : texts) {
        for (const std::u16string& text : sixteen) blocks[key] += static_cast<char16_t>(text.size()) + text;
    }
    return blocks;
}

}  // namespace

std::optional<std::u16string> messageTableBlock(int blockNumber, std::uint16_t language) {
    static const std::map<std::pair<int, std::uint16_t>, std::u16string> blocks = makeBlocks();
    const auto found = blocks.find({blockNumber, language});
    if (found == blocks.end()) return std::nullopt;
    return found->second;
}

}  // namespace launcher
