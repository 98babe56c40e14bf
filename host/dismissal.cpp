#include "host/dismissal.h"

Dismissal DismissalFor(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_SHOWWINDOW:
        return wParam != 0 ? Dismissal::HideCursor : Dismissal::None;
    case WM_ACTIVATEAPP:
        return wParam == 0 ? Dismissal::Close : Dismissal::None;
    case WM_SETCURSOR:
        return Dismissal::HideCursorOnly;
    case WM_POWER:
        return wParam == PWR_CRITICALRESUME ? Dismissal::Close : Dismissal::None;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_POWERBROADCAST:
        return Dismissal::Close;
    case WM_MOUSEMOVE:
        return Dismissal::MouseRule;
    default:
        return Dismissal::None;
    }
}

bool MouseTravelCloses(POINT reference, POINT cursor) {
    // 32-bit arithmetic, compared unsigned, as the saver always has.
    const auto magnitude = [](LONG a, LONG b) {
        const std::uint32_t difference = static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b);
        return static_cast<std::int32_t>(difference) < 0 ? 0u - difference : difference;
    };
    return magnitude(cursor.x, reference.x) + magnitude(cursor.y, reference.y) > MouseMoveThreshold;
}

Prefilter PrefilterFor(UINT message, WPARAM wParam, bool previewMode, bool closeConfirmed) {
    switch (message) {
    case WM_SETTEXT:
        return Prefilter::Swallow; // the title never changes
    case WM_PAINT:
        return closeConfirmed ? Prefilter::DefaultOnly : Prefilter::PassToApplication;
    case WM_HELP:
    case WM_CONTEXTMENU:
        return previewMode ? Prefilter::ForwardToParent : Prefilter::PassToApplication;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return closeConfirmed ? Prefilter::DefaultOnly : Prefilter::PassToApplication;
    case WM_SYSCOMMAND:
        // The whole parameter is compared, low four bits included.
        return !previewMode && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW ||
                                wParam == SC_SCREENSAVE)
                   ? Prefilter::Swallow
                   : Prefilter::PassToApplication;
    case WM_TIMER:
        return closeConfirmed ? Prefilter::Swallow : Prefilter::YieldThenPass;
    default:
        return Prefilter::PassToApplication;
    }
}
