#pragma once

// The stand-in's GDI object table: every pen, brush, font, bitmap and device context lives here
// under a handle value that is never reused, so a stale handle is always recognised.

#include "platform/portable/raster.h"
#include "platform/portable/types.h"

#include <cstddef>
#include <memory>
#include <variant>

namespace portable {

class FontFace;

struct PenObject {
    COLORREF color = 0;
};
struct BrushObject {
    COLORREF color = 0;
};
struct FontObject {
    std::shared_ptr<const FontFace> face;
};
struct BitmapObject {
    Surface surface;
    HDC selectedInto = nullptr;
};

enum class DcKind { Memory, Window, Paint, Screen };

struct DcObject {
    DcKind kind = DcKind::Memory;
    HWND window = nullptr;      // window, paint and screen contexts
    RECT paintArea{0, 0, 0, 0}; // paint contexts: the update area, client coordinates
    HBITMAP bitmap = nullptr;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    POINT position{0, 0};
    POINT origin{0, 0}; // window origin: device = logical - origin
    bool hasClipRegion = false;
    RECT clipRegion{0, 0, 0, 0}; // device coordinates
    COLORREF textColor = 0;
    int backgroundMode = OPAQUE;
    // A memory context's target, kept between calls: it changes only with the bitmap and the
    // clip region, while a frame draws thousands of lines and pixels into it.
    mutable RasterTarget cachedTarget;
    mutable bool targetCached = false;
};

using GdiObject = std::variant<PenObject, BrushObject, FontObject, BitmapObject, DcObject>;

template <class T> T* FindGdiObject(const void* handle);
extern template PenObject* FindGdiObject<PenObject>(const void*);
extern template BrushObject* FindGdiObject<BrushObject>(const void*);
extern template FontObject* FindGdiObject<FontObject>(const void*);
extern template BitmapObject* FindGdiObject<BitmapObject>(const void*);
extern template DcObject* FindGdiObject<DcObject>(const void*);

HDC CreateDeviceContext(DcObject context);
// Deletes any kind of context and lets go of what it had selected.
void ReleaseDeviceContext(HDC dc);
// The pixels a context draws to, with the clip that applies (system area ∩ clip region).
RasterTarget TargetOf(const DcObject& context);
// The system part of the clip (before the clip region), in device coordinates.
RECT SystemClipOf(const DcObject& context);

std::size_t LiveGdiObjectCount();

} // namespace portable
