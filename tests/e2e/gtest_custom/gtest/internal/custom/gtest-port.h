// GoogleTest's own customization point, found here before the empty one in
// /usr/src/googletest. The win32 thread model of this MinGW GCC has neither
// std::mutex nor std::condition_variable, which gtest needs for one class
// only: Notification, which releases threads in gtest's own thread tests.
// This stands in for it without them; the end-to-end tests run in one
// thread and never use it.
#ifndef E2E_GTEST_CUSTOM_GTEST_PORT_H_
#define E2E_GTEST_CUSTOM_GTEST_PORT_H_

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true); }

    void WaitForNotification() {
        while (!notified_.load()) {}
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing

#endif  // E2E_GTEST_CUSTOM_GTEST_PORT_H_
