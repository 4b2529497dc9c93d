// Reference properties files: key=value lines, loaded into a small list in
// which the first line of a key wins.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/platform.h"

namespace launcher {

/// One key and its value.
struct PropertyEntry {
    std::string key;
    std::string value;
    std::unique_ptr<PropertyEntry> next;
};

/// A list of properties, the most recently added first; keys are unique.
class PropertyList {
public:
    PropertyList() = default;
    PropertyList(const PropertyList&) = delete;
    PropertyList& operator=(const PropertyList&) = delete;
    ~PropertyList();

    /// Replaces the content with the file's lines. Returns 0 when the file
    /// was read to its end, 1 when it cannot be opened.
    int loadFile(Platform& platform, const std::string& path);
    /// Returns 0 when the entry was added, 1 when the key is present already.
    int addIfAbsent(const std::string& key, const std::string& value);
    /// Returns true when an entry has exactly this key.
    bool containsKey(const std::string& key) const;
    /// Returns the entry's value, or null.
    const std::string* getValue(const std::string& key) const;
    /// Returns the entry with this key, or null.
    const PropertyEntry* findEntry(const std::string& key) const;

private:
    void clear();

    PropertyEntry sentinel_;
    // Keys of the entries, so that large files load in linear time.
    std::unordered_map<std::string_view, const PropertyEntry*> index_;
};

/// Reads key from the properties file at path into output. Returns 0 when
/// found; -1 when the file cannot be opened (output untouched) or the key is
/// absent (output empty).
int readProperty(Platform& platform, const std::string& path, const std::string& key, std::string& output);

}  // namespace launcher
