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
        {{"--frames", "3"}, "--frames"},
        {{"--render", "a.png", "/s"}, "/s"},
        {{"-delay"}, "-delay"},
        {{"-delay", "-1"}, "-delay"},
        {{"--delay", "10000001"}, "--delay"},
        {{"-delay", "1x"}, "-delay"},
        {{"--render", "a.png", "-delay", "0"}, "-delay"}};
    for (const auto& [arguments, named] : cases) {
        LinuxOptions options;
        std::string error;
        EXPECT_FALSE(ParseLinuxOptions(arguments, options, error)) << named;
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
}
