#include "platform/displays/x11/monitors.h"

#include <X11/extensions/Xrandr.h>

#include <optional>

namespace portable {

RECT PrimaryMonitor(const X11Connection& c) {
    const RECT root{0, 0, DisplayWidth(c.x, c.screen), DisplayHeight(c.x, c.screen)};
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(c.x, &event, &error) || !XRRQueryVersion(c.x, &major, &minor) ||
        major * 100 + minor < 105) {
        return root; // monitors came with RandR 1.5
    }
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(c.x, c.root, True, &count);
    std::optional<RECT> primary, atOrigin, first;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        const RECT place{m.x, m.y, m.x + m.width, m.y + m.height};
        if (m.primary && !primary) {
            primary = place;
        }
        if (m.x == 0 && m.y == 0 && !atOrigin) {
            atOrigin = place;
        }
        first = first ? first : place;
    }
    XRRFreeMonitors(monitors);
    return primary.value_or(atOrigin.value_or(first.value_or(root)));
}

} // namespace portable
