#include "temp_tree.h"

#include <unistd.h>

#include <fstream>

namespace launcher::check::testing {

TempTree::TempTree() {
    static int count = 0;
    root_ = std::filesystem::temp_directory_path() /
            ("launcher-check-test-" + std::to_string(getpid()) + "-" + std::to_string(++count));
    std::filesystem::create_directories(root_);
}

TempTree::~TempTree() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::string TempTree::write(const std::string& relative, const std::string& content) {
    const std::filesystem::path file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
}

std::string TempTree::path(const std::string& relative) const { return (root_ / relative).string(); }

}  // namespace launcher::check::testing
