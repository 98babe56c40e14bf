#include "app/linux_options.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

LinuxOptions Parsed(const std::vector<std::string>& arguments) {
    LinuxOptions options;
    std::string error;
    EXPECT_TRUE(ParseLinuxOptions(arguments, options, error)) << error;
    return options;
}

} // namespace

TEST(LinuxOptions, RenderOptionsAndWindowsSwitches) {
    const LinuxOptions render = Parsed(
        {"--render", "out.png", "--size", "640x480", "--frames", "30", "--clock-step", "16"});
    EXPECT_EQ(std::tuple(render.action, render.pngPath, render.width, render.height, render.frames,
                         render.clockStep),
              std::tuple(LinuxOptions::Action::Render, "out.png", 640, 480, 30, 16));
    EXPECT_EQ(Parsed({"/p", "1234"}).windowsTail, "/p 1234"); // its action: the X11 tests run it
    EXPECT_EQ(Parsed({"--version"}).action, LinuxOptions::Action::Version);
    EXPECT_EQ(Parsed({"-help"}).action, LinuxOptions::Action::Help); // as every hack takes it
}

// xscreensaver-settings previews with the configured command plus " --window-id 0x%X".
TEST(LinuxOptions, AWindowIdWinsOverRootAndWindowInEitherOrder) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--root", "--delay", "16667", "--window-id", "0x1A00003"},
             {"--window-id", "0x1A00003", "--root"},
             {"-root", "-window-id", "27262979"},
             {"-window", "--window-id", "0x1a00003"},
             {"-window-id", "0x1A00003", "-window"}}) {
        const LinuxOptions options = Parsed(arguments);
        EXPECT_EQ(std::tuple(options.action, options.windowId),
                  std::tuple(LinuxOptions::Action::InWindowId, 0x1A00003ul))
            << arguments[0] << " " << arguments[1];
    }
}

// Whatever the Windows reader takes passes untouched; /c and /a end later as on Windows NT.
TEST(LinuxOptions, WindowsSwitchesTheWindowsReaderTakesPassAsTheyAre) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/s"}, "/s"},
        {{"-s"}, "-s"},
        {{"/S"}, "/S"},
        {{"s"}, "s"},
        {{"/s", "123"}, "/s 123"},
        {{"/p", "1234"}, "/p 1234"},
        {{"/P1234"}, "/P1234"},
        {{"/l", "1234"}, "/l 1234"},
        {{"-p", "99"}, "-p 99"},
        {{"/p 1234"}, "/p 1234"},
        {{"/c"}, "/c"},
        {{"/c:1234"}, "/c:1234"},
        {{"-c"}, "-c"},
        {{"/a"}, "/a"},
        {{"-A1234"}, "-A1234"},
    };
    for (const auto& [arguments, tail] : cases) {
        const LinuxOptions options = Parsed(arguments);
        EXPECT_EQ(std::tuple(options.action, options.windowsTail),
                  std::tuple(LinuxOptions::Action::RunSaver, tail));
    }
}

TEST(LinuxOptions, DelayPacesEveryLiveModeAndDefaultsToSixtyFramesASecond) {
    for (const auto& [arguments, delay] : {std::pair<std::vector<std::string>, int>{{}, 16667},
                                           {{"-root", "-delay", "20000"}, 20000},
                                           {{"/s", "--delay", "0"}, 0},
                                           {{"-delay", "10000000", "/p", "7"}, 10000000}}) {
        const LinuxOptions options = Parsed(arguments);
        EXPECT_EQ(options.delayMicroseconds, delay);
        EXPECT_EQ(options.windowsTail.find("delay"), std::string::npos) << options.windowsTail;
    }
}

TEST(LinuxOptions, BadOptionsAndValuesAreNamed) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "--bogus"},
        {{"--render"}, "--render"},
        {{"--render", ""}, "--render"},
        {{"-window-id", "0x"}, "-window-id"},
        {{"-root", "--render", "a.png"}, "--render"},
        {{"--render", "a.png", "--size", "640"}, "--size"},
        {{"--render", "a.png", "--size", "0x10"}, "--size"},
        {{"--render", "a.png", "--size", "20000x10"}, "--size"},
        {{"--render", "a.png", "--frames", "0"}, "--frames"},
        {{"--render", "a.png", "--frames", "3x"}, "--frames"},
        {{"--render", "a.png", "--clock-step", "-5"}, "--clock-step"},
        {{"--render", "a.png", "--clock-step", "0"}, "--clock-step"}, // 0 would be the real clock
        {{"--frames", "3"}, "--frames"},
        {{"--render", "a.png", "/s"}, "/s"},
        {{"-delay"}, "-delay"},
        {{"-delay", "-1"}, "-delay"},
        {{"--delay", "10000001"}, "--delay"},
        {{"-delay", "1x"}, "-delay"},
        {{"--render", "a.png", "-delay", "0"}, "-delay"},
        {{"-root", "-window"}, "-window"},
        {{"-window-id", "1", "-window-id", "2"}, "-window-id"},
        {{"-window-id", "1", "--render", "a.png"}, "--render"},
        {{"--render", "a.png", "--window-id", "1"}, "--window-id"},
        {{"-window-id", "1", "/s"}, "/s"},
        // Unknown switches, which the Windows reader refuses.
        {{"/x"}, "/x"},
        {{"-frobnicate"}, "-frobnicate"},
        {{"-root", "/?"}, "/?"},
        {{"7"}, "7"},
        // A preview without a window to draw in.
        {{"/p"}, "/p"},
        {{"-delay", "5", "/l"}, "/l"},
        {{"/p:1234"}, "/p:1234"},
        // xscreensaver's own switches that do not apply here; -sync would read as /s.
        {{"-fps"}, "-fps is not supported"},
        {{"--fps"}, "--fps is not supported"},
        {{"-install"}, "-install is not supported"},
        {{"-visual", "default"}, "-visual is not supported"},
        {{"-geometry", "640x480"}, "-geometry is not supported"},
        {{"-sync"}, "-sync is not supported"},
        {{"/s", "-pair"}, "-pair is not supported"}};
    for (const auto& [arguments, named] : cases) {
        LinuxOptions options;
        std::string error;
        EXPECT_FALSE(ParseLinuxOptions(arguments, options, error)) << named;
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
}

// --backend, else EPIPHASE_BACKEND, else Wayland where WAYLAND_DISPLAY is set, else X11.
TEST(LinuxOptions, BackendIsChosenByOptionThenVariableThenWaylandDisplay) {
    const struct {
        std::string option;
        const char* variable;
        const char* waylandDisplay;
        bool valid;
        Backend chosen;
    } cases[] = {
        {"", nullptr, nullptr, true, Backend::X11},
        {"", nullptr, "", true, Backend::X11},
        {"", nullptr, "wayland-1", true, Backend::Wayland},
        {"", "", "wayland-1", true, Backend::Wayland},
        {"", "x11", "wayland-1", true, Backend::X11},
        {"", "wayland", nullptr, true, Backend::Wayland},
        {"x11", "wayland", "wayland-1", true, Backend::X11},
        {"wayland", "x11", nullptr, true, Backend::Wayland},
        {"", "X11", nullptr, false, Backend::X11},
        {"weston", nullptr, nullptr, false, Backend::X11},
    };
    for (const auto& c : cases) {
        Backend chosen = Backend::X11;
        std::string error;
        EXPECT_EQ(ChooseBackend(c.option, c.variable, c.waylandDisplay, chosen, error), c.valid)
            << c.option;
        if (c.valid) {
            EXPECT_EQ(chosen, c.chosen) << c.option << ", " << (c.variable ? c.variable : "-");
        } else {
            EXPECT_NE(error.find(c.option.empty() ? "EPIPHASE_BACKEND" : "--backend"),
                      std::string::npos)
                << error;
        }
    }
    LinuxOptions options;
    std::string error;
    EXPECT_TRUE(ParseLinuxOptions({"/s", "--backend", "wayland"}, options, error)) << error;
    EXPECT_EQ(options.backend, "wayland");
    EXPECT_EQ(options.windowsTail, "/s");
    EXPECT_FALSE(ParseLinuxOptions({"--render", "a.png", "--backend", "x11"}, options, error));
    EXPECT_FALSE(ParseLinuxOptions({"--backend", "xorg"}, options, error));
}
