#include "app/linux_options.h"

#include "host/command_line.h"

#include <charconv>
#include <climits>
#include <optional>

const char* const LinuxUsage =
    "usage: epiphase [-window | -window-id ID | -root] [-delay USEC] [--backend x11|wayland]\n"
    "       epiphase [/s | /p WINDOW | /c | /a] [-delay USEC] [--backend x11|wayland]\n"
    "       epiphase --render FILE.png [--size WxH] [--frames N] [--clock-step MS]\n"
    "       epiphase --help | --version\n"
    "\n"
    "  -window             run in a window of its own (the default); q or Escape ends it\n"
    "  -window-id ID       draw inside X window ID (decimal or 0x hex) until SIGTERM; it\n"
    "                      wins over -root and -window, as xscreensaver-settings expects\n"
    "  -root               draw inside $XSCREENSAVER_WINDOW, or else the root window; on\n"
    "                      Wayland, the wallpaper of every output until SIGTERM\n"
    "  /s                  run full screen until the first real input\n"
    "  /p WINDOW           draw inside X window WINDOW, as the preview does\n"
    "  /c, /a              configuration and password change: not available here (exit -1)\n"
    "  -delay USEC         time from one frame's start to the next, in microseconds (default\n"
    "                      16667, 60 frames a second); 0 paints as fast as it can\n"
    "  --backend NAME      x11 or wayland (also EPIPHASE_BACKEND); default: wayland where\n"
    "                      WAYLAND_DISPLAY is set, else x11. On Wayland -window-id and /p\n"
    "                      are not available (exit 2)\n"
    "  --render FILE.png   render frames headless and write the last one as a PNG\n"
    "  --size WxH          size of the rendered image (default 1024x768)\n"
    "  --frames N          number of frames to paint (default 1)\n"
    "  --clock-step MS     frame k sees the clock at k * MS milliseconds (default: real clock)\n"
    "  --help, -help, -h   this help\n"
    "  --version           the version\n"
    "\n"
    "xscreensaver's options take one dash or two. An unknown option, or one of xscreensaver's\n"
    "that does not apply here (-fps, -install, -visual, -geometry ...), exits with code 2.\n";

namespace {

// An X window id: decimal, or hexadecimal after 0x.
bool ReadWindowId(const std::string& text, unsigned long& id) {
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const char* begin = text.data() + (hex ? 2 : 0);
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(begin, end, id, hex ? 16 : 10);
    return begin != end && error == std::errc{} && stop == end && id != 0;
}

// A whole decimal number within [low, high], nothing else.
bool ReadNumber(const std::string& text, int low, int high, int& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc{} && stop == end && value >= low && value <= high;
}

constexpr int MaxSide = 16384;
constexpr int MaxDelay = 10000000; // ten seconds a frame

// The options that choose how to run: one at most, but for WindowIdWins.
std::optional<LinuxOptions::Action> ModeChosenBy(const std::string& argument) {
    using Action = LinuxOptions::Action;
    const std::pair<const char*, Action> modes[] = {
        {"-window", Action::InWindow},      {"--window", Action::InWindow},
        {"-window-id", Action::InWindowId}, {"--window-id", Action::InWindowId},
        {"-root", Action::OnRoot},          {"--root", Action::OnRoot},
        {"--render", Action::Render}};
    for (const auto& [name, action] : modes) {
        if (argument == name) {
            return action;
        }
    }
    return std::nullopt;
}

// xscreensaver-settings previews a hack by running its command (`epiphase --root`) with
// --window-id added; as in every hack, the window given wins over -root and -window.
bool WindowIdWins(LinuxOptions::Action one, LinuxOptions::Action other) {
    using Action = LinuxOptions::Action;
    const auto yields = [](Action action) {
        return action == Action::OnRoot || action == Action::InWindow;
    };
    return (one == Action::InWindowId && yields(other)) ||
           (other == Action::InWindowId && yields(one));
}

// Switches of xscreensaver's hacks (and of the X toolkit) that mean nothing here: named, rather
// than handed to the Windows reader, which would take -sync for /s.
bool IsUnsupportedHackSwitch(const std::string& argument) {
    const std::string name = argument.starts_with("--") ? argument.substr(1) : argument;
    for (const char* unsupported : {"-install", "-noinstall", "-visual", "-geometry", "-fps",
                                    "-no-fps", "-mono", "-pair", "-display", "-sync"}) {
        if (name == unsupported) {
            return true;
        }
    }
    return false;
}

// The Windows switches as the Windows program reads them, asked as on Windows 95 so that /a,
// valid there, passes here and is refused at run time as on NT; false names what is wrong.
bool CheckWindowsSwitches(const std::string& tail, std::string& error) {
    const std::string first = tail.substr(0, tail.find(' '));
    const LaunchRequest request = ParseLaunchCommand(tail.c_str(), true);
    if (request.mode == LaunchMode::Reject) {
        error = "unknown option " + first;
        return false;
    }
    if (request.mode == LaunchMode::RunPreview && request.windowNumber == 0) {
        error = "option " + first + " needs a decimal window number";
        return false;
    }
    return true;
}

} // namespace

bool ParseLinuxOptions(const std::vector<std::string>& arguments, LinuxOptions& options,
                       std::string& error) {
    std::string tail;
    std::string renderSetting; // the first option that only a render takes
    std::string modeOption;    // the one option that chose how to run
    std::string renderRefuses; // the first option that only a live mode takes
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= arguments.size()) {
                error = "option " + argument + " needs a value";
                return false;
            }
            out = arguments[++i];
            return true;
        };
        std::string text;
        if (argument == "--size" || argument == "--frames" || argument == "--clock-step") {
            renderSetting = renderSetting.empty() ? argument : renderSetting;
        }
        const auto mode = ModeChosenBy(argument);
        if (mode) {
            if (!modeOption.empty() && !WindowIdWins(options.action, *mode)) {
                error = "options " + modeOption + " and " + argument + " do not go together";
                return false;
            }
            modeOption = modeOption.empty() ? argument : modeOption;
            if (options.action != LinuxOptions::Action::InWindowId) {
                options.action = *mode;
            }
        }
        if (argument == "--help" || argument == "-help" || argument == "-h") {
            options.action = LinuxOptions::Action::Help;
            return true;
        } else if (argument == "--version") {
            options.action = LinuxOptions::Action::Version;
            return true;
        } else if (argument == "-window-id" || argument == "--window-id") {
            if (!value(text)) {
                return false;
            }
            if (!ReadWindowId(text, options.windowId)) {
                error = "bad value for " + argument + ": '" + text + "' (want an X window id)";
                return false;
            }
        } else if (argument == "--render") {
            if (!value(options.pngPath)) {
                return false;
            }
            if (options.pngPath.empty()) {
                error = "option --render needs a file name";
                return false;
            }
        } else if (argument == "-delay" || argument == "--delay") {
            if (!value(text) || !ReadNumber(text, 0, MaxDelay, options.delayMicroseconds)) {
                error = error.empty() ? "bad value for " + argument + ": '" + text +
                                            "' (want 0 to 10000000 microseconds)"
                                      : error;
                return false;
            }
            renderRefuses = renderRefuses.empty() ? argument : renderRefuses;
        } else if (argument == "--backend") {
            if (!value(options.backend)) {
                return false;
            }
            Backend chosen{};
            if (!ChooseBackend(options.backend, nullptr, nullptr, chosen, error)) {
                return false;
            }
            renderRefuses = renderRefuses.empty() ? argument : renderRefuses;
        } else if (argument == "--size") {
            if (!value(text)) {
                return false;
            }
            const std::size_t x = text.find('x');
            if (x == std::string::npos ||
                !ReadNumber(text.substr(0, x), 1, MaxSide, options.width) ||
                !ReadNumber(text.substr(x + 1), 1, MaxSide, options.height)) {
                error = "bad value for --size: '" + text + "' (want WxH, 1 to 16384 each)";
                return false;
            }
        } else if (argument == "--frames") {
            if (!value(text) || !ReadNumber(text, 1, INT_MAX, options.frames)) {
                error = error.empty() ? "bad value for --frames: '" + text + "' (want 1 or more)"
                                      : error;
                return false;
            }
        } else if (argument == "--clock-step") {
            if (!value(text) || !ReadNumber(text, 1, 1000000, options.clockStep)) {
                error = error.empty()
                            ? "bad value for --clock-step: '" + text + "' (want 1 to 1000000)"
                            : error;
                return false;
            }
        } else if (mode) {
            // -window and -root: chosen above, with no value to read.
        } else if (IsUnsupportedHackSwitch(argument)) {
            error = "option " + argument + " is not supported";
            return false;
        } else if (argument.starts_with("--")) {
            error = "unknown option " + argument;
            return false;
        } else {
            tail += (tail.empty() ? "" : " ") + argument;
        }
    }
    const bool render = options.action == LinuxOptions::Action::Render;
    if (!render && !renderSetting.empty()) {
        error = "option " + renderSetting + " goes with --render";
        return false;
    }
    if (render && !renderRefuses.empty()) {
        error = "option " + renderRefuses + " goes with the live modes, not with --render";
        return false;
    }
    if (!tail.empty()) {
        if (!CheckWindowsSwitches(tail, error)) {
            return false;
        }
        if (!modeOption.empty()) {
            error = "Windows switches do not go with " + modeOption + ": " + tail;
            return false;
        }
        options.action = LinuxOptions::Action::RunSaver;
    }
    options.windowsTail = tail;
    return true;
}

bool ChooseBackend(const std::string& option, const char* variable, const char* waylandDisplay,
                   Backend& chosen, std::string& error) {
    const bool set = variable != nullptr && *variable != '\0';
    const std::string name = !option.empty() ? option : set ? variable : "";
    if (name.empty()) {
        const bool wayland = waylandDisplay != nullptr && *waylandDisplay != '\0';
        chosen = wayland ? Backend::Wayland : Backend::X11;
        return true;
    }
    if (name != "x11" && name != "wayland") {
        error =
            (!option.empty() ? "bad value for --backend: '" : "bad value for EPIPHASE_BACKEND: '") +
            name + "' (want x11 or wayland)";
        return false;
    }
    chosen = name == "wayland" ? Backend::Wayland : Backend::X11;
    return true;
}
