#pragma once

// Reading the command line the screen-saver machinery starts the program with. Pure: no
// platform call is made here.

#include <cstdint>

enum class LaunchMode { Configure, RunFullScreen, RunPreview, ChangePassword, Reject };

struct LaunchRequest {
    LaunchMode mode = LaunchMode::Reject;
    std::uint32_t windowNumber = 0;
    // Configure only: a missing or invalid owner falls back to the foreground window.
    bool ownerFallback = false;
};

// Steps `text` to the next character; the platform's CharNextA in the program, which steps over
// a double-byte character whole.
using CharacterStep = const char* (*)(const char* text);

// The tail of a raw command line: past the program name and the blanks after it.
const char* SkipProgramName(const char* raw, CharacterStep step);
// The mode a tail selects; reads at most the switch letter and the number after it.
LaunchRequest ParseLaunchCommand(const char* tail, bool win9xFamily);
// Decimal digits only, wrapping modulo 2^32; no sign, no blanks, 0 when there are none.
std::uint32_t ParseWindowNumber(const char* text);
