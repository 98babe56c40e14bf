// The program on a compositor with several outputs (harness.h), as users' desks have them:
// side by side at any height and scale, added and taken away while it runs, one switched off.

#include "platform/displays/wayland/tests/harness.h"

#include <set>
#include <sstream>

namespace {

// Lines of at least two colours over a background that fills most of the picture.
::testing::AssertionResult ShowsLines(const Picture& picture) {
    if (picture.pixels.empty()) {
        return ::testing::AssertionFailure() << "no screenshot";
    }
    std::map<std::uint32_t, int> counts;
    for (const std::uint32_t pixel : picture.pixels) {
        ++counts[pixel];
    }
    int most = 0, lineColours = 0;
    for (const auto& [colour, count] : counts) {
        most = std::max(most, count);
    }
    for (const auto& [colour, count] : counts) {
        lineColours += count != most && count >= 30;
    }
    if (most * 2 < static_cast<int>(picture.pixels.size()) || lineColours < 2) {
        return ::testing::AssertionFailure()
               << "background " << most << " of " << picture.pixels.size() << " pixels, "
               << lineColours << " line colours";
    }
    return ::testing::AssertionSuccess();
}

// The output shows lines within `bound`.
::testing::AssertionResult OutputShowsLines(const std::string& output,
                                            std::chrono::milliseconds bound = 5000ms) {
    const auto start = std::chrono::steady_clock::now();
    ::testing::AssertionResult last = ::testing::AssertionFailure();
    while (!(last = ShowsLines(Screenshot(output))) &&
           std::chrono::steady_clock::now() - start < bound) {
        std::this_thread::sleep_for(50ms);
    }
    return last << " on " << output;
}

// The output shows a frame other than the one it shows now, within a second.
::testing::AssertionResult OutputMoves(const std::string& output) {
    const Picture before = Screenshot(output);
    for (int attempt = 0; attempt < 50; ++attempt, std::this_thread::sleep_for(20ms)) {
        if (Screenshot(output).pixels != before.pixels) {
            return ::testing::AssertionSuccess();
        }
    }
    return ::testing::AssertionFailure() << output << " shows the same frame for a second";
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
    for (int attempt = 0; attempt < 100; ++attempt, std::this_thread::sleep_for(20ms)) {
        for (const std::string& name : OutputNames()) {
            if (!before.contains(name)) {
                return name;
            }
        }
    }
    return "";
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
        keyboard = StartKeyboard();
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
            EXPECT_TRUE(OutputShowsLines("HEADLESS-1")) << mode << ", " << second;
            EXPECT_TRUE(OutputShowsLines("HEADLESS-2")) << mode << ", " << second;
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
    ASSERT_TRUE(OutputShowsLines("WL-1"));
    ASSERT_TRUE(OutputShowsLines("WL-2"));
    ASSERT_EQ(Outer("WL-2", "move to workspace 9"), 0);
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_TRUE(OutputMoves("WL-1")) << "frame " << frame << " after WL-2 went off";
    }
    ASSERT_EQ(Outer("WL-2", "move to workspace 1"), 0);
    EXPECT_TRUE(OutputMoves("WL-2"));
    EXPECT_TRUE(OutputShowsLines("WL-2"));
    ASSERT_EQ(Shell("wtype -k space").first, 0);
    EXPECT_EQ(saver.ExitCode(), 0);
}

// An output added while the saver runs shows the figure at once; one taken away, even the one
// whose surface had the keyboard, leaves the saver on the others, with the keyboard its own.
TEST_F(WaylandOutputsComeAndGoTest, OutputsAddedAndTakenAwayWhileItRunsAreFollowed) {
    Saver saver({"/s"});
    ASSERT_TRUE(OutputShowsLines("WL-1"));
    ASSERT_TRUE(OutputShowsLines("WL-2"));
    const auto before = OutputNames();
    const auto asked = std::chrono::steady_clock::now();
    ASSERT_EQ(Shell("swaymsg create_output").first, 0);
    const std::string added = OutputAdded(before);
    ASSERT_FALSE(added.empty());
    EXPECT_TRUE(OutputShowsLines(added));
    std::printf("%s showed the figure %lld ms after it was asked for\n", added.c_str(),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - asked)
                                           .count()));
    for (const char* gone : {"WL-2", "WL-1"}) {
        ASSERT_EQ(Outer(gone, "kill"), 0);
        EXPECT_TRUE(OutputMoves(added)) << "after " << gone << " went";
        EXPECT_TRUE(OutputShowsLines(added)) << "after " << gone << " went";
        ASSERT_TRUE(saver.Running()) << "after " << gone << " went";
    }
    ASSERT_EQ(Shell("wtype -k space").first, 0);
    EXPECT_EQ(saver.ExitCode(), 0);
}
