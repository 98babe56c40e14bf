#pragma once

#include <cstdint>

// The saver's own circle constant. It is deliberately not pi: every figure the saver has ever
// drawn was computed with it, and the angle constants below are its derivatives, written out as
// literals so that each is the double nearest to that decimal.
inline constexpr double ModelPi = 3.141596536;
inline constexpr double ModelTwoPi = 6.283193072;
inline constexpr double ModelHalfPi = 1.570798268;
// 256 / ModelPi: seconds of omega homing per radian of distance.
inline constexpr double HomingSecondsPerRadian = 81.48723016035309;
// 2 * ModelPi / 30: the figure breathes with a period of 30 seconds.
inline constexpr double BreathingRate = 0.20943976906666667;

// A colour as 0x00BBGGRR, red in the low byte; only the low eight bits of each channel count.
inline constexpr std::uint32_t PackedColor(std::int32_t red, std::int32_t green,
                                           std::int32_t blue) {
    return (static_cast<std::uint32_t>(blue) & 0xFFu) << 16 |
           (static_cast<std::uint32_t>(green) & 0xFFu) << 8 |
           (static_cast<std::uint32_t>(red) & 0xFFu);
}

// Every double that becomes an integer is truncated toward zero, never rounded.
inline constexpr std::int32_t Trunc(double value) { return static_cast<std::int32_t>(value); }
