// The run mode shared by full screen and preview: the saver window and its message loop.

#include "host/host_state.h"
#include "host/saver_host.h"
#include "platform/paced_messages.h"

namespace {

constexpr const char* SaverClassName = "WindowsScreenSaverClass";
constexpr DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr UINT SaverClassStyle = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
constexpr int AppIconNumber = 100;

struct Placement {
    int x = 0, y = 0, width = 0, height = 0;
};

Placement FullScreenPlacement() {
    Placement place{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (place.width == 0 || place.height == 0) {
        // No virtual-screen metrics: the clip box of the whole screen instead.
        const HDC screen = GetDC(nullptr);
        RECT box{0, 0, 0, 0};
        GetClipBox(screen, &box);
        ReleaseDC(nullptr, screen);
        place = {box.left, box.top, box.right - box.left, box.bottom - box.top};
    }
    return place;
}

} // namespace

ATOM RegisterSaverClass() {
    WNDCLASSA windowClass{};
    windowClass.style = SaverClassStyle;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = Host().instance;
    windowClass.hIcon = LoadIconA(Host().instance, MAKEINTRESOURCEA(AppIconNumber));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = SaverClassName;
    return RegisterClassA(&windowClass);
}

int RunSaver(HWND parent) {
    HostState& host = Host();
    Placement place;
    DWORD style = PreviewStyle;
    DWORD exStyle = 0;
    const char* title = "Preview";
    if (parent != nullptr) {
        RECT client{0, 0, 0, 0};
        GetClientRect(parent, &client);
        place = {0, 0, client.right, client.bottom};
        host.previewMode = true;
    } else {
        place = FullScreenPlacement();
        style = FullScreenStyle;
        exStyle = WS_EX_TOPMOST;
        title = "Screen Saver";
        // One full-screen saver at a time: a second start brings the first to the front.
        const HWND running = FindWindowA(SaverClassName, "Screen Saver");
        if (running != nullptr && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordVerifier();
    }
    host.autoPlayMessage = host.win9xFamily ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    if (RegisterSaverClass() != 0) {
        host.saverWindow =
            CreateWindowExA(exStyle, SaverClassName, title, style, place.x, place.y, place.width,
                            place.height, parent, nullptr, host.instance, nullptr);
    }
    // Without a window no message was ever retrieved; that is a failure to run.
    MSG msg{};
    msg.wParam = static_cast<WPARAM>(-1);
    if (host.saverWindow != nullptr) {
        if (!host.previewMode) {
            SetForegroundWindow(host.saverWindow);
        }
        PacedMessages messages; // one frame per display refresh, input at once
        while (messages.Get(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    UnloadPasswordVerifier();
    return static_cast<int>(msg.wParam);
}
