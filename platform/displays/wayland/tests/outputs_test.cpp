// The program on a compositor with several outputs (harness.h), as users' desks have them:
// side by side at any height and scale, added and taken away while it runs, one switched off.

#include "platform/displays/wayland/tests/harness.h"

#include <set>
#include <sstream>

namespace {

// The output shows the figure within 5 s: a part of the layout's one picture, so with the credit
// line on one output alone.
::testing::AssertionResult OutputShowsTheFigure(const std::string& output) {
    return Within(5000ms,
                  [&] {
                      const Snapshot p = Screenshot(output);
                      return ShowsTheFigure(p, {0, 0, p.width, p.height}, false);
                  })
           << " on " << output;
}

// The output shows a frame other than the one it shows now, within two seconds.
::testing::AssertionResult OutputMoves(const std::string& output) {
    const Snapshot before = Screenshot(output);
    return Within(2000ms, [&] { return Screenshot(output).pixels != before.pixels; })
               ? ::testing::AssertionSuccess()
               : ::testing::AssertionFailure() << output << " shows the same frame";
}

// The names of the chosen compositor's outputs.
std::set<std::string> OutputNames() {
    std::set<std::string> names;
    std::istringstream reply(Shell("swaymsg -t get_outputs").second);
    for (std::string line; std::getline(reply, line);) {
        const std::size_t at = line.find("\"name\": \"");
        if (at != std::string::npos) {
            const std::size_t start = at + 9;
            names.insert(line.substr(start, line.find('"', start) - start));
        }
    }
    return names;
}

// The output that is new since `before`, once the compositor lists it; empty if none comes.
std::string OutputAdded(const std::set<std::string>& before) {
    std::string added;
    Within(5000ms, [&] {
        for (const std::string& name : OutputNames()) {
            added = before.contains(name) ? added : name;
        }
        return !added.empty();
    });
    return added;
}

// A headless compositor of its own, whose outputs the tests change.
class WaylandOutputsTest : public WaylandTest {};

// A sway nested in another (a headless one, `outer`): each of its outputs is a window of the
// outer one, which shows the window's frames only while the window is on screen. Moved to a
// workspace not shown, an output gets no frames, and so sends its clients no frame callbacks,
// as a monitor switched off; closed, the output goes, as one unplugged.
class WaylandNestedTest : public WaylandTest {
  protected:
    static void SetUpTestSuite() {
        std::string rules;
        for (const auto& [name, place] : {std::pair{"WL-1", "0 0"}, {"WL-2", "640 0"}}) {
            rules += std::string("for_window [title=\"wlroots - ") + name +
                     "\"] floating enable, border none, resize set 640 360, move position " +
                     place + "\n";
        }
        UseOwnRuntimeFolder();
        outer = Sway::Start(rules);
        sway = Sway::Start("", outer.socket);
        sway.Choose();
        socket = sway.socket;
        keyboard.emplace(KeyboardAllAlong);
    }
    static void TearDownTestSuite() {
        WaylandTest::TearDownTestSuite();
        outer.Stop();
    }
    // A command to the outer compositor about the window of an output of the nested one.
    static int Outer(const std::string& output, const std::string& command) {
        return Shell("SWAYSOCK=" + outer.ipc + " swaymsg '[title=\"wlroots - " + output + "\"] " +
                     command + "'")
            .first;
    }
    static inline Sway outer;
};

class WaylandOutputOffTest : public WaylandNestedTest {};
class WaylandOutputsComeAndGoTest : public WaylandNestedTest {};

} // namespace

// A second output right of the first, as tall, taller, or at scale 2: the saver and the wallpaper
// cover both, and the saver's keyboard is its own on both.
TEST_F(WaylandOutputsTest, EveryOutputSideBySideShowsTheFigureAtAnyHeightAndScale) {
    ASSERT_EQ(Shell("swaymsg create_output").first, 0);
    for (const char* second : {"resolution 1280x720 scale 1", "resolution 1280x1024 scale 1",
                               "resolution 1280x720 scale 2"}) {
        ASSERT_EQ(Shell(std::string("swaymsg output HEADLESS-2 ") + second).first, 0);
        for (const char* mode : {"-root", "/s"}) {
            Saver saver({mode});
            EXPECT_TRUE(OutputShowsTheFigure("HEADLESS-1")) << mode << ", " << second;
            EXPECT_TRUE(OutputShowsTheFigure("HEADLESS-2")) << mode << ", " << second;
            if (std::string(mode) == "/s") {
                ASSERT_EQ(Shell("wtype -k space").first, 0);
                EXPECT_EQ(saver.ExitCode(), 0) << second;
            } else {
                saver.Signal(SIGTERM);
                EXPECT_EQ(saver.ExitCode(), 0) << second;
            }
        }
    }
}

// A monitor switched off (its output shows no frames) holds back none of the others, and shows
// the figure again once it is on.
TEST_F(WaylandOutputOffTest, AnOutputThatShowsNoFramesHoldsNoOtherBack) {
    Saver saver({"/s"});
    ASSERT_TRUE(OutputShowsTheFigure("WL-1"));
    ASSERT_TRUE(OutputShowsTheFigure("WL-2"));
    ASSERT_EQ(Outer("WL-2", "move to workspace 9"), 0);
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_TRUE(OutputMoves("WL-1")) << "frame " << frame << " after WL-2 went off";
    }
    ASSERT_EQ(Outer("WL-2", "move to workspace 1"), 0);
    EXPECT_TRUE(OutputMoves("WL-2"));
    EXPECT_TRUE(OutputShowsTheFigure("WL-2"));
    ASSERT_EQ(Shell("wtype -k space").first, 0);
    EXPECT_EQ(saver.ExitCode(), 0);
}

// An output added while the saver runs shows the figure at once; one taken away, even the one
// whose surface had the keyboard, leaves the saver on the others, with the keyboard its own.
TEST_F(WaylandOutputsComeAndGoTest, OutputsAddedAndTakenAwayWhileItRunsAreFollowed) {
    Saver saver({"/s"});
    ASSERT_TRUE(OutputShowsTheFigure("WL-1"));
    ASSERT_TRUE(OutputShowsTheFigure("WL-2"));
    const auto before = OutputNames();
    const auto asked = std::chrono::steady_clock::now();
    ASSERT_EQ(Shell("swaymsg create_output").first, 0);
    const std::string added = OutputAdded(before);
    ASSERT_FALSE(added.empty());
    EXPECT_TRUE(OutputShowsTheFigure(added));
    std::printf("%s showed the figure %lld ms after it was asked for\n", added.c_str(),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - asked)
                                           .count()));
    for (const char* gone : {"WL-2", "WL-1"}) {
        ASSERT_EQ(Outer(gone, "kill"), 0);
        EXPECT_TRUE(OutputMoves(added)) << "after " << gone << " went";
        EXPECT_TRUE(OutputShowsTheFigure(added)) << "after " << gone << " went";
        ASSERT_TRUE(saver.Running()) << "after " << gone << " went";
    }
    ASSERT_EQ(Shell("wtype -k space").first, 0);
    EXPECT_EQ(saver.ExitCode(), 0);
}
