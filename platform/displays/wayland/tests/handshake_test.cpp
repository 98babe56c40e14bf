// A compositor that takes the connection and never answers (a socket of the test's own): the
// program gives up after its bound with one line and exit code 1, and an end signal ends it at
// once while it waits.

#include "platform/displays/wayland/tests/harness.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace {

class SilentCompositor {
  public:
    SilentCompositor() {
        char pattern[] = "/tmp/epiphase-silent-XXXXXX";
        folder = mkdtemp(pattern);
        path = folder + "/wayland-silent";
        listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener, 1);
    }
    ~SilentCompositor() {
        close(client);
        close(listener);
        std::filesystem::remove_all(folder);
    }
    // Once a client has connected and sent its first request (5 s at most): it waits for an
    // answer from then on.
    bool Asked() {
        pollfd waiting{listener, POLLIN, 0};
        if (poll(&waiting, 1, 5000) != 1) {
            return false;
        }
        client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        pollfd request{client, POLLIN, 0};
        return client >= 0 && poll(&request, 1, 5000) == 1;
    }

    std::string folder;
    std::string path;

  private:
    int listener = -1;
    int client = -1;
};

std::string ErrorsOf(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), {}};
}

} // namespace

TEST(WaylandHandshake, ACompositorThatNeverAnswersEndsItWithOneLineAndExitCodeOneAfterFiveSeconds) {
    SilentCompositor silent;
    const std::string errors = silent.folder + "/errors";
    Saver saver({"--backend", "wayland", "/s"}, {"WAYLAND_DISPLAY=" + silent.path}, errors);
    ASSERT_TRUE(silent.Asked());
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(saver.ExitCode(15000ms), 1);
    const auto took = std::chrono::steady_clock::now() - asked;
    std::printf("gave up %lld ms after the first request\n", static_cast<long long>(took / 1ms));
    EXPECT_EQ(ErrorsOf(errors),
              "epiphase: the Wayland compositor at '" + silent.path + "' does not answer\n");
}

TEST(WaylandHandshake, AnEndSignalEndsItAtOnceWhileItWaitsForTheCompositor) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SilentCompositor silent;
        const std::string errors = silent.folder + "/errors";
        Saver saver({"--backend", "wayland", "/s"}, {"WAYLAND_DISPLAY=" + silent.path}, errors);
        ASSERT_TRUE(silent.Asked());
        saver.Signal(signal);
        const auto sent = std::chrono::steady_clock::now();
        EXPECT_EQ(saver.ExitCode(2000ms), 0) << signal;
        const auto took = std::chrono::steady_clock::now() - sent;
        std::printf("signal %d: ended %lld ms after it\n", signal,
                    static_cast<long long>(took / 1ms));
        EXPECT_EQ(ErrorsOf(errors), "") << signal;
    }
}
