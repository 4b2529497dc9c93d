// Text and file helpers of the harness, shared with the stub program (so
// without GoogleTest): UTF-16 to UTF-8, line ends, and whole files and
// folders read and written byte for byte. Paths are in the system code page.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace e2e {

/// Returns UTF-16 text as UTF-8.
std::string toUtf8(const std::wstring& text);

/// Returns text with every LF turned into CR LF, as a text-mode writer
/// stores it on Windows.
std::string withCrLf(const std::string& text);

/// Returns text with every occurrence of from replaced by to.
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

/// Returns text with every backslash doubled, as the agent escapes paths
/// in config.ini; second bytes of double-byte characters stay as they are.
std::string doubleBackslashes(const std::string& text);

/// Returns the path without the extension of its file name.
std::string withoutExtension(const std::string& path);

/// Reads the file's bytes; returns false when it cannot.
bool readWholeFile(const std::string& path, std::string& bytes);

/// Writes bytes as the file's whole content, creating missing folders;
/// returns false when that does not work.
bool writeWholeFile(const std::string& path, const std::string& bytes);

/// Returns whether a file or directory of that name exists.
bool pathExists(const std::string& path);

/// Creates the directory and its missing parents.
void makeDirectories(const std::string& path);

/// Deletes a directory with everything in it; a missing one is fine.
void removeTree(const std::string& path);

/// Returns the names of the entries of a directory, sorted.
std::vector<std::string> directoryEntries(const std::string& path);

/// Returns one line per file and folder under root, sorted: a folder as
/// its path, a file as its path, size and time of last write. Two listings
/// differ when anything under root was created, removed or written to.
/// Folders that are links are listed but not entered.
std::vector<std::string> treeListing(const std::string& root);

/// Returns size bytes from a fixed-seed generator, the first 256 of them
/// every byte value once.
std::string binaryBytes(std::size_t size);

}  // namespace e2e
