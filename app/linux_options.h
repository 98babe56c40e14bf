#pragma once

// The Linux program's own options, read before anything starts.

#include <string>
#include <vector>

struct LinuxOptions {
    enum class Action { RunSaver, Render, Help, Version } action = Action::RunSaver;
    // Render.
    std::string pngPath;
    int width = 1024;
    int height = 768;
    int frames = 1;
    int clockStep = 0; // milliseconds per frame; 0 keeps the real clock
    // Everything else is a Windows command tail, read by the saver framework as on Windows.
    std::string windowsTail;
};

// The options, or false with a one-line message naming what is wrong.
bool ParseLinuxOptions(const std::vector<std::string>& arguments, LinuxOptions& options,
                       std::string& error);

extern const char* const LinuxUsage;
