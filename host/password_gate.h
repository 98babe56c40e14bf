#pragma once

// The gate a close request passes on the Windows 9x family when a password is required. Pure.

#include <cstdint>

inline constexpr std::uint32_t ReverifyHoldOff = 200; // milliseconds after a dialog ended

enum class CloseGate {
    Refuse, // no dialog: one is up already, or one ended too recently
    Allow,  // no password is required
    Ask,    // show the password dialog
};

// `now` and `lastVerifyEnd` are tick counts; `lastVerifyEnd` is all ones before any dialog.
CloseGate DecideClose(bool verifying, bool verifierLoaded, std::uint32_t now,
                      std::uint32_t lastVerifyEnd);
