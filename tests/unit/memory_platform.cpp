#include "memory_platform.h"

#include <algorithm>
#include <cstring>

#include "messages/messages.h"

namespace launcher::testing {

namespace {

// The message table by language, included the same way the resource
// script includes it.
struct LanguageTable {
    std::uint16_t language;
    std::vector<std::pair<int, const char*>> messages;
};
#define MESSAGES_BEGIN(langid, primary, sub) \
    {                                        \
        langid, {
#define MESSAGE(id, text) {id, text},
#define MESSAGES_END \
    }                \
    }                \
    ,
const LanguageTable kTables[] = {
#include "messages.inc"
};
#undef MESSAGES_BEGIN
#undef MESSAGE
#undef MESSAGES_END

class MemoryOutputFile : public OutputFile {
public:
    explicit MemoryOutputFile(std::string& target) : target_(target) {}
    bool write(const char* data, std::size_t size) override {
        target_.append(data, size);
        return true;
    }

private:
    std::string& target_;
};

}  // namespace

std::size_t MemoryInputFile::read(char* buffer, std::size_t size) {
    const std::size_t count = std::min({size, content_.size() - offset_, nextSize_()});
    std::memcpy(buffer, content_.data() + offset_, count);
    offset_ += count;
    return count;
}

MemoryPlatform::MemoryPlatform() : stringBlocks(messageTableBlocks()) {}

void MemoryPlatform::addFile(const std::string& path, const std::string& content) {
    files[path] = content;
    for (std::size_t slash = path.find('\\'); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
        if (slash > 2) directories.insert(path.substr(0, slash));
    }
}

PathKind MemoryPlatform::pathKind(const std::string& path) {
    if (files.count(path)) return PathKind::File;
    if (directories.count(path)) return PathKind::Directory;
    return PathKind::Missing;
}

std::unique_ptr<InputFile> MemoryPlatform::openForReading(const std::string& path) {
    const auto found = files.find(path);
    if (found == files.end()) return nullptr;
    // Small, uneven reads, so that pieces cross buffer boundaries and some
    // reads come back shorter than a piece.
    return std::make_unique<MemoryInputFile>(found->second,
                                             [reads = 0]() mutable -> std::size_t { return reads++ % 2 ? 4093 : 100; });
}

std::unique_ptr<OutputFile> MemoryPlatform::openForWriting(const std::string& path) {
    if (unwritablePaths.count(path)) return nullptr;
    std::string& target = written[path];
    target.clear();
    return std::make_unique<MemoryOutputFile>(target);
}

int MemoryPlatform::pathIsRelative(const std::string& path) {
    // The shell's rule: a drive and colon, or a leading backslash, is not
    // relative; everything else is.
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return 0;
    if (path.size() >= 2 && path[1] == ':') return 0;
    return 1;
}

RegistryRead MemoryPlatform::readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                               const std::string& valueName, std::size_t limitBytes) {
    RegistryRead read;
    const auto& keys = view == RegistryView::Own ? registry : registry64;
    const auto found = keys.find({hive, key});
    if (found == keys.end()) return read;
    read.keyOpened = true;
    const auto value = found->second.find(valueName);
    if (value == found->second.end()) return read;
    read.valueFound = true;
    if (value->second.size() + 1 > limitBytes) return read;
    read.valueRead = true;
    read.expandable = expandableValues;
    read.data = value->second.substr(0, value->second.find('\0'));
    return read;
}

std::string MemoryPlatform::expandEnvironmentStrings(const std::string& text) {
    // %NAME% of a set variable is replaced; anything else stays as written.
    std::string result;
    std::size_t at = 0;
    for (std::size_t open = text.find('%'); open != std::string::npos; open = text.find('%', at)) {
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        const auto value = find(environment, text.substr(open + 1, close - open - 1));
        result.append(text, at, open - at).append(value ? *value : text.substr(open, close - open + 1));
        at = close + 1;
    }
    return result.append(text, at, std::string::npos);
}

std::string MemoryPlatform::systemCodePageToUtf8(const std::string& text) {
    // The test's system code page is Latin-1.
    std::string utf8;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

void MemoryPlatform::messageBox(const std::u16string& text, const std::u16string& title, BoxIcon icon) {
    boxes.push_back({utf16ToUtf8(text), utf16ToUtf8(title), icon});
}

int MemoryPlatform::nextExitCode(const StartedProcess& process) {
    processes.push_back(process);
    if (onProcess) onProcess(process);
    if (exitCodes.empty()) return 0;
    const int code = exitCodes.front();
    exitCodes.erase(exitCodes.begin());
    return code;
}

int MemoryPlatform::runAndWaitProcess(const std::string& program, const std::string& commandLine) {
    return nextExitCode({program, commandLine, true});
}

bool MemoryPlatform::startProcess(const std::string& program, const std::string& commandLine) {
    return nextExitCode({program, commandLine, false}) != -1;
}

std::map<std::pair<int, std::uint16_t>, std::u16string> messageTableBlocks() {
    // Each block holds 16 counted texts; absent ids count 0.
    std::map<std::pair<int, std::uint16_t>, std::u16string> blocks;
    for (const LanguageTable& table : kTables) {
        std::map<int, std::vector<std::u16string>> texts;
        for (const auto& [id, text] : table.messages) {
            texts[id / 16 + 1].resize(16);
            texts[id / 16 + 1][id % 16] = utf8ToUtf16(text);
        }
        for (const auto& [block, sixteen] : texts) {
            for (const std::u16string& text : sixteen) blocks[{block, table.language}] += char16_t(text.size()) + text;
        }
    }
    return blocks;
}

std::string tableMessage(std::uint16_t language, int id) {
    for (const LanguageTable& table : kTables) {
        for (const auto& [number, text] : table.messages) {
            if (table.language == language && number == id) return text;
        }
    }
    return std::string();
}

std::vector<std::uint16_t> tableLanguages() {
    std::vector<std::uint16_t> languages;
    for (const LanguageTable& table : kTables) languages.push_back(table.language);
    return languages;
}

}  // namespace launcher::testing
