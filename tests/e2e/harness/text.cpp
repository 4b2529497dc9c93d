#include "harness/text.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace e2e {

namespace {

// Paths are text in the system code page: made wide by the system's own
// rules, so that the second byte of a double-byte character (0x5C in 表) is
// never taken for a separator.
std::filesystem::path widePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return std::filesystem::path(wide);
}

}  // namespace

std::string doubleBackslashes(const std::string& text) {
    std::string doubled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
            doubled.append(text, i++, 2);
        } else {
            doubled += text[i] == '\\' ? "\\\\" : std::string(1, text[i]);
        }
    }
    return doubled;
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

std::string withCrLf(const std::string& text) { return replaceAll(text, "\n", "\r\n"); }

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string withoutExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("\\/");
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path : path.substr(0, dot);
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream file(widePath(path), std::ios::binary);
    if (file) bytes.assign(std::istreambuf_iterator<char>(file), {});
    return static_cast<bool>(file);
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    std::error_code ignored;
    std::filesystem::create_directories(widePath(path).parent_path(), ignored);
    std::ofstream file(widePath(path), std::ios::binary);
    return file && file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush();
}

bool pathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void makeDirectories(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(widePath(path), ignored);
}

void removeTree(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(widePath(path), ignored);
}

std::vector<std::string> directoryEntries(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path, ignored)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

void listTree(const std::string& root, const std::string& relative, std::vector<std::string>& lines) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + relative + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines.push_back(path + "\\");
            // A link leads out of the tree (Wine links Documents and the
            // like to the Unix home): listed, not followed.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) listTree(root, path, lines);
        } else {
            const ULONGLONG size = (ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            const ULONGLONG written =
                (ULONGLONG(found.ftLastWriteTime.dwHighDateTime) << 32) | found.ftLastWriteTime.dwLowDateTime;
            lines.push_back(path + " " + std::to_string(size) + " " + std::to_string(written));
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::vector<std::string> treeListing(const std::string& root) {
    std::vector<std::string> lines;
    listTree(root, "", lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string binaryBytes(std::size_t size) {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    std::uint32_t state = 12345;
    while (bytes.size() < size) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 24);
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace e2e
