#include "harness/registry.h"

#include <windows.h>

#include <vector>

#include "gtest/gtest.h"

namespace e2e {

namespace {
HKEY rootOf(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
}  // namespace

void setRegistryString(Hive hive, const std::string& key, const std::string& name, const std::string& value) {
    setRegistryValue(hive, key, name, REG_SZ, std::string(value.c_str(), value.size() + 1));
}

void setRegistryValue(Hive hive, const std::string& key, const std::string& name, std::uint32_t type,
                      const std::string& data) {
    HKEY opened = nullptr;
    LONG status = RegCreateKeyExA(rootOf(hive), key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()));
        RegCloseKey(opened);
    }
    if (status != ERROR_SUCCESS) ADD_FAILURE() << "cannot write registry value " << key << "\\" << name;
}

std::optional<std::string> readRegistryString(Hive hive, const std::string& key, const std::string& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(rootOf(hive), key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
    DWORD size = 0;
    std::optional<std::string> result;
    if (RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> data(size + 1, '\0');
        if (RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) ==
            ERROR_SUCCESS) {
            result = std::string(data.data());
        }
    }
    RegCloseKey(opened);
    return result;
}

void deleteRegistryKey(Hive hive, const std::string& key) {
    const LONG status = RegDeleteTreeA(rootOf(hive), key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        ADD_FAILURE() << "cannot delete registry key " << key << ", error " << status;
    }
}

}  // namespace e2e
