#pragma once

// Which user input and system events end the full-screen saver. Pure decisions over plain
// data; the saver procedures turn them into platform calls.

#include "platform/api.h"

#include <cstdint>

inline constexpr std::uint32_t MouseMoveThreshold = 4;
inline constexpr UINT VerifyRequestMessage = 0x8000; // WM_APP: the password check

enum class Dismissal {
    None,            // pass the message on
    Close,           // post a close request, then pass the message on
    HideCursor,      // hide the cursor, then pass the message on
    HideCursorOnly,  // hide the cursor and answer 1 at once
    MouseRule,       // close if the pointer travelled far enough from the reference
};

// The rule for a message while the full-screen saver runs and no password dialog is up.
Dismissal DismissalFor(UINT message, WPARAM wParam);

// True when the pointer is more than MouseMoveThreshold pixels (|dx| + |dy|) from `reference`.
bool MouseTravelCloses(POINT reference, POINT cursor);

// What the saver window's own procedure does with a message before the application sees it.
enum class Prefilter {
    PassToApplication,
    DefaultOnly,   // straight to DefWindowProcA, the application never sees it
    Swallow,       // answered 0, nothing else
    ForwardToParent, // preview: posted to the parent window, answered 1
    YieldThenPass,   // give up the rest of the time slice, then to the application
};
Prefilter PrefilterFor(UINT message, WPARAM wParam, bool previewMode, bool closeConfirmed);
