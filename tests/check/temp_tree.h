// A folder of files for a test, removed again when the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace launcher::check::testing {

class TempTree {
public:
    TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    ~TempTree();

    /// Writes content to the file at relative (folders are made); returns its path.
    std::string write(const std::string& relative, const std::string& content = std::string());
    /// Returns the path of relative under the tree.
    std::string path(const std::string& relative = std::string()) const;

private:
    std::filesystem::path root_;
};

}  // namespace launcher::check::testing
