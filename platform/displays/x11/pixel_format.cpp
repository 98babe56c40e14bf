#include "platform/displays/x11/pixel_format.h"

#include <X11/Xutil.h>

#include <bit>
#include <cstring>

namespace portable {

namespace {

// An 8-bit channel scaled to the bits of `mask`, in its place.
std::array<unsigned long, 256> ChannelTable(unsigned long mask) {
    std::array<unsigned long, 256> table{};
    const int shift = mask == 0 ? 0 : std::countr_zero(mask);
    const unsigned long top = mask >> shift;
    for (unsigned long value = 0; value < table.size(); ++value) {
        table[value] = (value * top + 127) / 255 << shift;
    }
    return table;
}

int BitsPerPixel(::Display* x, int depth) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(x, &count);
    int bits = 0;
    for (int i = 0; i < count; ++i) {
        if (formats[i].depth == depth) {
            bits = formats[i].bits_per_pixel;
        }
    }
    XFree(formats);
    return bits;
}

} // namespace

bool X11PixelFormat::Of(const X11Connection& connection, ::Window window, X11PixelFormat& format,
                        std::string& why) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(connection.x, window, &attributes) == 0) {
        why = "there is no such X window";
        return false;
    }
    const Visual* visual = attributes.visual;
    // The visual's class; Xlib names the field c_class in C++.
    if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
        why = "cannot draw into a window whose visual has no direct colours (depth " +
              std::to_string(attributes.depth) + ")";
        return false;
    }
    format.visual = attributes.visual;
    format.depth = attributes.depth;
    format.red = ChannelTable(visual->red_mask);
    format.green = ChannelTable(visual->green_mask);
    format.blue = ChannelTable(visual->blue_mask);
    const unsigned long all = attributes.depth >= 64 ? ~0ul : (1ul << attributes.depth) - 1;
    format.opaque = all & ~(visual->red_mask | visual->green_mask | visual->blue_mask);
    format.native = attributes.depth == DefaultDepth(connection.x, connection.screen) &&
                    visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                    visual->blue_mask == 0xFF && format.opaque == 0 &&
                    BitsPerPixel(connection.x, attributes.depth) == 32;
    return true;
}

void X11PixelFormat::ConvertRow(const std::uint32_t* from, int count, XImage& image, int x,
                                int y) const {
    if (image.bits_per_pixel == 32 && image.byte_order == LSBFirst &&
        std::endian::native == std::endian::little) {
        auto* to = reinterpret_cast<std::uint32_t*>(
            image.data + static_cast<std::ptrdiff_t>(y) * image.bytes_per_line) + x;
        for (int i = 0; i < count; ++i) {
            to[i] = static_cast<std::uint32_t>(Pixel(from[i]));
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        XPutPixel(&image, x + i, y, Pixel(from[i]));
    }
}

} // namespace portable
