#pragma once

// The pacing of the live displays, over the steady clock or one a test moves.

#include "platform/frame_pacing.h"

#include <chrono>
#include <functional>

namespace portable {

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;
using FramePacing = BasicFramePacing<SteadyClock>;

} // namespace portable
