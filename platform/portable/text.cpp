#include "platform/portable/text.h"

#include "platform/portable/gdi.h"
#include "platform/portable/gdi_objects.h"
#include "platform/portable/user.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <strings.h>
#include <utility>

namespace portable {

namespace {

// FreeType once per process; null when it cannot start.
FT_Library Library() {
    static const FT_Library library = [] {
        FT_Library created = nullptr;
        return FT_Init_FreeType(&created) == 0 ? created : nullptr;
    }();
    return library;
}

struct FontFile {
    std::string path;
    int index = 0;
};

// fontconfig's choice for a family: only a face of that very family, unless any will do.
std::optional<FontFile> Locate(const char* family, bool anyFamily) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return std::nullopt;
    }
    FcChar8* matchedFamily = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily);
    FcPatternGetString(match, FC_FILE, 0, &file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    const bool wanted =
        anyFamily || (matchedFamily != nullptr &&
                      strcasecmp(reinterpret_cast<const char*>(matchedFamily), family) == 0);
    std::optional<FontFile> found;
    if (wanted && file != nullptr) {
        found = FontFile{reinterpret_cast<const char*>(file), index};
    }
    FcPatternDestroy(match);
    return found;
}

Glyph Render(FT_Face face, unsigned char code) {
    Glyph glyph;
    // Latin-1: the bytes of an "A" string are the first 256 code points.
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) {
        return glyph;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.advance = static_cast<int>(slot->advance.x >> 6);
    glyph.bits.resize(static_cast<std::size_t>(glyph.width) * glyph.rows);
    for (int row = 0; row < glyph.rows; ++row) {
        const unsigned char* line = bitmap.buffer + row * bitmap.pitch;
        for (int column = 0; column < glyph.width; ++column) {
            glyph.bits[static_cast<std::size_t>(row) * glyph.width + column] =
                (line[column >> 3] & (0x80 >> (column & 7))) != 0;
        }
    }
    return glyph;
}

// The font file rasterised at a pixel height; null when FreeType cannot read it.
std::shared_ptr<const FontFace> Rasterise(const FontFile& file, int pixelHeight) {
    FT_Face face = nullptr;
    if (Library() == nullptr || FT_New_Face(Library(), file.path.c_str(), file.index, &face) != 0) {
        return nullptr;
    }
    std::shared_ptr<FontFace> rasterised;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) == 0) {
        rasterised = std::make_shared<FontFace>();
        rasterised->ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
        rasterised->descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
        for (int code = 0; code < 256; ++code) {
            rasterised->glyphs[code] = Render(face, static_cast<unsigned char>(code));
        }
    }
    FT_Done_Face(face);
    return rasterised;
}

// Named faces from fonts-dejavu-core, which the install step brings, so that the text looks
// the same whichever other fonts a machine has; "monospace" alone differs from one to another.
constexpr const char* PreferredFamily = "DejaVu Sans Mono";
constexpr const char* ProportionalFamily = "DejaVu Sans";

std::shared_ptr<const FontFace> Load(const std::string& family, int pixelHeight) {
    if (strcasecmp(family.c_str(), StockFontFamily) == 0) {
        return StockBitmapFace();
    }
    // A face the machine lacks is replaced as Windows' font mapper would: Windows' fixed-pitch
    // face by a fixed-pitch one, a name Windows does not know by a proportional default.
    const bool fixedPitch = strcasecmp(family.c_str(), "Lucida Console") == 0 ||
                            strcasecmp(family.c_str(), PreferredFamily) == 0;
    const std::pair<const char*, bool> candidates[] = {
        {family.c_str(), false},
        {fixedPitch ? PreferredFamily : ProportionalFamily, false},
        {fixedPitch ? "monospace" : "sans-serif", true}};
    for (const auto& [wanted, anyFamily] : candidates) {
        if (const std::optional<FontFile> file = Locate(wanted, anyFamily)) {
            if (std::shared_ptr<const FontFace> face = Rasterise(*file, pixelHeight)) {
                return face;
            }
        }
    }
    return StockBitmapFace();
}

constexpr int DefaultPixelHeight = 16;

std::shared_ptr<const FontFace> FaceFor(const std::string& family, int pixelHeight) {
    static std::map<std::pair<std::string, int>, std::shared_ptr<const FontFace>> faces;
    auto& face = faces[{family, pixelHeight}];
    if (!face) {
        face = Load(family, pixelHeight);
    }
    return face;
}

} // namespace

std::shared_ptr<const FontFace> FindFontFace(const LOGFONTA& description) {
    const std::string family(description.lfFaceName, strnlen(description.lfFaceName, LF_FACESIZE));
    // Negative heights ask for the character height; positive ones for the cell height,
    // approximated here by the character height.
    const LONG height = description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
    return FaceFor(family.empty() ? PreferredFamily : family,
                   height == 0 ? DefaultPixelHeight : static_cast<int>(height));
}

std::shared_ptr<const FontFace> DefaultFontFace() {
    return FaceFor(PreferredFamily, DefaultPixelHeight);
}

int LineHeight(const FontFace& face) {
    return face.ascent + face.descent;
}

void DrawTextLine(const FontFace& face, const RasterTarget& target, std::string_view line, int x,
                  int y, const RECT& clip, COLORREF color) {
    if (target.surface == nullptr) {
        return;
    }
    RasterTarget clipped = target;
    clipped.clip =
        IntersectRects(target.clip, {clip.left + target.offset.x, clip.top + target.offset.y,
                                     clip.right + target.offset.x, clip.bottom + target.offset.y});
    const int baseline = y + face.ascent;
    int pen = x;
    bool underlineNext = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        // '&' is the prefix character: "&&" draws one '&', "&x" draws x underlined.
        if (line[i] == '&') {
            if (i + 1 < line.size() && line[i + 1] != '&') {
                underlineNext = true;
                continue;
            }
            ++i;
            if (i == line.size()) {
                break;
            }
        }
        const Glyph& glyph = face.glyphs[static_cast<unsigned char>(line[i])];
        for (int row = 0; row < glyph.rows; ++row) {
            for (int column = 0; column < glyph.width; ++column) {
                if (glyph.bits[static_cast<std::size_t>(row) * glyph.width + column]) {
                    SetDevicePixel(clipped, pen + glyph.left + column, baseline - glyph.top + row,
                                   color);
                }
            }
        }
        if (underlineNext) {
            FillDeviceRect(clipped, {pen, baseline + 1, pen + glyph.advance, baseline + 2}, color);
            underlineNext = false;
        }
        pen += glyph.advance;
    }
}

} // namespace portable

using namespace portable;

int SetBkMode(HDC dc, int mode) {
    DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    return std::exchange(context->backgroundMode, mode);
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr) {
        return CLR_INVALID;
    }
    return std::exchange(context->textColor, color & 0xFFFFFFu);
}

int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr || text == nullptr || rect == nullptr) {
        return 0;
    }
    const FontObject* font = FindGdiObject<FontObject>(context->font);
    if (font == nullptr) {
        return 0;
    }
    const FontFace& face = *font->face;
    const std::string_view all(text,
                               length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
    const RasterTarget target = TargetOf(*context);
    const int lineHeight = LineHeight(face);
    const RECT clip{rect->left - context->origin.x, rect->top - context->origin.y,
                    rect->right - context->origin.x, rect->bottom - context->origin.y};
    // No wrapping: lines break at CR or LF (CR LF once); the first line that reaches past the
    // bottom is drawn clipped and is the last.
    int top = clip.top;
    for (std::size_t start = 0; start <= all.size();) {
        std::size_t end = all.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = all.size();
        }
        DrawTextLine(face, target, all.substr(start, end - start), clip.left, top, clip,
                     context->textColor);
        top += lineHeight;
        if (end == all.size() || top >= clip.bottom) {
            break;
        }
        start = end + ((all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n') ? 2 : 1);
    }
    return top - clip.top;
}
