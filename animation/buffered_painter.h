#pragma once

// Double-buffered painting for a routed window: every paint draws one whole frame into an
// off-screen bitmap of the painted area and copies it to the window in one blit, and background
// erasing is refused, so the window never flickers. `Owner` supplies `window`, `clientRect` and
// `DrawFrame(HDC)`.

#include "animation/handle_owners.h"
#include "animation/memory_canvas.h"

template <class Owner> class BufferedPainter {
  public:
    // A device context may come with the message (WM_PRINTCLIENT); then it is drawn into as it
    // is, without BeginPaint and without clipping to the client rectangle.
    LRESULT PaintBuffered(WPARAM wParam) {
        Owner& owner = static_cast<Owner&>(*this);
        if (wParam != 0) {
            MemoryCanvas canvas(reinterpret_cast<HDC>(wParam));
            owner.DrawFrame(canvas.Context());
            return 0;
        }
        PaintOwner paint(owner.window);
        const RECT& client = owner.clientRect;
        IntersectClipRect(paint.Get(), client.left, client.top, client.right, client.bottom);
        {
            MemoryCanvas canvas(paint.Get());
            owner.DrawFrame(canvas.Context());
        }
        return 0;
    }

  protected:
    // The painter's entries of the message map.
    bool ProcessPaintMessage(UINT message, WPARAM wParam, LRESULT& result) {
        switch (message) {
        case WM_PAINT:
        case WM_PRINTCLIENT:
            result = PaintBuffered(wParam);
            return true;
        case WM_ERASEBKGND:
            result = 1; // nothing is erased: the next frame covers everything
            return true;
        default:
            return false;
        }
    }
};
