#include "app/linux_options.h"

#include <gtest/gtest.h>

namespace {

bool Parse(std::vector<std::string> arguments, LinuxOptions& options, std::string& error) {
    options = LinuxOptions{};
    error.clear();
    return ParseLinuxOptions(arguments, options, error);
}

} // namespace

TEST(LinuxOptions, RenderOptionsAndWindowsSwitches) {
    LinuxOptions options;
    std::string error;
    ASSERT_TRUE(
        Parse({"--render", "out.png", "--size", "640x480", "--frames", "30", "--clock-step", "16"},
              options, error));
    EXPECT_EQ(options.action, LinuxOptions::Action::Render);
    EXPECT_EQ(options.pngPath, "out.png");
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 480);
    EXPECT_EQ(options.frames, 30);
    EXPECT_EQ(options.clockStep, 16);

    ASSERT_TRUE(Parse({"/p", "1234"}, options, error));
    EXPECT_EQ(options.action, LinuxOptions::Action::RunSaver);
    EXPECT_EQ(options.windowsTail, "/p 1234");
    ASSERT_TRUE(Parse({"--version"}, options, error));
    EXPECT_EQ(options.action, LinuxOptions::Action::Version);
}

TEST(LinuxOptions, DelayPacesEveryLiveModeAndDefaultsToSixtyFramesASecond) {
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{}, 16667},
        {{"-root", "-delay", "20000"}, 20000},
        {{"/s", "--delay", "0"}, 0},
        {{"-delay", "10000000", "/p", "7"}, 10000000},
    };
    for (const auto& [arguments, delay] : cases) {
        LinuxOptions options;
        std::string error;
        ASSERT_TRUE(Parse(arguments, options, error)) << error;
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
        {{"--render", "a.png", "-delay", "0"}, "-delay"},
    };
    for (const auto& [arguments, named] : cases) {
        LinuxOptions options;
        std::string error;
        EXPECT_FALSE(Parse(arguments, options, error)) << named;
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
}
