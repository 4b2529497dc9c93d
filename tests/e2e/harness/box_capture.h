// Message boxes of a running program: found on the screen, recorded once
// (title, text, icon) and closed with OK, the way a user would.
#pragma once

#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace e2e {

/// The icon of a box, told apart by the colour of its pixels.
enum class BoxIcon { Error, Information, Unrecognised };

/// One message box as the user saw it; texts in UTF-8.
struct SeenBox {
    std::string title;
    std::string text;
    BoxIcon icon = BoxIcon::Unrecognised;
};

bool operator==(const SeenBox& left, const SeenBox& right);
void PrintTo(const SeenBox& box, std::ostream* out);
void PrintTo(BoxIcon icon, std::ostream* out);

/// Watches one process for message boxes.
class BoxWatcher {
public:
    explicit BoxWatcher(std::uint32_t processId) : processId_(processId) {}

    /// Records and closes every box of the process that has come up since
    /// the last call.
    void poll();

    /// Returns the boxes seen so far, in the order in which they came up.
    const std::vector<SeenBox>& boxes() const { return boxes_; }

private:
    std::uint32_t processId_;
    std::set<void*> handled_;
    std::vector<SeenBox> boxes_;
};

}  // namespace e2e
