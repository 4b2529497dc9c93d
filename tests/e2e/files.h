// Whole files read and written byte for byte, by the harness and by the stub
// program. Paths are text in the system code page, made wide by the system's
// own rules, so that the second byte 0x5C of a double-byte character (表 in
// code page 932) is never taken for a separator.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace e2e {

/// Returns the path as the system reads it.
inline std::filesystem::path widePath(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

/// Returns the file's bytes, or nothing when it cannot be read.
inline std::optional<std::string> readFileAt(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

/// Writes the file's whole content, or appends to it, creating missing
/// folders; returns whether that worked.
inline bool writeFileAt(const std::filesystem::path& path, const std::string& bytes, bool append = false) {
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream file(path, append ? std::ios::binary | std::ios::app : std::ios::binary);
    return file && file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush();
}

/// The same, for paths in the system code page.
inline std::optional<std::string> readBytes(const std::string& path) { return readFileAt(widePath(path)); }
inline bool writeBytes(const std::string& path, const std::string& bytes, bool append = false) {
    return writeFileAt(widePath(path), bytes, append);
}

/// Returns a stub copy's path without ".exe": the base of its .plan and .calls.
inline std::string stubBase(const std::string& stubPath) { return stubPath.substr(0, stubPath.rfind('.')); }

}  // namespace e2e
