#pragma once

// The parts of the paced message loop on Windows, apart so that a test can give the loop a
// clock of its own.

#include "platform/win32/windows_api.h"

#include <chrono>

// One frame per refresh of a display that reports `hertz`; 0 and 1 stand for the hardware's
// default rate, taken as 60.
std::chrono::microseconds RefreshInterval(DWORD hertz);

// Everything that ends a wait but a paint: a paint waiting for its time must not wake the wait.
// Spelt out: the newer headers' QS_INPUT holds raw input, which systems before XP refuse.
constexpr DWORD WakeForAnyButPaint =
    QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_HOTKEY | QS_SENDMESSAGE;

// The next message of the thread, as GetMessageA takes it, with each paint held until `pacing`
// says it is due. A paint comes from the queue only when nothing else is queued, so the wait
// for its time is a wait for anything new as well.
template <typename Pacing> BOOL GetPacedMessage(MSG* msg, Pacing& pacing) {
    while (PeekMessageA(msg, nullptr, 0, 0, PM_NOREMOVE) && msg->message == WM_PAINT &&
           !pacing.PaintDue()) {
        // Whole milliseconds, rounded up: waking early would only wait again.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*pacing.SleepBound());
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()),
                                  WakeForAnyButPaint);
    }
    const BOOL result = GetMessageA(msg, nullptr, 0, 0);
    if (msg->message == WM_PAINT) {
        pacing.PaintBegins();
    }
    return result;
}
