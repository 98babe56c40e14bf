#pragma once

// The window manager's state, shared by its parts: the registry (window_manager.cpp), the
// windows' lifetime and activation (window_lifetime.cpp) and what the Windows API asks of
// windows (window_queries.cpp).

#include "platform/portable/controls.h"
#include "platform/portable/names.h"
#include "platform/portable/types.h"
#include "platform/portable/window_manager.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace portable {

struct WindowClass {
    WNDCLASSA record{};
    std::string name;
};

struct WindowManager {
    std::map<std::string, WindowClass, CaseInsensitiveLess> classes;
    std::unordered_map<std::uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<HWND> topLevel; // creation order
    std::uintptr_t nextHandle = 0x20000;
    HWND foreground = nullptr;
    bool behind = false; // another application is in front
    HCURSOR cursor = ArrowCursor;
    DialogRequest lastDialog;
};

WindowManager& Manager();
// `handle` and every window below it, parents before children.
void AppendSubtree(HWND handle, std::vector<HWND>& order);

} // namespace portable
