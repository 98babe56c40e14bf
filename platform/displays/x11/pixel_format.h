#pragma once

// The X11 back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_X11
#error "a header of the X11 back end outside it"
#endif

// How a window's visual stores a pixel, and surface pixels (0x00RRGGBB) converted to it: any
// visual that stores colours directly (TrueColor, DirectColor) at any depth, alpha bits opaque.

#include "platform/displays/x11/connection.h"

#include <array>
#include <cstdint>
#include <string>

namespace portable {

struct X11PixelFormat {
    // The window's format; false, with the reason on one line, for a visual that cannot be
    // served (colour maps, grey scales).
    static bool Of(const X11Connection& connection, ::Window window, X11PixelFormat& format,
                   std::string& why);

    Visual* visual = nullptr;
    int depth = 0;
    // The surfaces' own layout at the screen's default depth: shown as it is, without a copy
    // where memory is shared.
    bool native = false;

    unsigned long Pixel(std::uint32_t rgb) const {
        return red[rgb >> 16 & 0xFF] | green[rgb >> 8 & 0xFF] | blue[rgb & 0xFF] | opaque;
    }
    // `count` surface pixels into row y of `image` (of this format) from column x.
    void ConvertRow(const std::uint32_t* from, int count, XImage& image, int x, int y) const;

  private:
    std::array<unsigned long, 256> red{}, green{}, blue{};
    unsigned long opaque = 0; // every bit of the depth that is no colour's: alpha, kept full
};

} // namespace portable
