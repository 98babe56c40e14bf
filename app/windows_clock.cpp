#include "app/windows_clock.h"

#include "model/clock.h"
#include "platform/api.h"

namespace {

std::int64_t PerformanceCount() {
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

// Wraps after 49.7 days, but the saver's clock is a 32-bit millisecond count that wraps with it.
std::int64_t TickCount() {
    return GetTickCount();
}

} // namespace

void UseWindowsClock() {
    LARGE_INTEGER frequency{};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
        UseRealClockCounter(PerformanceCount, frequency.QuadPart);
    } else {
        UseRealClockCounter(TickCount, 1000);
    }
}
