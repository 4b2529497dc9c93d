#include "check/read_only_platform.h"

#include "messages/messages.h"

namespace launcher::check {

namespace {

class MemoryOutput : public OutputFile {
public:
    explicit MemoryOutput(std::string& target) : target_(target) {}
    bool write(const char* data, std::size_t size) override {
        target_.append(data, size);
        return true;
    }

private:
    std::string& target_;
};

}  // namespace

std::unique_ptr<OutputFile> ReadOnlyPlatform::openForWriting(const std::string& path) {
    std::string& target = captured_[path];
    target.clear();
    return std::make_unique<MemoryOutput>(target);
}

RegistryRead ReadOnlyPlatform::readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                                 const std::string& valueName, std::size_t limitBytes) {
    registryReads_.push_back((hive == RegistryHive::LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
                             key + (view == RegistryView::SixtyFourBit ? " (64-bit view)" : ""));
    return inner_.readRegistryValue(hive, view, key, valueName, limitBytes);
}

void ReadOnlyPlatform::messageBox(const std::u16string& text, const std::u16string& title, BoxIcon) {
    refused_.push_back("message box: " + utf16ToUtf8(title) + ": " + utf16ToUtf8(text));
}

int ReadOnlyPlatform::runAndWaitProcess(const std::string& program, const std::string& commandLine) {
    refused_.push_back("process: " + program + " (" + commandLine + ")");
    return -1;
}

bool ReadOnlyPlatform::startProcess(const std::string& program, const std::string& commandLine) {
    refused_.push_back("process: " + program + " (" + commandLine + ")");
    return false;
}

}  // namespace launcher::check
