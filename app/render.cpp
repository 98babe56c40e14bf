#include "app/render.h"

#include "app/run_inside.h"

#include "host/saver_host.h"
#include "model/clock.h"
#include "platform/api.h"
#include "platform/displays/headless/display.h"
#include "platform/portable/controls.h"
#include "platform/portable/raster.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int RenderToPng(const LinuxOptions& options) {
    portable::SetExitCodeWhenPixelsRunOut(2); // a size too large for memory, as a bad option
    portable::HeadlessDisplay& display =
        portable::UseHeadlessDisplay(options.width, options.height);
    if (options.clockStep > 0) {
        UseSteppedClock(options.clockStep); // stands at 0 until the first frame
    }
    WNDCLASSA parentClass{};
    parentClass.lpfnWndProc = ParentProc;
    parentClass.lpszClassName = "EpiphaseRenderParent";
    RegisterClassA(&parentClass);
    const HWND parent =
        CreateWindowExA(0, "EpiphaseRenderParent", "Epiphase", WS_POPUP | WS_VISIBLE, 0, 0,
                        options.width, options.height, nullptr, nullptr, nullptr, nullptr);

    int frame = 0;
    HWND saver = nullptr;
    bool written = false;
    int writeError = 0;
    display.OnPaintBegins([&](HWND painted) {
        if (painted != parent) {
            saver = painted;
            SetClockFrame(++frame);
        }
    });
    display.OnPresent([&](HWND) {
        if (frame == options.frames && saver != nullptr && IsWindow(saver)) {
            written = portable::WritePng(portable::CaptureClientArea(saver), options.pngPath);
            writeError = errno;
            PostMessageA(saver, WM_CLOSE, 0, 0);
            saver = nullptr;
        }
    });
    const int result = RunSaverInside(parent);
    DestroyWindow(parent);
    if (!written) {
        std::fprintf(stderr, "epiphase: cannot write %s: %s\n", options.pngPath.c_str(),
                     std::strerror(writeError));
        return 1;
    }
    return result;
}
