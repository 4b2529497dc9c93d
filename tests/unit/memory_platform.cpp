#include "memory_platform.h"

#include "messages/messages.h"

namespace launcher::testing {

namespace {

struct MemoryOutputFile : OutputFile {
    explicit MemoryOutputFile(std::string& bytes) : target(bytes) {}
    bool write(const char* data, std::size_t size) override { return target.append(data, size).size() >= size; }
    std::string& target;
};

}  // namespace

void MemoryPlatform::addFile(const std::string& path, const std::string& content) {
    files[path] = content;
    for (std::size_t slash = path.find('\\'); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
        if (slash > 2) directories.insert(path.substr(0, slash));
    }
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
    written[path].clear();
    return std::make_unique<MemoryOutputFile>(written[path]);
}

RegistryRead MemoryPlatform::readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                               const std::string& valueName) {
    const auto& keys = view == RegistryView::Own ? registry : registry64;
    const auto found = keys.find({hive, key});
    if (found == keys.end()) return {};
    const auto value = found->second.find(valueName);
    if (value == found->second.end()) return {.keyOpened = true};
    return {true, true, true, expandableValues, utf8ToUtf16(value->second)};
}

std::optional<std::string> MemoryPlatform::environmentVariable(const std::string& name) {
    for (const auto& [set, value] : environment) {
        if (equalsAsciiIgnoringCase(set, name)) return value;
    }
    return std::nullopt;
}

std::u16string MemoryPlatform::expandEnvironmentStrings(const std::u16string& text) {
    return expandLikeWindows(text, [&](std::u16string_view name) -> std::optional<std::u16string> {
        const std::optional<std::string> value = environmentVariable(utf16ToUtf8(std::u16string(name)));
        return value ? std::optional(utf8ToUtf16(*value)) : std::nullopt;
    });
}

Narrowed MemoryPlatform::toSystemCodePage(std::u16string_view text, bool bestFit) {
    Narrowed narrowed;
    for (const char16_t c : text) {
        const bool lookAlike = bestFit && (c == u'Ł' || c == u'ł');
        narrowed.text += c <= 0xFF ? static_cast<char>(c) : lookAlike ? (c == u'Ł' ? 'L' : 'l') : '?';
        narrowed.exact = narrowed.exact && c <= 0xFF;
    }
    return narrowed;
}

std::string MemoryPlatform::systemCodePageToUtf8(const std::string& text) {
    // The test's system code page is Latin-1.
    std::u16string wide;
    for (char c : text) wide += static_cast<unsigned char>(c);
    return utf16ToUtf8(wide);
}

void MemoryPlatform::messageBox(const std::u16string& text, const std::u16string& title, BoxIcon icon) {
    boxes.push_back({utf16ToUtf8(text), utf16ToUtf8(title), icon, bytesWritten()});
}

std::size_t MemoryPlatform::bytesWritten() const {
    std::size_t total = 0;
    for (const auto& [path, bytes] : written) total += bytes.size();
    return total;
}

int MemoryPlatform::nextExitCode(const StartedProcess& process) {
    processes.push_back(process);
    if (onProcess) onProcess(process);
    if (exitCodes.empty()) return 0;
    const int code = exitCodes.front();
    exitCodes.erase(exitCodes.begin());
    return code;
}

}  // namespace launcher::testing
