// The program on a real Wayland compositor (harness.h) as the compositor sees it: its
// requests in the protocol log (WAYLAND_DEBUG=client) for the cursor and the frames it presents.

#include "platform/displays/wayland/tests/harness.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <sstream>

namespace {

// Once `state` holds of the log's lines (20 s at most).
bool LogShows(const std::string& log,
              const std::function<bool(const std::vector<std::string>&)>& state) {
    return Within(
        20000ms, [&] { return state(LinesOf(log)); }, 100ms);
}

bool Has(const std::string& line, const char* text) {
    return line.find(text) != std::string::npos;
}

// The area of a surface's damage request in a log line (damage or damage_buffer), if it is one.
bool DamageOf(const std::string& line, int& x, int& y, int& width, int& height) {
    for (const char* request : {".damage_buffer(", ".damage("}) {
        const std::size_t at = line.find(request);
        if (at != std::string::npos) {
            return std::sscanf(line.c_str() + at + std::strlen(request), "%d, %d, %d, %d", &x, &y,
                               &width, &height) == 4;
        }
    }
    return false;
}

int Commits(const std::vector<std::string>& lines) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return Has(line, " -> wl_surface@") && Has(line, ".commit()");
    }));
}

// The protocol log's clock, in milliseconds, at the start of a line.
double StampOf(const std::string& line) {
    return std::atof(line.c_str() + 1);
}

} // namespace

// Over /s the pointer is hidden as soon as it is on the saver (a cursor of no surface); over
// -window it keeps the compositor's.
TEST_F(WaylandTest, ThePointerHidesOverTheFullScreenSaverAndShowsOverTheWindow) {
    Pointer pointer;
    const std::string log = runtime + "/cursor.log";
    for (const auto& [mode, hidden] : {std::pair{"/s", true}, {"-window", false}}) {
        pointer.Do("to 640 360");
        Saver saver({mode}, {"WAYLAND_DEBUG=client"}, log);
        ASSERT_TRUE(hidden ? ScreenShowsTheFigure() : ScreenShowsTheFigure(TiledWindow)) << mode;
        pointer.Do("to 640 360"); // the compositor tells it where the pointer is
        const auto entered = [](const std::vector<std::string>& lines) {
            return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
                return Has(line, " wl_pointer@") && Has(line, ".enter(");
            });
        };
        ASSERT_TRUE(LogShows(log, entered)) << mode;
        ASSERT_TRUE(NewFrameShown()) << mode;
        saver.Signal(SIGTERM); // the log is complete once it has ended
        EXPECT_EQ(saver.ExitCode(), 0) << mode;
        bool hiddenSeen = false;
        for (const std::string& line : LinesOf(log)) {
            hiddenSeen = hiddenSeen || (Has(line, ".set_cursor(") && Has(line, ", nil, "));
        }
        EXPECT_EQ(hiddenSeen, hidden) << mode;
    }
}

// 60 frames of /s on the 1280x720 output: the buffers the compositor released serve the next
// frames, from the memory first shared (one missed release makes a frame wait and then take
// fresh memory), and each commit's damage covers the whole picture.
TEST_F(WaylandTest, ReleasedBuffersServeTheNextFramesAndEachCommitDamagesTheWholePicture) {
    const std::string log = runtime + "/presenting.log";
    Saver saver({"/s"}, {"WAYLAND_DEBUG=client"}, log);
    ASSERT_TRUE(ScreenShowsTheFigure());
    ASSERT_TRUE(LogShows(log, [](const auto& lines) { return Commits(lines) >= 60; }));
    saver.Signal(SIGTERM); // the log is complete once it has ended
    EXPECT_EQ(saver.ExitCode(), 0);
    int pools = 0, frames = 0, wholeFrames = 0;
    bool attached = false, whole = false;
    for (const std::string& line : LinesOf(log)) {
        int x = 0, y = 0, width = 0, height = 0;
        pools += Has(line, " -> wl_shm@") && Has(line, ".create_pool(");
        if (Has(line, " -> wl_surface@") && Has(line, ".attach(")) {
            attached = true;
        } else if (Has(line, " -> wl_surface@") && DamageOf(line, x, y, width, height)) {
            whole = whole ||
                    (x <= 0 && y <= 0 && x + width >= OutputWidth && y + height >= OutputHeight);
        } else if (Has(line, " -> wl_surface@") && Has(line, ".commit()") && attached) {
            ++frames;
            wholeFrames += whole;
            attached = whole = false;
        }
    }
    EXPECT_GE(frames, 59);
    EXPECT_EQ(wholeFrames, frames);
    EXPECT_LE(pools, 4);
}

// User and system time a process has taken so far, from /proc/PID/stat.
std::chrono::duration<double> ProcessorTimeOf(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)), {});
    std::istringstream fields(stat.substr(stat.rfind(')') + 1)); // the name may hold spaces
    std::string field;
    double ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        ticks += number >= 14 ? std::stod(field) : 0; // utime and stime
    }
    return std::chrono::duration<double>(ticks / static_cast<double>(sysconf(_SC_CLK_TCK)));
}

// Windows of 1x1 and 32x32 pixels, whose frames are copied into memory shared with the compositor
// (which may hold the memory last shown until the next commit), with -delay 0: two seconds after
// the size came, their frames still come at the 60 Hz output's rate, and the saver paints no
// more frames than it shows (a paint loop that does not wait for the compositor takes a core).
TEST_F(WaylandTest, TinyWindowsKeepTheOutputsFrameRateAndPaintOnlyWhatIsShown) {
    ASSERT_EQ(Shell("swaymsg floating_minimum_size 1 x 1").first, 0);
    const std::string log = runtime + "/tiny.log";
    for (const std::string size : {"1", "32"}) {
        Saver saver({"-window", "-delay", "0"}, {"WAYLAND_DEBUG=client"}, log);
        ASSERT_TRUE(ScreenShowsTheFigure(TiledWindow));
        ASSERT_EQ(Shell("swaymsg '[app_id=epiphase] floating enable, border none, resize set " +
                        size + " " + size + "'")
                      .first,
                  0);
        // Commits in the two seconds from the first one at the new size.
        const std::string sized = ".configure(" + size + ", " + size + ", ";
        double start = -1;
        int commits = 0;
        const auto twoSecondsCounted = [&](const std::vector<std::string>& lines) {
            bool resized = false;
            start = -1;
            commits = 0;
            for (const std::string& line : lines) {
                if (Has(line, "xdg_toplevel@") && Has(line, sized.c_str())) {
                    resized = true;
                } else if (resized && Has(line, " -> wl_surface@") && Has(line, ".commit()")) {
                    start = start < 0 ? StampOf(line) : start;
                    if (StampOf(line) >= start + 2000) {
                        return true;
                    }
                    ++commits;
                }
            }
            return false;
        };
        ASSERT_TRUE(LogShows(log,
                             [&](const auto& lines) {
                                 twoSecondsCounted(lines);
                                 return start >= 0;
                             }))
            << size << "x" << size;
        const auto processorBefore = ProcessorTimeOf(saver.Pid());
        const auto before = std::chrono::steady_clock::now();
        EXPECT_TRUE(LogShows(log, twoSecondsCounted)) << size << "x" << size;
        const double share = (ProcessorTimeOf(saver.Pid()) - processorBefore) /
                             (std::chrono::steady_clock::now() - before);
        saver.Signal(SIGTERM);
        EXPECT_EQ(saver.ExitCode(), 0);
        std::printf("%sx%s: %d frames in two seconds, %.0f%% of a core\n", size.c_str(),
                    size.c_str(), commits, share * 100);
        EXPECT_GE(commits, 100) << size << "x" << size;
        EXPECT_LT(share, 0.5) << size << "x" << size;
    }
}
