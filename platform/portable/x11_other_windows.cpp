#include "platform/portable/x11_other_windows.h"

#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <X11/Xutil.h>

#include <cstring>
#include <strings.h>
#include <vector>

namespace portable {

namespace {

bool ClassMatches(const X11Connection& connection, ::Window window, const char* className) {
    if (className == nullptr) {
        return true;
    }
    XClassHint names{};
    const bool matches = XGetClassHint(connection.x, window, &names) != 0 &&
                         names.res_class != nullptr && strcasecmp(names.res_class, className) == 0;
    XFree(names.res_name);
    XFree(names.res_class);
    return matches;
}

bool TitleMatches(const X11Connection& connection, ::Window window, const char* title) {
    if (title == nullptr) {
        return true;
    }
    char* name = nullptr;
    const bool matches = XFetchName(connection.x, window, &name) != 0 && name != nullptr &&
                         std::strcmp(name, title) == 0;
    XFree(name);
    return matches;
}

} // namespace

::Window FindTopLevelWindow(const X11Connection& connection, const char* className,
                            const char* title, const std::function<bool(::Window)>& ours) {
    // Override-redirect windows, full-screen savers among them, are always the root's children.
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(connection.x, connection.root, &rootReturn, &parent, &children, &count) == 0) {
        return 0;
    }
    ::Window found = 0;
    for (unsigned i = count; i-- > 0 && found == 0;) { // the topmost first, as Windows searches
        // The title is asked for only where the class matched: a round trip each.
        if (!ours(children[i]) && ClassMatches(connection, children[i], className) &&
            TitleMatches(connection, children[i], title)) {
            found = children[i];
        }
    }
    XFree(children);
    return found;
}

} // namespace portable
