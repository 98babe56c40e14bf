// The Linux program on a real Wayland compositor (harness.h): its window, full screen,
// sizes, pacing and scale.

#include "platform/displays/wayland/tests/harness.h"

TEST_F(WaylandTest, WindowOfItsOwnShowsTheFigureAtItsSizeAndEndsOnQEscapeOrClose) {
    for (const char* end : {"wtype q", "wtype -k Escape", "swaymsg kill"}) {
        Saver saver({"-window"});
        EXPECT_TRUE(ScreenShowsTheFigure(TiledWindow)) << end;
        ASSERT_EQ(Shell(end).first, 0) << end;
        EXPECT_EQ(saver.ExitCode(), 0) << end;
    }
}

// 3 pixels from where the pointer was first seen leave it running, 5 end it; so do a key and
// each button.
TEST_F(WaylandTest, FullScreenCoversTheOutputAndEndsOnTravelBeyondFourPixelsAKeyOrAButton) {
    Pointer pointer;
    for (const auto& [last, input] : {std::pair{"by 0 5", true},
                                      {"wtype -k space", false},
                                      {"click", true},
                                      {"click right", true},
                                      {"click middle", true}}) {
        pointer.Do("to 640 360");
        Saver saver({"/s"});
        ASSERT_TRUE(ScreenShowsTheFigure()) << last;
        pointer.Do("to 640 360"); // the compositor tells it where the pointer is
        ASSERT_TRUE(NewFrameShown()) << last;
        pointer.Do("by 3 0");
        EXPECT_TRUE(NewFrameShown() && ScreenShowsTheFigure() && saver.Running()) << last;
        pointer.Do("to 640 360");
        if (input) {
            pointer.Do(last);
        } else {
            ASSERT_EQ(Shell(last).first, 0);
        }
        EXPECT_EQ(saver.ExitCode(), 0) << last;
    }
}

// The window follows the size sway gives it, smaller, larger, wider or taller: floating, with
// no border, where it is moved to.
TEST_F(WaylandTest, WindowShowsAWholeFrameOfEachSizeTheCompositorGivesIt) {
    Saver saver({"-window"});
    ASSERT_TRUE(ScreenShowsTheFigure(TiledWindow));
    for (const Area& a : {Area{100, 100, 500, 400}, Area{200, 60, 1200, 660},
                          Area{40, 40, 340, 640}, Area{300, 200, 700, 300}}) {
        const std::string size = std::to_string(a.right - a.left) + " " +
                                 std::to_string(a.bottom - a.top) + ", move position " +
                                 std::to_string(a.left) + " " + std::to_string(a.top);
        ASSERT_EQ(Shell("swaymsg '[app_id=epiphase] floating enable, border none, resize set " +
                        size + "'")
                      .first,
                  0);
        EXPECT_TRUE(ScreenShowsTheFigure(a)) << size;
    }
    saver.Signal(SIGTERM);
    EXPECT_EQ(saver.ExitCode(), 0);
}

TEST_F(WaylandTest, ASecondFullScreenSaverDefersToTheFirst) {
    Saver first({"/s"});
    ASSERT_TRUE(ScreenShowsTheFigure());
    Saver second({"/s"});
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(ScreenShowsTheFigure());
}

// Commits counted in the protocol log of 3 seconds: at most one a frame of the 60 Hz output
// without -delay, at most one each 400 ms with it.
TEST_F(WaylandTest, FramesFollowTheCompositorsFrameCallbacksWithTheDelayAsALowerBound) {
    const std::string log = runtime + "/protocol.log";
    for (const auto& [delay, least, most] : {std::tuple{"0", 30, 200}, {"400000", 2, 10}}) {
        const auto [code, output] =
            Shell("(WAYLAND_DEBUG=client timeout --preserve-status -s TERM 3 " + epiphase +
                  " -window -delay " + std::string(delay) + " 2>" + log + ")");
        EXPECT_EQ(code, 0) << output;
        int commits = 0;
        for (const std::string& line : LinesOf(log)) {
            commits += line.find(" -> wl_surface@") != std::string::npos &&
                       line.find(".commit()") != std::string::npos;
        }
        EXPECT_GE(commits, least) << "-delay " << delay;
        EXPECT_LE(commits, most) << "-delay " << delay;
    }
}

// At scale 2 the compositor gives a 640x360 overlay: a 1280x720 picture at buffer scale 2, not
// one scaled up.
TEST_F(WaylandTest, OnAScaledOutputThePictureHasTheOutputsOwnPixels) {
    ASSERT_EQ(Shell("swaymsg output '*' scale 2").first, 0);
    const std::string log = runtime + "/protocol.log";
    Saver saver({"/s"}, {"WAYLAND_DEBUG=client"}, log);
    EXPECT_TRUE(ScreenShowsTheFigure());
    saver.Signal(SIGTERM); // the log is complete once it has ended
    EXPECT_EQ(saver.ExitCode(), 0);
    bool scaled = false, fullSize = false;
    for (const std::string& line : LinesOf(log)) {
        scaled = scaled || line.find("set_buffer_scale(2)") != std::string::npos;
        fullSize = fullSize || (line.find("create_buffer(") != std::string::npos &&
                                line.find(", 1280, 720, 5120, ") != std::string::npos);
    }
    EXPECT_TRUE(scaled);
    EXPECT_TRUE(fullSize);
    Shell("swaymsg output '*' scale 1");
}

TEST_F(WaylandTest, ModesThatNeedAnXWindowAndAnAbsentCompositorEndWithExitCodeTwoAndOneLine) {
    for (const std::string arguments : {"-window-id 0x200001", "/p 12345", "--backend bogus",
                                        "--backend wayland -window", "-window"}) {
        const std::string environment = arguments == "-window" ? "EPIPHASE_BACKEND=x11 DISPLAY= "
                                        : arguments.starts_with("--backend wayland")
                                            ? "WAYLAND_DISPLAY=nowhere-0 "
                                            : "";
        const auto [code, output] = Shell(environment + epiphase + " " + arguments);
        EXPECT_EQ(code, 2) << arguments;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << arguments << ": " << output;
    }
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: %s PATH-TO-EPIPHASE PATH-TO-WAYLAND-POINTER PATH-TO-PLAIN-WINDOW\n",
                     argv[0]);
        return 2;
    }
    epiphase = argv[1];
    pointerProgram = argv[2];
    plainWindowProgram = argv[3];
    return RUN_ALL_TESTS();
}
