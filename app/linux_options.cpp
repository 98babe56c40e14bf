#include "app/linux_options.h"

#include <charconv>
#include <climits>

const char* const LinuxUsage =
    "usage: epiphase [/s | /p WINDOW | /c | /a]\n"
    "       epiphase --render FILE.png [--size WxH] [--frames N] [--clock-step MS]\n"
    "       epiphase --help | --version\n"
    "\n"
    "  /s                  run full screen\n"
    "  /p WINDOW           run inside window WINDOW (preview)\n"
    "  /c, /a              configuration and password change: not available here (exit -1)\n"
    "  --render FILE.png   render frames headless and write the last one as a PNG\n"
    "  --size WxH          size of the rendered image (default 1024x768)\n"
    "  --frames N          number of frames to paint (default 1)\n"
    "  --clock-step MS     frame k sees the clock at k * MS milliseconds (default: real clock)\n";

namespace {

// A whole decimal number within [low, high], nothing else.
bool ReadNumber(const std::string& text, int low, int high, int& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc{} && stop == end && value >= low && value <= high;
}

constexpr int MaxSide = 16384;

} // namespace

bool ParseLinuxOptions(const std::vector<std::string>& arguments, LinuxOptions& options,
                       std::string& error) {
    std::string tail;
    std::string renderSetting; // the first option that only a render takes
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
        if (argument == "--help" || argument == "-h") {
            options.action = LinuxOptions::Action::Help;
            return true;
        } else if (argument == "--version") {
            options.action = LinuxOptions::Action::Version;
            return true;
        } else if (argument == "--render") {
            if (!value(options.pngPath)) {
                return false;
            }
            options.action = LinuxOptions::Action::Render;
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
    if (render && !tail.empty()) {
        error = "--render takes no Windows switch: " + tail;
        return false;
    }
    options.windowsTail = tail;
    return true;
}
