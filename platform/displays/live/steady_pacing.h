#pragma once

// For the live back ends (and their tests), never for the stand-in or the headless display.
#if defined(EPIPHASE_STAND_IN) || defined(EPIPHASE_DISPLAY_HEADLESS)
#error "a part of the live displays included by the stand-in or the headless display"
#endif

// The pacing of the live displays, over the steady clock or one a test moves.

#include "platform/frame_pacing.h"

#include <chrono>
#include <functional>

namespace portable {

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;
using FramePacing = BasicFramePacing<SteadyClock>;

} // namespace portable
