#pragma once

// GoogleTest's one use of std::mutex, for the MinGW-w64 win32 thread model whose standard library
// has none (GoogleTest brings its own Windows locks otherwise): a manual-reset event does the
// same.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace testing::internal {

class Notification {
  public:
    Notification() : event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event); }
    void WaitForNotification() { WaitForSingleObject(event, INFINITE); }

  private:
    HANDLE event;
};

} // namespace testing::internal

#define GTEST_HAS_NOTIFICATION_ 1
