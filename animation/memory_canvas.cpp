#include "animation/memory_canvas.h"

MemoryCanvas::MemoryCanvas(HDC targetContext) : target(targetContext) {
    GetClipBox(target, &area);
    memory.Reset(CreateCompatibleDC(target));
    POINT corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
    LPtoDP(target, corners, 2);
    bitmap.Reset(CreateCompatibleBitmap(target, corners[1].x - corners[0].x,
                                        corners[1].y - corners[0].y));
    previousBitmap = SelectObject(memory.Get(), bitmap.Get());
    DPtoLP(target, corners, 2);
    area = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    // Drawing at the window's logical (x, y) lands on bitmap pixel (x - left, y - top).
    SetWindowOrgEx(memory.Get(), area.left, area.top, nullptr);
}

MemoryCanvas::~MemoryCanvas() {
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
           memory.Get(), area.left, area.top, SRCCOPY);
    SelectObject(memory.Get(), previousBitmap);
    bitmap.Release();
    memory.Release();
}
