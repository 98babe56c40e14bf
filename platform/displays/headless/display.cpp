#include "platform/displays/headless/display.h"

#include "platform/portable/controls.h"
#include "platform/portable/window_manager.h"

namespace portable {

HeadlessDisplay::HeadlessDisplay(int width, int height)
    : screen{0, 0, width, height}, virtualScreen{0, 0, width, height} {}

void HeadlessDisplay::PaintBegins(HWND window) {
    if (onPaintBegins) {
        onPaintBegins(window);
    }
}

void HeadlessDisplay::Present(HWND window, const Surface&, const RECT&) {
    if (onPresent) {
        onPresent(window);
    }
}

// Nothing ever arrives here by itself: a loop that would wait has nothing to wait for.
bool HeadlessDisplay::PumpEvents(bool wait) {
    return !wait;
}

HeadlessDisplay& UseHeadlessDisplay(int width, int height) {
    auto display = std::make_unique<HeadlessDisplay>(width, height);
    HeadlessDisplay& headless = *display;
    SetDisplay(std::move(display));
    return headless;
}

} // namespace portable
