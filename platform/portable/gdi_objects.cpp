#include "platform/portable/gdi_objects.h"

#include "platform/portable/display.h"
#include "platform/portable/gdi.h"
#include "platform/portable/text.h"
#include "platform/portable/window_manager.h"

#include <deque>
#include <optional>
#include <vector>
#include <utility>

namespace portable {
namespace {

struct GdiEntry {
    GdiObject object;
    bool stock = false;
    bool deletePending = false; // deleted while selected: goes when deselected
    int selections = 0;
};

struct StockObjects {
    HBRUSH blackBrush = nullptr;
    HPEN blackPen = nullptr;
    HFONT systemFont = nullptr;
    HBITMAP monochromeBitmap = nullptr; // the 1×1 bitmap of every new memory context
};

// Objects live in slots; a handle names a slot and the generation of its occupant, so that a
// handle to a deleted object stays invalid after its slot is reused.
struct GdiTable {
    static constexpr std::uintptr_t HandleBase = 0x10000;
    static constexpr unsigned IndexBits = 24;

    struct Slot {
        std::optional<GdiEntry> entry;
        std::uintptr_t generation = 0;
    };
    std::deque<Slot> slots; // grows without moving what it holds
    std::vector<std::size_t> freeSlots;
    std::size_t liveCount = 0;
    std::size_t stockCount = 0;
    StockObjects stock;

    GdiTable() {
        BitmapObject oneByOne;
        oneByOne.surface.Resize(1, 1);
        stock.blackBrush = static_cast<HBRUSH>(Add(BrushObject{RGB(0, 0, 0)}, true));
        stock.blackPen = static_cast<HPEN>(Add(PenObject{RGB(0, 0, 0)}, true));
        stock.systemFont = static_cast<HFONT>(Add(FontObject{DefaultFontFace()}, true));
        stock.monochromeBitmap = static_cast<HBITMAP>(Add(std::move(oneByOne), true));
    }

    Slot* SlotOf(const void* handle) {
        const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
        if (value < HandleBase || (value - HandleBase) % 4 != 0) {
            return nullptr;
        }
        const std::uintptr_t key = (value - HandleBase) / 4;
        const std::size_t index = key & ((std::uintptr_t{1} << IndexBits) - 1);
        if (index >= slots.size() || slots[index].generation != key >> IndexBits ||
            !slots[index].entry) {
            return nullptr;
        }
        return &slots[index];
    }
    GdiEntry* Find(const void* handle) {
        Slot* slot = SlotOf(handle);
        return slot ? &*slot->entry : nullptr;
    }
    void* Add(GdiObject object, bool isStock = false) {
        std::size_t index = slots.size();
        if (!freeSlots.empty()) {
            index = freeSlots.back();
            freeSlots.pop_back();
            ++slots[index].generation;
        } else {
            slots.emplace_back();
        }
        slots[index].entry.emplace(GdiEntry{std::move(object), isStock});
        ++liveCount;
        stockCount += isStock ? 1 : 0;
        const std::uintptr_t key = slots[index].generation << IndexBits | index;
        return reinterpret_cast<void*>(HandleBase + key * 4);
    }
    void Remove(const void* handle) {
        Slot* slot = SlotOf(handle);
        slot->entry.reset();
        freeSlots.push_back(static_cast<std::size_t>(
            (reinterpret_cast<std::uintptr_t>(handle) - HandleBase) / 4 &
            ((std::uintptr_t{1} << IndexBits) - 1)));
        --liveCount;
    }
};

[[gnu::always_inline]] inline GdiTable& Table() {
    // Never destroyed: exit handlers (the application object's) still delete their objects.
    static GdiTable& table = *new GdiTable;
    return table;
}

const StockObjects& Stock() { return Table().stock; }

void Erase(const void* handle) { Table().Remove(handle); }

// One selection fewer; a pending deletion happens now if nothing selects it any more.
void Deselect(const void* handle, HDC from) {
    GdiEntry* entry = Table().Find(handle);
    if (entry == nullptr) {
        return;
    }
    --entry->selections;
    if (auto* bitmap = std::get_if<BitmapObject>(&entry->object); bitmap && bitmap->selectedInto == from) {
        bitmap->selectedInto = nullptr;
    }
    if (entry->deletePending && entry->selections == 0) {
        Erase(handle);
    }
}

void Select(const void* handle) { ++Table().Find(handle)->selections; }

} // namespace

template <class T> T* FindGdiObject(const void* handle) {
    GdiEntry* entry = Table().Find(handle);
    return entry == nullptr ? nullptr : std::get_if<T>(&entry->object);
}
template PenObject* FindGdiObject<PenObject>(const void*);
template BrushObject* FindGdiObject<BrushObject>(const void*);
template FontObject* FindGdiObject<FontObject>(const void*);
template BitmapObject* FindGdiObject<BitmapObject>(const void*);
template DcObject* FindGdiObject<DcObject>(const void*);

HDC CreateDeviceContext(DcObject context) {
    const StockObjects& stock = Stock();
    context.pen = stock.blackPen;
    context.brush = stock.blackBrush; // Windows' default is white; the saver never relies on it
    context.font = stock.systemFont;
    if (context.kind == DcKind::Memory) {
        context.bitmap = stock.monochromeBitmap;
    }
    for (const void* selected : {static_cast<const void*>(context.pen),
                                 static_cast<const void*>(context.brush),
                                 static_cast<const void*>(context.font),
                                 static_cast<const void*>(context.bitmap)}) {
        if (selected != nullptr) {
            Select(selected);
        }
    }
    return static_cast<HDC>(Table().Add(std::move(context)));
}

RECT SystemClipOf(const DcObject& context) {
    switch (context.kind) {
    case DcKind::Memory: {
        const BitmapObject* bitmap = FindGdiObject<BitmapObject>(context.bitmap);
        return bitmap ? RECT{0, 0, bitmap->surface.width, bitmap->surface.height} : RECT{};
    }
    case DcKind::Paint:
        return context.paintArea;
    case DcKind::Window:
    case DcKind::Screen:
        break;
    }
    return WindowClientArea(context.window);
}

RasterTarget TargetOf(const DcObject& context) {
    if (context.targetCached) {
        return context.cachedTarget;
    }
    RasterTarget target;
    RECT clip = SystemClipOf(context);
    if (context.hasClipRegion) {
        clip = IntersectRects(clip, context.clipRegion);
    }
    if (context.kind == DcKind::Memory) {
        BitmapObject* bitmap = FindGdiObject<BitmapObject>(context.bitmap);
        target.surface = bitmap ? &bitmap->surface : nullptr;
    } else {
        WindowSurface(context.window, target.surface, target.offset);
    }
    if (target.surface != nullptr) {
        clip = {clip.left + target.offset.x, clip.top + target.offset.y,
                clip.right + target.offset.x, clip.bottom + target.offset.y};
        target.clip = IntersectRects(clip, {0, 0, target.surface->width, target.surface->height});
    }
    if (context.kind == DcKind::Memory) {
        context.cachedTarget = target;
        context.targetCached = true;
    }
    return target;
}

std::size_t LiveGdiObjectCount() { return Table().liveCount - Table().stockCount; }

} // namespace portable

using namespace portable;

HGDIOBJ GetStockObject(int index) {
    return index == BLACK_BRUSH ? reinterpret_cast<HGDIOBJ>(Stock().blackBrush) : nullptr;
}

HPEN CreatePen(int style, int width, COLORREF color) {
    // The saver draws only cosmetic solid lines.
    if (style != PS_SOLID || width > 1) {
        return nullptr;
    }
    return static_cast<HPEN>(Table().Add(PenObject{color & 0xFFFFFFu}));
}

HBRUSH CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(Table().Add(BrushObject{color & 0xFFFFFFu}));
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    if (font == nullptr) {
        return nullptr;
    }
    return static_cast<HFONT>(Table().Add(FontObject{FindFontFace(*font)}));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (FindGdiObject<DcObject>(dc) == nullptr || width <= 0 || height <= 0) {
        return nullptr;
    }
    BitmapObject bitmap;
    bitmap.surface.Resize(width, height);
    return static_cast<HBITMAP>(Table().Add(std::move(bitmap)));
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc != nullptr && FindGdiObject<DcObject>(dc) == nullptr) {
        return nullptr;
    }
    return CreateDeviceContext(DcObject{});
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    DcObject* context = FindGdiObject<DcObject>(dc);
    GdiEntry* entry = Table().Find(object);
    if (context == nullptr || entry == nullptr || entry->deletePending) {
        return nullptr;
    }
    void* previous = nullptr;
    if (std::holds_alternative<PenObject>(entry->object)) {
        previous = std::exchange(context->pen, reinterpret_cast<HPEN>(object));
    } else if (std::holds_alternative<BrushObject>(entry->object)) {
        previous = std::exchange(context->brush, reinterpret_cast<HBRUSH>(object));
    } else if (std::holds_alternative<FontObject>(entry->object)) {
        previous = std::exchange(context->font, reinterpret_cast<HFONT>(object));
    } else if (auto* bitmap = std::get_if<BitmapObject>(&entry->object)) {
        // Only memory contexts take bitmaps, and a bitmap sits in one context at a time.
        if (context->kind != DcKind::Memory ||
            (bitmap->selectedInto != nullptr && bitmap->selectedInto != dc)) {
            return nullptr;
        }
        bitmap->selectedInto = dc;
        previous = std::exchange(context->bitmap, reinterpret_cast<HBITMAP>(object));
        context->targetCached = false;
    } else {
        return nullptr;
    }
    Select(object);
    Deselect(previous, dc);
    return static_cast<HGDIOBJ>(previous);
}

BOOL DeleteObject(HGDIOBJ object) {
    GdiEntry* entry = Table().Find(object);
    if (entry == nullptr || std::holds_alternative<DcObject>(entry->object) ||
        entry->deletePending) {
        return FALSE;
    }
    if (entry->stock) {
        return TRUE;
    }
    if (entry->selections > 0) {
        // A bitmap in use cannot go; pens, brushes and fonts go once deselected.
        if (std::holds_alternative<BitmapObject>(entry->object)) {
            return FALSE;
        }
        entry->deletePending = true;
        return TRUE;
    }
    Erase(object);
    return TRUE;
}

BOOL DeleteDC(HDC dc) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr || context->kind != DcKind::Memory) {
        return FALSE;
    }
    ReleaseDeviceContext(dc);
    return TRUE;
}

void portable::ReleaseDeviceContext(HDC dc) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr) {
        return;
    }
    const DcObject released = *context;
    Erase(dc);
    for (const void* selected : {static_cast<const void*>(released.pen),
                                 static_cast<const void*>(released.brush),
                                 static_cast<const void*>(released.font),
                                 static_cast<const void*>(released.bitmap)}) {
        Deselect(selected, dc);
    }
}
