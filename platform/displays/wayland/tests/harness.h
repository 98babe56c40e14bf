#pragma once

// A real Wayland compositor for the Linux program: sway, headless, started as an unprivileged
// user (it refuses to run as root), with screenshots by grim, keys by wtype and a virtual
// pointer of ours (pointer.cpp).

#include "app/tests/saver_process.h"
#include "app/tests/watching.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

inline std::string pointerProgram;     // wayland_pointer, from the command line
inline std::string plainWindowProgram; // wayland_plain_window, from the command line
constexpr int OutputWidth = 1280;
constexpr int OutputHeight = 720;
constexpr Area PlainWindow{540, 285, 740, 435}; // where sway puts another program's window

// The whole layout, or one output of it by name.
inline Snapshot Screenshot(const std::string& output = "") {
    // In the suite's own folder: two runs of the tests at once must not read each other's.
    const std::string path = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/shot.ppm";
    Snapshot picture;
    if (Shell("grim -t ppm " + (output.empty() ? "" : "-o " + output + " ") + path).first != 0) {
        return picture;
    }
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    int maximum = 0;
    file >> magic >> picture.width >> picture.height >> maximum;
    file.get();
    std::vector<unsigned char> bytes(static_cast<std::size_t>(picture.width) * picture.height * 3);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
        picture.pixels.push_back(std::uint32_t{bytes[i]} << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
    }
    return picture;
}

// Once the screen shows the figure in the area (5 s at most): by default the whole output, as
// full screen; sway draws a tiled window below its title bar, inside a border.
constexpr int TitleBar = 26;
constexpr Area WholeOutput{0, 0, OutputWidth, OutputHeight};
constexpr Area TiledWindow{2, TitleBar + 2, OutputWidth - 2, OutputHeight - 2};
inline ::testing::AssertionResult ScreenShowsTheFigure(const Area& area = WholeOutput) {
    return Within(
        5000ms, [&] { return ShowsTheFigure(Screenshot(), area); }, 100ms);
}

// Once the screen shows a frame committed after this call: the saver reads every event that
// reached it before it paints, so input sent before the call has been handled by then.
inline bool NewFrameShown() {
    const Snapshot before = Screenshot();
    return Within(3000ms, [&] { return Screenshot().pixels != before.pixels; });
}

// The virtual pointer: each command is taken by the compositor before the next.
class Pointer {
  public:
    Pointer() {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        pid = fork();
        if (pid == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            execl(pointerProgram.c_str(), pointerProgram.c_str(),
                  std::to_string(OutputWidth).c_str(), std::to_string(OutputHeight).c_str(),
                  nullptr);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        commands = fdopen(in[1], "w");
        answers = fdopen(out[0], "r");
    }
    ~Pointer() {
        std::fclose(commands);
        std::fclose(answers);
        waitpid(pid, nullptr, 0);
    }
    void Do(const std::string& command) {
        std::fprintf(commands, "%s\n", command.c_str());
        std::fflush(commands);
        char answer[8] = {};
        ASSERT_NE(std::fgets(answer, sizeof answer, answers), nullptr) << command;
    }

  private:
    pid_t pid = -1;
    FILE* commands = nullptr;
    FILE* answers = nullptr;
};

// A headless sway of its own (or one nested in another: `parent`, the other's socket path),
// started as nobody when the tests run as root: sway refuses to run as root.
struct Sway {
    pid_t pid = -1;
    std::string runtime; // its XDG_RUNTIME_DIR, its user's (as root, nobody's)
    std::string socket;  // the display socket's path
    std::string ipc;     // the IPC socket's path

    // `config`: what follows the outputs' resolution.
    static Sway Start(const std::string& config, const std::string& parent = "") {
        Sway sway;
        char folder[] = "/tmp/epiphase-sway-XXXXXX";
        sway.runtime = mkdtemp(folder);
        const std::string file = sway.runtime + "/config";
        std::ofstream(file) << "output * resolution " << OutputWidth << "x" << OutputHeight << "\n"
                            << config;
        const bool root = geteuid() == 0;
        if (root) { // sway runs as nobody, in a folder of its own
            chown(sway.runtime.c_str(), 65534, 65534);
            chmod(file.c_str(), 0644);
        }
        sway.pid = fork();
        if (sway.pid == 0) {
            const std::string log = sway.runtime + (parent.empty() ? "/../epiphase-sway.log"
                                                                   : "/../epiphase-nested.log");
            dup2(open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
            const std::string variable = "XDG_RUNTIME_DIR=" + sway.runtime;
            const std::string backend =
                parent.empty() ? "WLR_BACKENDS=headless" : "WLR_BACKENDS=wayland";
            const std::string display = "WAYLAND_DISPLAY=" + parent;
            std::vector<const char*> argv;
            if (root) {
                argv = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
            }
            argv.insert(argv.end(),
                        {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "SWAYSOCK",
                         variable.c_str(), backend.c_str(), "WLR_WL_OUTPUTS=2",
                         "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1"});
            if (!parent.empty()) {
                argv.push_back(display.c_str());
            }
            argv.insert(argv.end(), {"sway", "-c", file.c_str(), nullptr});
            execvp(argv[0], const_cast<char**>(argv.data()));
            _exit(127);
        }
        // The display socket and the IPC socket both.
        for (int attempt = 0; attempt < 100 && (sway.socket.empty() || sway.ipc.empty());
             ++attempt) {
            std::this_thread::sleep_for(50ms);
            for (const auto& entry : std::filesystem::directory_iterator(sway.runtime)) {
                const std::string name = entry.path().filename();
                if (name.starts_with("wayland-") && !name.ends_with(".lock")) {
                    sway.socket = entry.path();
                } else if (name.starts_with("sway-ipc.")) {
                    sway.ipc = entry.path();
                }
            }
        }
        return sway;
    }
    // The tests' clients (the saver, grim, swaymsg, wtype) talk to this one, by its sockets'
    // paths.
    void Choose() const {
        setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
        setenv("SWAYSOCK", ipc.c_str(), 1);
    }
    void Stop() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        std::filesystem::remove_all(runtime);
    }
};

// Keys typed into the chosen compositor come from a keyboard there all along, as a seat has:
// one that comes with the first key would be announced to the saver only after that key.
inline const std::vector<std::string> KeyboardAllAlong{"wtype", "-s", "86400000"};

class WaylandTest : public ::testing::Test {
  protected:
    // One compositor for every test of a suite. The other program's window floats in the
    // middle, with nothing drawn round it.
    static void SetUpTestSuite() {
        UseOwnRuntimeFolder();
        sway = Sway::Start("for_window [app_id=\"plain-window\"] floating enable, border none, "
                           "resize set " +
                           std::to_string(PlainWindow.right - PlainWindow.left) + " " +
                           std::to_string(PlainWindow.bottom - PlainWindow.top) +
                           ", move position " + std::to_string(PlainWindow.left) + " " +
                           std::to_string(PlainWindow.top) + "\n");
        sway.Choose();
        socket = sway.socket;
        keyboard.emplace(KeyboardAllAlong);
    }
    static void TearDownTestSuite() {
        keyboard.reset();
        sway.Stop();
        std::filesystem::remove_all(runtime);
    }
    // The tests and the program have a runtime folder of their own, the user's and closed to
    // others as a session's is.
    static void UseOwnRuntimeFolder() {
        char own[] = "/tmp/epiphase-wayland-XXXXXX";
        runtime = mkdtemp(own);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    void SetUp() override { ASSERT_FALSE(socket.empty()) << "sway did not start"; }

    static inline std::string runtime;
    static inline std::string socket; // the chosen compositor's path
    static inline Sway sway;
    static inline std::optional<Process> keyboard;
};
