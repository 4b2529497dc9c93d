#include "discovery/property_list.h"

#include "config/text_rules.h"
#include "platform/text_file.h"

namespace launcher {

PropertyList::~PropertyList() { clear(); }

void PropertyList::clear() {
    index_.clear();
    // Unlinked one by one, so that a long list does not recurse.
    std::unique_ptr<PropertyEntry> entry = std::move(sentinel_.next);
    while (entry) entry = std::move(entry->next);
}

int PropertyList::loadFile(Platform& platform, const std::string& path) {
    clear();
    std::unique_ptr<TextLineReader> reader = openTextFile(platform, path);
    if (!reader) return 1;
    std::string_view line;
    std::string key;
    std::string value;
    while (reader->nextLine(line)) {
        if (splitKeyValue(line, key, value) == 0) addIfAbsent(key, value);
    }
    return 0;
}

int PropertyList::addIfAbsent(const std::string& key, const std::string& value) {
    if (containsKey(key)) return 1;
    auto entry = std::make_unique<PropertyEntry>();
    entry->key = key;
    entry->value = value;
    entry->next = std::move(sentinel_.next);
    index_.emplace(entry->key, entry.get());
    sentinel_.next = std::move(entry);
    return 0;
}

bool PropertyList::containsKey(const std::string& key) const { return findEntry(key) != nullptr; }

const std::string* PropertyList::getValue(const std::string& key) const {
    const PropertyEntry* entry = findEntry(key);
    return entry ? &entry->value : nullptr;
}

const PropertyEntry* PropertyList::findEntry(const std::string& key) const {
    const auto found = index_.find(key);
    return found == index_.end() ? nullptr : found->second;
}

int readProperty(Platform& platform, const std::string& path, const std::string& key, std::string& output) {
    PropertyList list;
    if (list.loadFile(platform, path) != 0) return -1;
    output.clear();
    const std::string* value = list.getValue(key);
    if (value == nullptr) return -1;
    output = *value;
    return 0;
}

}  // namespace launcher
