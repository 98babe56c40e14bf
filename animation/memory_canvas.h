#pragma once

// An off-screen image of a target context's clip box, drawn in the target's logical coordinates
// and copied to the target in one blit when the canvas goes.

#include "animation/handle_owners.h"

class MemoryCanvas {
  public:
    explicit MemoryCanvas(HDC targetContext);
    ~MemoryCanvas();
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    HDC Context() const { return memory.Get(); }

  private:
    MemoryContextOwner memory;
    HDC target = nullptr;
    BitmapOwner bitmap;
    HGDIOBJ previousBitmap = nullptr;
    RECT area{0, 0, 0, 0};
};
