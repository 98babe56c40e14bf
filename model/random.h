#pragma once

#include <cstdint>

// The one random stream of the whole process: a 15-bit linear congruential generator whose
// state starts at 1 and is never reseeded by the program, so every run starts with the same
// draws and the number and order of draws is part of each operation's behaviour.

// Advances the stream and returns its next value, 0..32767.
std::int32_t NextRandom();

// NextRandom() scaled to [0.0, 1.0]: a draw of 0 is exactly 0.0, of 32767 exactly 1.0.
double UnitRandom();

// The stream's raw state, for tests and diagnostics; the program itself never sets it.
std::uint32_t RandomState();
void SetRandomState(std::uint32_t state);
