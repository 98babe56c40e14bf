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

// Changes to the test's environment for the programs it starts meanwhile, undone as it goes.
class Environment {
  public:
    Environment& Set(const std::string& name, const std::string& value) {
        Keep(name);
        setenv(name.c_str(), value.c_str(), 1);
        return *this;
    }
    Environment& Unset(const std::string& name) {
        Keep(name);
        unsetenv(name.c_str());
        return *this;
    }
    ~Environment() {
        for (auto kept = before.rbegin(); kept != before.rend(); ++kept) {
            if (kept->second) {
                setenv(kept->first.c_str(), kept->second->c_str(), 1);
            } else {
                unsetenv(kept->first.c_str());
            }
        }
    }

  private:
    void Keep(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        before.emplace_back(name,
                            value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> before;
};

// Shows the figure full screen until SIGTERM ends it with 0, having said exactly one line; then
// the figure has left the screen, so that the next saver's is its own.
void RunsSayingOneLine(std::optional<Saver>& saver, const std::string& errors,
                       const std::string& what) {
    EXPECT_TRUE(FullScreenShowsTheFigure() && saver->Running()) << what;
    saver->Signal(SIGTERM);
    EXPECT_EQ(saver->ExitCode(), 0) << what;
    const std::vector<std::string> lines = LinesOf(errors);
    EXPECT_EQ(lines.size(), 1U) << what;
    EXPECT_TRUE(!lines.empty() && lines[0].starts_with("epiphase: ")) << what;
    saver.reset();
    bool gone = false;
    for (int attempt = 0; attempt < 50 && !gone; ++attempt, std::this_thread::sleep_for(100ms)) {
        gone = !ShowsTheFigure(Screenshot(), 0, 0, OutputWidth, OutputHeight);
    }
    EXPECT_TRUE(gone) << what;
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
        ASSERT_TRUE(FullScreenShowsTheFigure());
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
        saver.emplace(std::vector<std::string>{"/s"}, "", errors);
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
    int handedOver = -1; // the test's end of the connection it hands over, closed once handed
    struct Case {
        std::string what;
        bool possible;
        std::function<void(Environment&)> change;
    };
    const std::vector<Case> cases{
        {"the socket handed over, no XDG_RUNTIME_DIR", true,
         [&](Environment& e) {
             handedOver = ConnectionTo(socket);
             ASSERT_GE(handedOver, 0);
             e.Unset("XDG_RUNTIME_DIR")
                 .Set("WAYLAND_SOCKET", std::to_string(handedOver))
                 .Set("WAYLAND_DISPLAY", handedOverName);
         }},
        {"the socket's path in a shared folder, no XDG_RUNTIME_DIR", true,
         [&](Environment& e) { e.Unset("XDG_RUNTIME_DIR").Set("WAYLAND_DISPLAY", link); }},
        {"XDG_RUNTIME_DIR open to others", true,
         [&](Environment& e) { e.Set("XDG_RUNTIME_DIR", shared).Set("WAYLAND_DISPLAY", link); }},
        {"XDG_RUNTIME_DIR another user's", root,
         [&](Environment& e) {
             e.Set("XDG_RUNTIME_DIR", othersFolder).Set("WAYLAND_DISPLAY", link);
         }},
    };
    const std::string errors = runtime + "/errors";
    for (const Case& c : cases) {
        if (!c.possible) {
            std::printf("not run: %s (the tests run as root to make it)\n", c.what.c_str());
            continue;
        }
        std::optional<Saver> saver;
        {
            Environment changed;
            c.change(changed);
            saver.emplace(std::vector<std::string>{"--backend", "wayland", "/s"}, "", errors);
        }
        if (handedOver >= 0) {
            close(std::exchange(handedOver, -1));
        }
        RunsSayingOneLine(saver, errors, c.what);
        EXPECT_EQ(NamesIn(shared), std::set<std::string>{"wayland-link"}) << c.what;
        EXPECT_TRUE(NamesIn(othersFolder).empty()) << c.what;
        for (const std::string& name : NamesIn("/tmp")) {
            EXPECT_FALSE(name.starts_with(handedOverName)) << c.what << ": /tmp/" << name;
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
    {
        Environment changed;
        changed.Set("WAYLAND_SOCKET", std::to_string(handedOver))
            .Set("WAYLAND_DISPLAY", std::string(250, 'w'));
        saver.emplace(std::vector<std::string>{"--backend", "wayland", "/s"}, "", errors);
    }
    close(handedOver);
    RunsSayingOneLine(saver, errors, "a name too long");
}
