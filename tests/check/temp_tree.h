// A folder of files for a test, removed again when the test ends.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace launcher::check::testing {

class TempTree {
public:
    TempTree() { std::filesystem::create_directories(root_); }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    ~TempTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    /// Writes content to the file at relative (folders are made); returns its path.
    std::string write(const std::string& relative, const std::string& content = std::string()) {
        std::filesystem::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative, std::ios::binary) << content;
        return path(relative);
    }
    /// Returns the path of relative under the tree.
    std::string path(const std::string& relative = std::string()) const { return (root_ / relative).string(); }

private:
    static inline int count_ = 0;
    const std::filesystem::path root_ =
        std::filesystem::temp_directory_path() /
        ("launcher-check-test-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
};

}  // namespace launcher::check::testing
