// The saver window's two procedures: the class procedure that pre-filters messages before the
// application sees them, and the default procedure that applies the dismissal rules to what the
// application leaves alone.

#include "host/dismissal.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "host/saver_hooks.h"

namespace {

void HideCursorInFullScreen() {
    if (!Host().previewMode) {
        SetCursor(nullptr);
    }
}

void PostClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

// The input-method context is taken off the saver window while it lives, but only through a
// module that is loaded already: the saver never loads one itself.
void DetachInputContext(HWND window) {
    HostState& host = Host();
    host.immModule = GetModuleHandleA("IMM32.DLL");
    if (host.immModule != nullptr) {
        host.associateContext = reinterpret_cast<AssociateContextEntry>(
            reinterpret_cast<void*>(GetProcAddress(host.immModule, "ImmAssociateContext")));
    }
    if (host.associateContext != nullptr) {
        host.savedInputContext = host.associateContext(window, nullptr);
    }
}

void ReattachInputContext(HWND window) {
    const HostState& host = Host();
    if (host.immModule != nullptr && host.associateContext != nullptr &&
        host.savedInputContext != nullptr) {
        host.associateContext(window, host.savedInputContext);
    }
}

} // namespace

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostState& host = Host();
    switch (message) {
    case WM_CREATE:
        DetachInputContext(window);
        GetCursorPos(&host.referenceCursor);
        HideCursorInFullScreen();
        return AppSaverProc(window, message, wParam, lParam);
    case WM_DESTROY:
        ReattachInputContext(window);
        PostQuitMessage(0);
        return AppSaverProc(window, message, wParam, lParam);
    default:
        break;
    }
    switch (PrefilterFor(message, wParam, host.previewMode, host.closeConfirmed)) {
    case Prefilter::Swallow:
        return 0;
    case Prefilter::DefaultOnly:
        return DefWindowProcA(window, message, wParam, lParam);
    case Prefilter::ForwardToParent: {
        const HWND parent = GetParent(window);
        if (parent != nullptr && IsWindow(parent)) {
            PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
        }
        return 1;
    }
    case Prefilter::YieldThenPass:
        Sleep(0);
        break;
    case Prefilter::PassToApplication:
        if (message == WM_PAINT) {
            HideCursorInFullScreen();
        }
        break;
    }
    return AppSaverProc(window, message, wParam, lParam);
}

LRESULT CALLBACK DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostState& host = Host();
    if (!host.previewMode && !host.closeConfirmed) {
        if (message == WM_CLOSE) {
            if (host.win9xFamily && VerifyClose(window) == 0) {
                GetCursorPos(&host.referenceCursor); // refused: measure travel from here
                return 0;
            }
        } else if (message == VerifyRequestMessage) {
            if (host.win9xFamily) {
                return host.verifyPassword ? host.verifyPassword(window) : 1;
            }
        } else if (!host.verifying) {
            switch (DismissalFor(message, wParam)) {
            case Dismissal::None:
                break;
            case Dismissal::Close:
                PostClose(window);
                break;
            case Dismissal::HideCursor:
                SetCursor(nullptr);
                break;
            case Dismissal::HideCursorOnly:
                SetCursor(nullptr);
                return 1;
            case Dismissal::MouseRule: {
                POINT cursor{0, 0};
                GetCursorPos(&cursor);
                if (MouseTravelCloses(host.referenceCursor, cursor)) {
                    PostClose(window);
                    host.referenceCursor = cursor;
                }
                break;
            }
            }
        }
    }
    if (host.autoPlayMessage != 0 && message == host.autoPlayMessage) {
        PostClose(window);
        return host.verifyPassword ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
