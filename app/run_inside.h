#pragma once

#include "host/saver_host.h"

#include <cstdint>
#include <string>

// The saver inside `parent` as the display settings start it: through the framework's own
// command line, so that a parent that is no window ends it with -1.
inline int RunSaverInside(HWND parent) {
    const std::string tail = "/p " + std::to_string(reinterpret_cast<std::uintptr_t>(parent));
    return HostMain(GetModuleHandleA(nullptr), tail.c_str());
}
