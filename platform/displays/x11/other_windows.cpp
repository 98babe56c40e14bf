#include "platform/displays/x11/other_windows.h"

#include "platform/portable/user.h"

#include <X11/Xutil.h>

#include <cstring>
#include <strings.h>

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

HWND OtherProgramWindows::Find(const X11Connection& connection, const char* className,
                               const char* title, const std::function<bool(::Window)>& ours) {
    // Override-redirect windows, full-screen savers among them, are always the root's children.
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(connection.x, connection.root, &rootReturn, &parent, &children, &count) == 0) {
        return nullptr;
    }
    ::Window window = 0;
    for (unsigned i = count; i-- > 0 && window == 0;) { // the topmost first, as Windows searches
        // The title is asked for only where the class matched: a round trip each.
        if (!ours(children[i]) && ClassMatches(connection, children[i], className) &&
            TitleMatches(connection, children[i], title)) {
            window = children[i];
        }
    }
    XFree(children);
    if (window == 0) {
        return nullptr;
    }
    // One stand-in for each window found, however often it is searched for.
    for (const auto& [handle, other] : found) {
        if (other == window && IsWindow(handle)) {
            return handle;
        }
    }
    const HWND handle = NewStandInWindow(0, 0);
    if (handle != nullptr) {
        found[handle] = window;
    }
    return handle;
}

bool OtherProgramWindows::Raise(const X11Connection& connection, HWND handle) {
    const auto other = found.find(handle);
    if (other == found.end()) {
        return false;
    }
    XRaiseWindow(connection.x, other->second);
    XSync(connection.x, False); // done before this program, a second saver say, ends
    return true;
}

} // namespace portable
