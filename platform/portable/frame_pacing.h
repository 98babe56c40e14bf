#pragma once

// When a live display lets the next paint begin: each paint at least an interval after the
// previous one, on a steady cadence, over a clock it is given (so a test can move it). Free of
// any display system; every live back end paces its frames with it.

#include <chrono>
#include <functional>
#include <optional>

namespace portable {

class FramePacing {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit FramePacing(Clock now) : clock(std::move(now)) {}

    // Zero paints whenever asked.
    void SetInterval(std::chrono::microseconds interval) { frameInterval = interval; }

    // Asked when a paint is waiting: whether it may begin now. A "no" holds it back until its
    // time comes.
    bool PaintDue();
    // A paint begins: the next one is due an interval after this one was, so that waking a
    // little late now and then does not slow the rate; a paint later than a whole interval
    // starts the cadence afresh.
    void PaintBegins();
    // How long the loop may sleep for events: while a paint is held back, until its time, and
    // not at all once that time has come (even if it came after the paint was refused);
    // nothing held back, no bound.
    std::optional<std::chrono::nanoseconds> SleepBound() const;

  private:
    Clock clock;
    std::chrono::microseconds frameInterval{0};
    std::chrono::steady_clock::time_point nextPaint{};
    bool heldBack = false;
};

} // namespace portable
