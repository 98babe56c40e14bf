#include "platform/displays/live/end_signals.h"

#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace portable {

namespace {

volatile std::sig_atomic_t signalled = 0;
int wakePipe[2] = {-1, -1};

void OnSignal(int) {
    signalled = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
}

} // namespace

void WatchEndSignals() {
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        wakePipe[0] = wakePipe[1] = -1;
    }
    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool EndSignalled() { return signalled != 0; }

void CloseWindowsOnEndSignal() {
    if (signalled == 0) {
        return;
    }
    signalled = 0;
    char drained[16];
    while (wakePipe[0] >= 0 && read(wakePipe[0], drained, sizeof drained) > 0) {
    }
    for (HWND top : WindowsInPaintOrder()) {
        if (GetParent(top) == nullptr) {
            PostMessageA(top, WM_CLOSE, 0, 0);
        }
    }
}

bool WaitForInput(int descriptor, std::optional<std::chrono::nanoseconds> bound,
                  bool endSignalWakes) {
    timespec until{};
    if (bound) {
        until.tv_sec = static_cast<time_t>(bound->count() / 1'000'000'000);
        until.tv_nsec = static_cast<long>(bound->count() % 1'000'000'000);
    }
    pollfd sources[2] = {{descriptor, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
    const bool watchPipe = endSignalWakes && wakePipe[0] >= 0;
    ppoll(sources, watchPipe ? 2 : 1, bound ? &until : nullptr, nullptr);
    return (sources[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

} // namespace portable
