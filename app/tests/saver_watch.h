#pragma once

// The harness's side of saver_watch.dll: its hooks installed system-wide, so the system loads
// it into the saver, and what it records on the saver's window.

#include <windows.h>

#include <string>

// The saver_watch.dll that lies beside `saver`, loaded; null if it cannot be.
inline HMODULE LoadSaverWatch(const std::string& saver) {
    return LoadLibraryA(
        (saver.substr(0, saver.find_last_of("\\/") + 1) + "saver_watch.dll").c_str());
}

// One of its hooks on every thread of the desktop; null if it cannot be set.
inline HHOOK WatchEverywhere(HMODULE watch, int kind, const char* procedure) {
    const auto entry =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(watch, procedure)));
    return entry != nullptr ? SetWindowsHookExA(kind, entry, watch, 0) : nullptr;
}

// What the saver's loop took from its queue: "EpiphasePaints", "EpiphaseMove".
inline UINT_PTR Watched(HWND window, const char* property) {
    return reinterpret_cast<UINT_PTR>(GetPropA(window, property));
}
