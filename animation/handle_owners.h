#pragma once

// Small owners for the drawing handles a paint makes, so that each is released exactly once.

#include "platform/api.h"

#include <utility>

// A font or bitmap: deleted on release, and forgotten only once the deletion succeeded.
template <class Handle> class ObjectOwner {
  public:
    ObjectOwner() = default;
    explicit ObjectOwner(Handle owned) : handle(owned) {}
    ~ObjectOwner() { Release(); }
    ObjectOwner(const ObjectOwner&) = delete;
    ObjectOwner& operator=(const ObjectOwner&) = delete;

    Handle Get() const { return handle; }
    // Takes a new handle; the one held before is deleted first, whatever that reports.
    void Reset(Handle owned) {
        if (handle != nullptr) {
            DeleteObject(handle);
        }
        handle = owned;
    }
    void Release() {
        if (handle != nullptr && DeleteObject(handle)) {
            handle = nullptr;
        }
    }

  private:
    Handle handle = nullptr;
};

using FontOwner = ObjectOwner<HFONT>;
using BitmapOwner = ObjectOwner<HBITMAP>;

// A memory device context: forgotten first, then deleted.
class MemoryContextOwner {
  public:
    MemoryContextOwner() = default;
    ~MemoryContextOwner() { Release(); }
    MemoryContextOwner(const MemoryContextOwner&) = delete;
    MemoryContextOwner& operator=(const MemoryContextOwner&) = delete;

    HDC Get() const { return dc; }
    void Reset(HDC owned) {
        Release();
        dc = owned;
    }
    void Release() {
        if (dc != nullptr) {
            DeleteDC(std::exchange(dc, nullptr));
        }
    }

  private:
    HDC dc = nullptr;
};

// One paint of a window, from BeginPaint to EndPaint.
class PaintOwner {
  public:
    explicit PaintOwner(HWND painted) : window(painted), dc(BeginPaint(painted, &paint)) {}
    ~PaintOwner() { Release(); }
    PaintOwner(const PaintOwner&) = delete;
    PaintOwner& operator=(const PaintOwner&) = delete;

    HDC Get() const { return dc; }
    void Release() {
        if (dc != nullptr) {
            EndPaint(window, &paint);
            dc = nullptr;
        }
    }

  private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc;
};
