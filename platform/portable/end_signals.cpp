#include "platform/portable/end_signals.h"

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

int EndSignalWakeDescriptor() { return wakePipe[0]; }

bool EndSignalled() { return signalled != 0; }

bool TakeEndSignal() {
    if (signalled == 0) {
        return false;
    }
    signalled = 0;
    char drained[16];
    while (wakePipe[0] >= 0 && read(wakePipe[0], drained, sizeof drained) > 0) {
    }
    return true;
}

void WaitForInputOrEndSignal(int descriptor, std::optional<std::chrono::nanoseconds> bound) {
    timespec until{};
    if (bound) {
        until.tv_sec = static_cast<time_t>(bound->count() / 1'000'000'000);
        until.tv_nsec = static_cast<long>(bound->count() % 1'000'000'000);
    }
    pollfd sources[2] = {{descriptor, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
    ppoll(sources, wakePipe[0] >= 0 ? 2 : 1, bound ? &until : nullptr, nullptr);
}

} // namespace portable
