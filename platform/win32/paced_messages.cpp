#include "platform/paced_messages.h"

#include "platform/frame_pacing.h"
#include "platform/win32/message_pacing.h"

#include <cstdint>

namespace {

// The performance counter (Windows 95 and NT 3.1 on), or the tick count where the hardware has
// none: never the wall clock.
struct MonotonicClock {
    using duration = std::chrono::microseconds;
    using TimePoint = std::chrono::time_point<MonotonicClock, duration>;

    TimePoint operator()() const {
        LARGE_INTEGER count{}, frequency{};
        if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 &&
            QueryPerformanceCounter(&count)) {
            // In two steps: the count times a million would overflow within hours.
            const std::int64_t seconds = count.QuadPart / frequency.QuadPart;
            const std::int64_t rest = count.QuadPart % frequency.QuadPart;
            return TimePoint(duration(seconds * 1000000 + rest * 1000000 / frequency.QuadPart));
        }
        return TimePoint(std::chrono::milliseconds(GetTickCount()));
    }
};

DWORD DisplayHertz() {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) ? mode.dmDisplayFrequency
                                                                       : 0;
}

// The system timer's finest period while the saver runs, so that a wait of a few milliseconds
// ends on time (the default period is about 16 ms). WINMM is loaded at run time: the saver
// imports from the four core system DLLs only.
class FineTimerPeriod {
  public:
    FineTimerPeriod() : module(LoadLibraryA("WINMM.DLL")) {
        if (module != nullptr) {
            const TimerPeriodCall begin = Entry("timeBeginPeriod");
            end = Entry("timeEndPeriod");
            if (begin == nullptr || end == nullptr || begin(Period) != 0) {
                end = nullptr; // TIMERR_NOERROR is 0: anything else set nothing to restore
            }
        }
    }
    ~FineTimerPeriod() {
        if (end != nullptr) {
            end(Period);
        }
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    FineTimerPeriod(const FineTimerPeriod&) = delete;
    FineTimerPeriod& operator=(const FineTimerPeriod&) = delete;

  private:
    using TimerPeriodCall = UINT(WINAPI*)(UINT);
    static constexpr UINT Period = 1; // milliseconds

    TimerPeriodCall Entry(const char* name) const {
        return reinterpret_cast<TimerPeriodCall>(
            reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    HMODULE module;
    TimerPeriodCall end = nullptr;
};

struct PacingState {
    FineTimerPeriod timerPeriod;
    BasicFramePacing<MonotonicClock> frames{MonotonicClock{}};
};

} // namespace

std::chrono::microseconds RefreshInterval(DWORD hertz) {
    constexpr DWORD DefaultHertz = 60;
    return std::chrono::microseconds(1000000 / (hertz > 1 ? hertz : DefaultHertz));
}

PacedMessages::PacedMessages() {
    auto* state = new PacingState;
    state->frames.SetInterval(RefreshInterval(DisplayHertz()));
    storage = state;
}

PacedMessages::~PacedMessages() {
    delete static_cast<PacingState*>(storage);
}

BOOL PacedMessages::Get(MSG* msg) {
    return GetPacedMessage(msg, static_cast<PacingState*>(storage)->frames);
}
