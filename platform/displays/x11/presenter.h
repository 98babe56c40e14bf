#pragma once

// The X11 back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_X11
#error "a header of the X11 back end outside it"
#endif

// Finished pixels shown in X windows. Where the server runs on this machine and takes memory
// handed over as a file descriptor (MIT-SHM 1.2), surfaces of a window's size live in memory
// it reads directly, so a frame is presented without a copy, and the memory is gone with the
// process whenever it ends. Elsewhere, and in windows whose pixel format is not the surfaces',
// the pixels are copied into an image of the window's own format and sent with a plain put.

#include "platform/displays/x11/connection.h"
#include "platform/portable/raster.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace portable {

class X11Presenter {
  public:
    X11Presenter(X11Connection& connection, bool useSharedMemory);
    ~X11Presenter();
    X11Presenter(const X11Presenter&) = delete;
    X11Presenter& operator=(const X11Presenter&) = delete;

    bool UsesSharedMemory() const { return shm; }
    // Whether pictures can be shown in the window; if not, why, on one line.
    bool CanServe(::Window window, std::string& why);
    void Put(::Window window, const Surface& surface, const RECT& area);
    // Whether the event was the completion of a shared put; it is taken whatever the state.
    bool TakeCompletion(const XEvent& event);
    // The window is gone or given up: no put to it is waited for any more.
    void Forget(::Window window);
    // Memory for a new surface, shared with the server where it can be; null for plain memory.
    std::shared_ptr<PixelMemory> NewPixels(int width, int height);

    class SharedPixels;
    // The server is done reading shared pixels before they are written again.
    void WaitForPut(const SharedPixels& pixels);

  private:
    struct Target;
    Target& TargetOf(::Window window);
    void WaitForPlainPut(Target& target);
    void PutCopy(::Window window, Target& target, const Surface& surface, const RECT& area);

    X11Connection& connection;
    bool shm = false;
    int completionEvent = -1;
    std::map<::Window, std::unique_ptr<Target>> targets;
    std::set<SharedPixels*> shared;
};

} // namespace portable
