#pragma once

#include "model/random.h"

#include <cstdint>

// Steers and observes the process-wide random stream from tests.

namespace random_probe {

constexpr std::uint32_t Multiplier = 214013u;
constexpr std::uint32_t Increment = 2531011u;

constexpr std::uint32_t InverseMultiplier() {
    std::uint32_t inverse = Multiplier; // Newton's iteration for the inverse modulo 2^32
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - Multiplier * inverse;
    }
    return inverse;
}
static_assert(Multiplier * InverseMultiplier() == 1u);

// Sets the stream so that its `position`-th next draw (counting from 1) returns `value`.
inline void ForceDraw(int position, std::int32_t value) {
    std::uint32_t state = static_cast<std::uint32_t>(value) << 16;
    for (int i = 0; i < position; ++i) {
        state = (state - Increment) * InverseMultiplier();
    }
    SetRandomState(state);
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
