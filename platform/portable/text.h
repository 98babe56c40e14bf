#pragma once

// Fonts found by name through fontconfig and rasterised by FreeType without anti-aliasing, so
// that text pixels are exactly the text colour; where no system font can be had, a stock
// fixed-pitch bitmap font of the stand-in's own.

#include "platform/portable/raster.h"
#include "platform/portable/types.h"

#include <array>
#include <memory>
#include <string_view>
#include <vector>

namespace portable {

struct Glyph {
    int left = 0; // from the pen position to the first column
    int top = 0;  // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int advance = 0;
    std::vector<bool> bits; // rows × width, set where the glyph has ink
};

// Glyphs for the bytes of an "A" string, read as Latin-1.
struct FontFace {
    int ascent = 0;
    int descent = 0;
    std::array<Glyph, 256> glyphs;
};

// The family name that always selects the stock bitmap font.
inline constexpr const char* StockFontFamily = "Epiphase Fixed";

// The face a font description asks for, with its height in pixels to the em. Tried in order:
// the family asked for; then, for "Lucida Console" (Windows' fixed-pitch face) "DejaVu Sans
// Mono" (fonts-dejavu-core) and fontconfig's match for monospace, for any other name "DejaVu
// Sans" and its match for sans-serif, as Windows maps a name it lacks to a proportional face;
// then the stock bitmap font, which has one size. Faces are shared between fonts of the same
// description.
std::shared_ptr<const FontFace> FindFontFace(const LOGFONTA& description);
// The face of the stock system font: the same order from "DejaVu Sans Mono" on.
std::shared_ptr<const FontFace> DefaultFontFace();
// The stand-in's own 6×10 cell bitmap font for printable ASCII; other bytes are blank cells.
std::shared_ptr<const FontFace> StockBitmapFace();

// Draws one line of text with its cell's top-left at device (x, y), glyph pixels only, clipped
// to `clip` (device coordinates) as well as to the target's own clip.
void DrawTextLine(const FontFace& face, const RasterTarget& target, std::string_view line, int x,
                  int y, const RECT& clip, COLORREF color);
int LineHeight(const FontFace& face);

} // namespace portable
