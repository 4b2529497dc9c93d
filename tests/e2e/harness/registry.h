// Registry helpers for tests. A 32-bit prefix has one registry view, so
// what a test writes is what the launcher reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace e2e {

/// The key that tests write under, in either hive; a ScratchRegistryKey of
/// it keeps tests from leaking into each other.
inline constexpr const char* kTestsKey = "Software\\QuillmarkE2E";

/// The key that tests name in LOCATION_KEY for an agent they register.
inline constexpr const char* kAgentKey = "Software\\QuillmarkE2E\\Agent";

/// The two hives the launcher reads from.
enum class Hive { CurrentUser, LocalMachine };

/// Writes a string value, creating the key; fails the test when it cannot.
void setRegistryString(Hive hive, const std::string& key, const std::string& name, const std::string& value);

/// Writes a value of any registry type with exactly these data bytes.
void setRegistryValue(Hive hive, const std::string& key, const std::string& name, std::uint32_t type,
                      const std::string& data);

/// Returns a string value, or nothing when the key or the value is missing.
std::optional<std::string> readRegistryString(Hive hive, const std::string& key, const std::string& name);

/// Deletes a key with all its subkeys and values; a missing key is fine.
void deleteRegistryKey(Hive hive, const std::string& key);

/// A key that does not exist while the object lives: deleted when it is
/// made and again when it goes.
class ScratchRegistryKey {
public:
    ScratchRegistryKey(Hive hive, std::string key) : hive_(hive), key_(std::move(key)) {
        deleteRegistryKey(hive_, key_);
    }
    ~ScratchRegistryKey() { deleteRegistryKey(hive_, key_); }
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;
    const std::string& key() const { return key_; }

private:
    Hive hive_;
    std::string key_;
};

}  // namespace e2e
