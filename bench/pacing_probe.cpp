// Watches a running full-screen saver from outside, as another X client: counts the frames that
// reach its window (one damage report per presented image) and reads the CPU time the saver
// and the X server spent meanwhile. Run by pacing_bench.sh.
//
//   pacing_probe SAVER-PID XSERVER-PID SECONDS [root]
//
// With "root", the frames counted are those drawn on the root window (-root).

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// User plus system CPU seconds of a process so far, from /proc/PID/stat.
double CpuSeconds(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t afterName = line.rfind(')'); // the name may hold spaces
    if (afterName == std::string::npos) {
        return 0.0;
    }
    // Fields 14 and 15 (utime, stime); the text after ')' starts at field 3.
    const char* field = line.c_str() + afterName + 2;
    for (int skipped = 3; skipped < 14; ++skipped) {
        field = std::strchr(field, ' ') + 1;
    }
    char* end = nullptr;
    const double user = std::strtod(field, &end);
    const double system = std::strtod(end, nullptr);
    return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The saver's window: a child of the root of the saver's window class.
Window SaverWindow(Display* display) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        XClassHint names{};
        if (XGetClassHint(display, children[i], &names) != 0) {
            if (std::strcmp(names.res_class, "WindowsScreenSaverClass") == 0) {
                found = children[i];
            }
            XFree(names.res_name);
            XFree(names.res_class);
        }
    }
    XFree(children);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    const bool onRoot = argc == 5 && std::strcmp(argv[4], "root") == 0;
    if (argc != 4 && !onRoot) {
        std::fprintf(stderr, "usage: pacing_probe SAVER-PID XSERVER-PID SECONDS [root]\n");
        return 2;
    }
    const std::string saverPid = argv[1], serverPid = argv[2];
    const double seconds = std::atof(argv[3]);
    Display* display = XOpenDisplay(nullptr);
    int eventBase = 0, errorBase = 0;
    if (display == nullptr || !XDamageQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "pacing_probe: no X display with the DAMAGE extension\n");
        return 1;
    }
    Window window = 0;
    for (int attempt = 0; attempt < 100 && window == 0; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        window = onRoot ? DefaultRootWindow(display) : SaverWindow(display);
    }
    if (window == 0) {
        std::fprintf(stderr, "pacing_probe: no saver window appeared\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1)); // past the start
    XDamageCreate(display, window, XDamageReportRawRectangles);
    XSync(display, False);

    long frames = 0;
    const double saverBefore = CpuSeconds(saverPid), serverBefore = CpuSeconds(serverPid);
    const Clock::time_point start = Clock::now();
    const Clock::time_point end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == eventBase + XDamageNotify &&
                !reinterpret_cast<XDamageNotifyEvent&>(event).more) {
                ++frames;
            }
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 10);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double saverCpu = CpuSeconds(saverPid) - saverBefore;
    const double serverCpu = CpuSeconds(serverPid) - serverBefore;
    std::printf("%.1f frames/s, saver %.1f%% of a core, X server %.1f%% of a core (%.1f s)\n",
                static_cast<double>(frames) / elapsed, 100.0 * saverCpu / elapsed,
                100.0 * serverCpu / elapsed, elapsed);
    XCloseDisplay(display);
    return 0;
}
