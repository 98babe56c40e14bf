// Drawing through device contexts: logical to device coordinates, clipping, lines, pixels,
// fills and blits.

#include "platform/portable/controls.h"
#include "platform/portable/gdi.h"
#include "platform/portable/gdi_objects.h"
#include "platform/portable/user.h"

#include <utility>

using namespace portable;

namespace {

POINT ToDevice(const DcObject& context, int x, int y) {
    return {x - context.origin.x, y - context.origin.y};
}

std::vector<DrawCall>* drawCallSink = nullptr;

[[gnu::noinline]] void Append(DrawCall::Kind kind, const DcObject& context, int x, int y,
                             COLORREF color) {
    drawCallSink->push_back({kind, {x, y}, context.pen, color});
}

// Drawing is recorded only while a test looks; otherwise this costs one test per call.
inline void Record(DrawCall::Kind kind, const DcObject& context, int x, int y, COLORREF color) {
    if (drawCallSink != nullptr) [[unlikely]] {
        Append(kind, context, x, y, color);
    }
}

// The pixel at a logical point, or null where the context may not draw.
const std::uint32_t* ClippedPixel(const DcObject& context, int x, int y) {
    const RasterTarget target = TargetOf(context);
    const POINT device = ToDevice(context, x, y);
    const std::int64_t px = std::int64_t{device.x} + target.offset.x;
    const std::int64_t py = std::int64_t{device.y} + target.offset.y;
    if (target.surface == nullptr || px < target.clip.left || px >= target.clip.right ||
        py < target.clip.top || py >= target.clip.bottom) {
        return nullptr;
    }
    return target.surface->Row(static_cast<int>(py)) + px;
}

} // namespace

void portable::RecordDrawCalls(std::vector<DrawCall>* sink) { drawCallSink = sink; }

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = context->position;
    }
    context->position = {x, y};
    Record(DrawCall::Kind::MoveTo, *context, x, y, 0);
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr) {
        return FALSE;
    }
    const PenObject* pen = FindGdiObject<PenObject>(context->pen);
    const POINT from = ToDevice(*context, context->position.x, context->position.y);
    const POINT to = ToDevice(*context, x, y);
    if (pen != nullptr) {
        DrawDeviceLine(TargetOf(*context), from.x, from.y, to.x, to.y, pen->color);
        Record(DrawCall::Kind::LineTo, *context, x, y, pen->color);
    }
    context->position = {x, y};
    return TRUE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr) {
        return CLR_INVALID;
    }
    Record(DrawCall::Kind::SetPixel, *context, x, y, color & 0xFFFFFFu);
    const POINT device = ToDevice(*context, x, y);
    return SetDevicePixel(TargetOf(*context), device.x, device.y, color) ? color & 0xFFFFFFu
                                                                         : CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    const std::uint32_t* pixel = context ? ClippedPixel(*context, x, y) : nullptr;
    return pixel ? ColorFromPixel(*pixel) : CLR_INVALID;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    const BrushObject* fill = FindGdiObject<BrushObject>(brush);
    if (context == nullptr || fill == nullptr || rect == nullptr) {
        return 0;
    }
    POINT topLeft = ToDevice(*context, rect->left, rect->top);
    POINT bottomRight = ToDevice(*context, rect->right, rect->bottom);
    // A reversed rectangle is filled mirrored: the far edge goes in and the near one out, as
    // GDI's blit of a negative extent does.
    if (topLeft.x > bottomRight.x) {
        topLeft.x = std::exchange(bottomRight.x, topLeft.x + 1) + 1;
    }
    if (topLeft.y > bottomRight.y) {
        topLeft.y = std::exchange(bottomRight.y, topLeft.y + 1) + 1;
    }
    FillDeviceRect(TargetOf(*context), {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y},
                   fill->color);
    return 1;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr) {
        return ERROR;
    }
    // The clip region is kept in device coordinates: a later origin change does not move it.
    const POINT topLeft = ToDevice(*context, left, top);
    const POINT bottomRight = ToDevice(*context, right, bottom);
    const RECT added{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    context->clipRegion = context->hasClipRegion ? IntersectRects(context->clipRegion, added) : added;
    context->hasClipRegion = true;
    context->targetCached = false;
    const RECT effective = IntersectRects(SystemClipOf(*context), context->clipRegion);
    return IsEmptyRect(effective) ? NULLREGION : SIMPLEREGION;
}

int GetClipBox(HDC dc, LPRECT rect) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr || rect == nullptr) {
        return ERROR;
    }
    RECT box = SystemClipOf(*context);
    if (context->hasClipRegion) {
        box = IntersectRects(box, context->clipRegion);
    }
    if (IsEmptyRect(box)) {
        *rect = {0, 0, 0, 0};
        return NULLREGION;
    }
    *rect = {box.left + context->origin.x, box.top + context->origin.y,
             box.right + context->origin.x, box.bottom + context->origin.y};
    return SIMPLEREGION;
}

BOOL LPtoDP(HDC dc, LPPOINT points, int count) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr || points == nullptr) {
        return FALSE;
    }
    for (int i = 0; i < count; ++i) {
        points[i] = ToDevice(*context, points[i].x, points[i].y);
    }
    return TRUE;
}

BOOL DPtoLP(HDC dc, LPPOINT points, int count) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr || points == nullptr) {
        return FALSE;
    }
    for (int i = 0; i < count; ++i) {
        points[i] = {points[i].x + context->origin.x, points[i].y + context->origin.y};
    }
    return TRUE;
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr) {
        return FALSE;
    }
    const POINT old = std::exchange(context->origin, POINT{x, y});
    if (previous != nullptr) {
        *previous = old;
    }
    return TRUE;
}

BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
            int sourceY, DWORD rop) {
    const DcObject* to = FindGdiObject<DcObject>(target);
    const DcObject* from = FindGdiObject<DcObject>(source);
    if (to == nullptr || from == nullptr || rop != SRCCOPY) {
        return FALSE;
    }
    // Each side converts its own coordinates with its own window origin.
    const POINT toDevice = ToDevice(*to, x, y);
    const POINT fromDevice = ToDevice(*from, sourceX, sourceY);
    CopyDeviceRect(TargetOf(*to), toDevice.x, toDevice.y, width, height, TargetOf(*from),
                   fromDevice.x, fromDevice.y);
    return TRUE;
}
