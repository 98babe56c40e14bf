#include "platform/displays/wayland/other_windows.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace portable {

namespace {

// Each trouble with the locks once a run, on one line: the saver goes on without the lock.
void SayOnce(const std::string& line) {
    static std::set<std::string> said;
    if (said.insert(line).second) {
        std::fprintf(stderr, "epiphase: %s\n", line.c_str());
    }
}

std::string FileName(const std::string& text) {
    std::string name;
    for (const char c : text) {
        name += c == '/' ? '_' : c;
    }
    return name;
}

// Named after the compositor's socket (a path given in WAYLAND_DISPLAY too: the socket's folder
// may be shared) and the window's class.
std::string LockName(const std::string& className) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const std::string socket = display != nullptr && *display != '\0' ? display : "wayland-0";
    return FileName(socket) + ".epiphase-" + FileName(className) + ".lock";
}

// The runtime folder, opened: only one of the user's own that no one else may enter holds the
// locks, where no other user can plant a file. -1 (said once) without one.
int OpenRuntimeFolder() {
    const char* path = std::getenv("XDG_RUNTIME_DIR");
    if (path == nullptr || *path == '\0') {
        SayOnce("no XDG_RUNTIME_DIR: another saver on this compositor goes unnoticed");
        return -1;
    }
    const int folder = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat status {};
    if (folder < 0 || fstat(folder, &status) != 0 || status.st_uid != geteuid() ||
        (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        if (folder >= 0) {
            close(folder);
        }
        SayOnce("XDG_RUNTIME_DIR '" + std::string(path) +
                "' is no folder of this user's closed to others: another saver on this "
                "compositor goes unnoticed");
        return -1;
    }
    return folder;
}

// The lock file, made where `create`; -1 when there is none or it is not to be trusted (said).
// Never followed through a link, never a file that another user could have made or can write.
int OpenLock(const std::string& className, bool create) {
    const int folder = OpenRuntimeFolder();
    if (folder < 0) {
        return -1;
    }
    const std::string name = LockName(className);
    // Only read: nothing is ever written to it. Not blocking on a planted pipe.
    const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (create ? O_CREAT : 0);
    const int file = openat(folder, name.c_str(), flags, 0600);
    const int openError = errno;
    close(folder);
    const std::string refused = "refused the lock " + name +
                                " in XDG_RUNTIME_DIR: not a plain file of this user's that only "
                                "it may write";
    if (file < 0) {
        if (openError == ELOOP || openError == EISDIR) { // a link or a folder in its place
            SayOnce(refused);
        } else if (create || openError != ENOENT) {
            SayOnce("cannot make the lock " + name +
                    " in XDG_RUNTIME_DIR: " + std::strerror(openError));
        }
        return -1;
    }
    struct stat status {};
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid() ||
        (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        close(file);
        SayOnce(refused);
        return -1;
    }
    return file;
}

} // namespace

int HoldWindowClassLock(const std::string& className) {
    const int file = OpenLock(className, true);
    if (file >= 0 && flock(file, LOCK_EX | LOCK_NB) != 0) {
        close(file);
        return -1;
    }
    return file;
}

bool OtherProgramHoldsWindowClassLock(const std::string& className) {
    const int file = OpenLock(className, false);
    if (file < 0) {
        return false; // never made (nobody has shown such a window), or not one of ours
    }
    const bool held = flock(file, LOCK_EX | LOCK_NB) != 0;
    close(file); // lets go of it again if it was free
    return held;
}

} // namespace portable
