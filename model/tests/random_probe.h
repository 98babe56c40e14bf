#pragma once

#include "model/random.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace random_probe { // steers and observes the process-wide random stream from tests

constexpr std::uint32_t Multiplier = 214013u, Increment = 2531011u;
constexpr std::uint32_t InverseMultiplier = 3115528533u;
static_assert(Multiplier * InverseMultiplier == 1u);

// Sets the stream to `state` taken `position` draws back.
inline void SetStateBefore(std::uint32_t state, int position) {
    for (int i = 0; i < position; ++i) {
        state = (state - Increment) * InverseMultiplier;
    }
    SetRandomState(state);
}

// Sets the stream so that its `position`-th next draw (counting from 1) returns `value`.
inline void ForceDraw(int position, std::int32_t value) {
    SetStateBefore(static_cast<std::uint32_t>(value) << 16, position);
}

// The same for two draws in a row: `position` returns `first`, the one after it `second`.
inline void ForceDraws(int position, std::int32_t first, std::int32_t second) {
    for (std::uint32_t free = 0; free < (1u << 17); ++free) {
        const std::uint32_t state =
            (free >> 16) << 31 | static_cast<std::uint32_t>(first) << 16 | (free & 0xFFFFu);
        if (((state * Multiplier + Increment) >> 16 & 0x7FFFu) ==
            static_cast<std::uint32_t>(second)) {
            SetStateBefore(state, position);
            return;
        }
    }
    ADD_FAILURE() << "no state draws " << first << " then " << second;
}

// How many draws `action` takes from the stream (searches up to 1000).
template <class Action> int CountDraws(Action action) {
    std::uint32_t probe = RandomState();
    action();
    const std::uint32_t after = RandomState();
    for (int draws = 0; draws <= 1000; ++draws, probe = probe * Multiplier + Increment) {
        if (probe == after) {
            return draws;
        }
    }
    return -1;
}

} // namespace random_probe
