// GoogleTest's own customization point, found here before the empty one in
// /usr/src/googletest. The win32 thread model of this MinGW GCC has neither
// std::mutex nor std::condition_variable, which gtest needs for one class
// only: Notification, which releases threads in gtest's own thread tests.
// This stands in for it without them; the end-to-end tests run in one
// thread and never use it.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    void Notify() { notified_ = true; }
    void WaitForNotification() {
        while (!notified_) {}
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
