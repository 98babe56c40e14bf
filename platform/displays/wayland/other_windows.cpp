#include "platform/displays/wayland/other_windows.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace portable {

namespace {

// Beside the compositor's socket: $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY, or the path it names.
std::string LockPath(const std::string& className) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    std::string socket = display != nullptr && *display != '\0' ? display : "wayland-0";
    if (socket.front() != '/') {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        socket = std::string(runtime != nullptr ? runtime : "/tmp") + "/" + socket;
    }
    std::string name;
    for (const char c : className) { // a file name, whatever the class
        name += c == '/' ? '_' : c;
    }
    return socket + ".epiphase-" + name + ".lock";
}

} // namespace

int HoldWindowClassLock(const std::string& className) {
    const int file = open(LockPath(className).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (file >= 0 && flock(file, LOCK_EX | LOCK_NB) != 0) {
        close(file);
        return -1;
    }
    return file;
}

bool OtherProgramHoldsWindowClassLock(const std::string& className) {
    const int file = open(LockPath(className).c_str(), O_RDWR | O_CLOEXEC);
    if (file < 0) {
        return false; // never made: nobody has shown such a window
    }
    const bool held = flock(file, LOCK_EX | LOCK_NB) != 0;
    close(file); // lets go of it again if it was free
    return held;
}

} // namespace portable
