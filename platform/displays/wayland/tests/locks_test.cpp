// The full-screen saver's lock on a shared machine (harness.h): a lock file that another user
// could have planted, or a link in its place, is refused on one line and the saver runs all the
// same; without a private runtime folder there is no lock, and nothing is written elsewhere.

#include "platform/displays/wayland/tests/harness.h"

#include <functional>
#include <optional>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>

namespace {

constexpr uid_t Nobody = 65534;

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename());
    }
    return names;
}

std::string NewFolder(const char* pattern) {
    std::string path = pattern;
    return mkdtemp(path.data());
}

// A connection to the compositor's socket at `path`, to be handed over (WAYLAND_SOCKET).
int ConnectionTo(const std::string& path) {
    const int connection = socket(AF_UNIX, SOCK_STREAM, 0); // inherited
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
               ? connection
               : -1;
}

// Shows the figure full screen until SIGTERM ends it with 0, having said exactly one line; then
// the figure has left the screen, so that the next saver's is its own.
void RunsSayingOneLine(std::optional<Saver>& saver, const std::string& errors,
                       const std::string& what) {
    EXPECT_TRUE(ScreenShowsTheFigure() && saver->Running()) << what;
    saver->Signal(SIGTERM);
    EXPECT_EQ(saver->ExitCode(), 0) << what;
    const std::vector<std::string> lines = LinesOf(errors);
    EXPECT_EQ(lines.size(), 1U) << what;
    EXPECT_TRUE(!lines.empty() && lines[0].starts_with("epiphase: ")) << what;
    saver.reset();
    EXPECT_TRUE(Within(
        5000ms, [] { return !ShowsTheFigure(Screenshot(), WholeOutput); }, 100ms))
        << what;
}

} // namespace

TEST_F(WaylandTest, ALockFileThatIsNotTheUsersOwnIsRefusedOnOneLineAndTheSaverRunsAllTheSame) {
    // Where the saver keeps its lock: the file that appears in the runtime folder while it runs.
    for (const std::string& name : NamesIn(runtime)) {
        if (name.ends_with(".lock")) {
            std::filesystem::remove(runtime + "/" + name);
        }
    }
    std::string lock;
    {
        Saver saver({"/s"});
        ASSERT_TRUE(ScreenShowsTheFigure());
        for (const std::string& name : NamesIn(runtime)) {
            lock = name.ends_with(".lock") ? runtime + "/" + name : lock;
        }
        saver.Signal(SIGTERM);
        ASSERT_EQ(saver.ExitCode(), 0);
    }
    ASSERT_FALSE(lock.empty());
    const std::string elsewhere = NewFolder("/tmp/epiphase-elsewhere-XXXXXX");
    const std::string target = elsewhere + "/target";
    const std::string planted = "planted\n";
    const auto file = [&](mode_t mode, uid_t owner) {
        std::ofstream(lock) << planted;
        return chmod(lock.c_str(), mode) == 0 && chown(lock.c_str(), owner, owner) == 0;
    };
    const bool root = geteuid() == 0;
    const std::vector<std::tuple<std::string, bool, std::function<bool()>>> plants{
        {"another user's file, writable by all", root, [&] { return file(0666, Nobody); }},
        {"another user's file, written by it alone", root, [&] { return file(0644, Nobody); }},
        {"the user's own file, writable by all", true, [&] { return file(0666, geteuid()); }},
        {"a link to a file elsewhere", true,
         [&] { return symlink(target.c_str(), lock.c_str()) == 0; }},
        {"a pipe", true, [&] { return mkfifo(lock.c_str(), 0600) == 0; }},
        {"a folder", true, [&] { return mkdir(lock.c_str(), 0700) == 0; }},
    };
    for (const auto& [what, possible, plant] : plants) {
        if (!possible) {
            std::printf("not run: %s (the tests run as root to plant it)\n", what.c_str());
            continue;
        }
        std::filesystem::remove(lock);
        ASSERT_TRUE(plant()) << what;
        struct stat planting {};
        lstat(lock.c_str(), &planting);
        const std::string errors = runtime + "/errors";
        std::optional<Saver> saver;
        saver.emplace(std::vector<std::string>{"/s"}, std::vector<std::string>{}, errors);
        RunsSayingOneLine(saver, errors, what);
        EXPECT_FALSE(std::filesystem::exists(target)) << what;
        struct stat after {};
        lstat(lock.c_str(), &after);
        EXPECT_EQ(after.st_uid, planting.st_uid) << what;
        if (S_ISREG(planting.st_mode)) {
            std::ifstream kept(lock);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), planted) << what;
        }
    }
    std::filesystem::remove(lock);
    std::filesystem::remove_all(elsewhere);
}

// A shared folder, as /tmp is, holding a link to the compositor's socket: the lock is never
// made in it, nor in /tmp, whether or not it is the runtime folder.
TEST_F(WaylandTest, WithoutAPrivateRuntimeFolderItRunsWithoutALockWritingNothingElsewhere) {
    const std::string shared = NewFolder("/tmp/epiphase-shared-XXXXXX");
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    const std::string link = shared + "/wayland-link";
    ASSERT_EQ(symlink(socket.c_str(), link.c_str()), 0);
    const std::string othersFolder = NewFolder("/tmp/epiphase-others-XXXXXX");
    const bool root = geteuid() == 0;
    ASSERT_TRUE(!root || chown(othersFolder.c_str(), Nobody, Nobody) == 0);
    // Named so that anything made in /tmp after it would be seen.
    const std::string handedOverName = "epiphase-handed-over-" + std::to_string(getpid());
    int handedOver = ConnectionTo(socket); // handed to the first case, then closed
    ASSERT_GE(handedOver, 0);
    const std::string linkDisplay = "WAYLAND_DISPLAY=" + link;
    const std::vector<std::tuple<std::string, bool, std::vector<std::string>>> cases{
        {"the socket handed over, no XDG_RUNTIME_DIR",
         true,
         {"XDG_RUNTIME_DIR", "WAYLAND_SOCKET=" + std::to_string(handedOver),
          "WAYLAND_DISPLAY=" + handedOverName}},
        {"the socket's path in a shared folder, no XDG_RUNTIME_DIR",
         true,
         {"XDG_RUNTIME_DIR", linkDisplay}},
        {"XDG_RUNTIME_DIR open to others", true, {"XDG_RUNTIME_DIR=" + shared, linkDisplay}},
        {"XDG_RUNTIME_DIR another user's", root, {"XDG_RUNTIME_DIR=" + othersFolder, linkDisplay}},
    };
    const std::string errors = runtime + "/errors";
    for (const auto& [what, possible, environment] : cases) {
        if (!possible) {
            std::printf("not run: %s (the tests run as root to make it)\n", what.c_str());
            continue;
        }
        std::optional<Saver> saver;
        saver.emplace(std::vector<std::string>{"--backend", "wayland", "/s"}, environment, errors);
        if (handedOver >= 0) { // the saver's own from now on
            close(std::exchange(handedOver, -1));
        }
        RunsSayingOneLine(saver, errors, what);
        EXPECT_EQ(NamesIn(shared), std::set<std::string>{"wayland-link"}) << what;
        EXPECT_TRUE(NamesIn(othersFolder).empty()) << what;
        for (const std::string& name : NamesIn("/tmp")) {
            EXPECT_FALSE(name.starts_with(handedOverName)) << what << ": /tmp/" << name;
        }
    }
    std::filesystem::remove_all(shared);
    std::filesystem::remove_all(othersFolder);
}

// A compositor handed over under a name too long for a file: no lock can be made, which is said.
TEST_F(WaylandTest, ALockThatCannotBeMadeIsSaidOnOneLineAndTheSaverRunsAllTheSame) {
    const int handedOver = ConnectionTo(socket);
    ASSERT_GE(handedOver, 0);
    const std::string errors = runtime + "/errors";
    std::optional<Saver> saver;
    saver.emplace(std::vector<std::string>{"--backend", "wayland", "/s"},
                  std::vector<std::string>{"WAYLAND_SOCKET=" + std::to_string(handedOver),
                                           "WAYLAND_DISPLAY=" + std::string(250, 'w')},
                  errors);
    close(handedOver);
    RunsSayingOneLine(saver, errors, "a name too long");
}
