#pragma once

// The Linux program's own options, read before anything starts.

#include <string>
#include <vector>

struct LinuxOptions {
    // RunSaver reads a Windows command tail; the others are xscreensaver's ways and our own.
    enum class Action { RunSaver, InWindow, InWindowId, OnRoot, Render, Help, Version };
    Action action = Action::InWindow; // no arguments: a window of its own
    unsigned long windowId = 0;       // InWindowId
    // Live modes: microseconds from one frame's start to the next (xscreensaver's -delay);
    // 0 paints as fast as it can.
    int delayMicroseconds = 16667;
    // Render.
    std::string pngPath;
    int width = 1024;
    int height = 768;
    int frames = 1;
    int clockStep = 0; // milliseconds per frame; 0 keeps the real clock
    // Windows switches: a command tail, read by the saver framework as on Windows.
    std::string windowsTail;
    // Live modes: "x11" or "wayland" when --backend chose; empty: chosen as ChooseBackend says.
    std::string backend;
};

enum class Backend { X11, Wayland };

// The display system a live mode speaks: --backend, else the variable EPIPHASE_BACKEND (its
// value `variable`, null when unset), else Wayland where WAYLAND_DISPLAY is set (`waylandDisplay`),
// else X11. False with a one-line message for a name that is neither.
bool ChooseBackend(const std::string& option, const char* variable, const char* waylandDisplay,
                   Backend& chosen, std::string& error);

// The options, or false with a one-line message naming what is wrong.
bool ParseLinuxOptions(const std::vector<std::string>& arguments, LinuxOptions& options,
                       std::string& error);

extern const char* const LinuxUsage;
