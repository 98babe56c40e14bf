#pragma once

// Fonts found by name through fontconfig and rasterised by FreeType without anti-aliasing, so
// that text pixels are exactly the text colour.

#include "platform/portable/raster.h"
#include "platform/portable/types.h"

#include <memory>
#include <string_view>

namespace portable {

class FontFace;

// The face a font description asks for, at its pixel height; a missing face falls back to the
// best monospace face installed. Faces are shared between fonts of the same description.
std::shared_ptr<const FontFace> FindFontFace(const LOGFONTA& description);
// The face of the stock system font.
std::shared_ptr<const FontFace> DefaultFontFace();

// Draws one line of text with its cell's top-left at device (x, y), glyph pixels only, clipped
// to `clip` (device coordinates) as well as to the target's own clip.
void DrawTextLine(const FontFace& face, const RasterTarget& target, std::string_view line,
                  int x, int y, const RECT& clip, COLORREF color);
int LineHeight(const FontFace& face);

} // namespace portable
