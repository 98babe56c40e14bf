#pragma once

// When the next paint may begin: each paint at least an interval after the previous one, on a
// steady cadence, over a clock it is given (so a test can move it). Free of any display system
// and of the run-time library: the live Linux displays and the Windows screen saver pace their
// frames with it. `Clock` is anything callable that returns a std::chrono time point.

#include <algorithm>
#include <chrono>
#include <optional>
#include <type_traits>
#include <utility>

template <typename Clock> class BasicFramePacing {
  public:
    using TimePoint = std::invoke_result_t<const Clock&>;

    explicit BasicFramePacing(Clock now) : clock(std::move(now)) {}

    // Zero paints whenever asked.
    void SetInterval(std::chrono::microseconds interval) { frameInterval = interval; }

    // Asked when a paint is waiting: whether it may begin now. A "no" holds it back until its
    // time comes.
    bool PaintDue() {
        heldBack = clock() < nextPaint;
        return !heldBack;
    }

    // A paint begins: the next one is due an interval after this one was, so that waking a
    // little late now and then does not slow the rate; a paint later than a whole interval
    // starts the cadence afresh.
    void PaintBegins() {
        const TimePoint now = clock();
        const bool onCadence = now - nextPaint < frameInterval;
        nextPaint = (onCadence ? nextPaint : now) + frameInterval;
        heldBack = false;
    }

    // How long the loop may sleep for events: while a paint is held back, until its time, and
    // not at all once that time has come (even if it came after the paint was refused);
    // nothing held back, no bound.
    std::optional<std::chrono::nanoseconds> SleepBound() const {
        if (!heldBack) {
            return std::nullopt;
        }
        return std::max(std::chrono::nanoseconds(nextPaint - clock()), std::chrono::nanoseconds(0));
    }

  private:
    Clock clock;
    std::chrono::microseconds frameInterval{0};
    TimePoint nextPaint{};
    bool heldBack = false;
};
