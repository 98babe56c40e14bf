// Turns the bitmaps of the Windows icon (made by make_icon, 32 bits a pixel) into the cardinals
// of X11's _NET_WM_ICON, written as a C++ header: for each size, its width and height, then its
// pixels as ARGB, row by row from the top. So both systems show the same picture.
// Usage: net_wm_icon IN.ico OUT.h

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

unsigned Read16(const Bytes& bytes, std::size_t at) {
    return bytes.at(at) | unsigned{bytes.at(at + 1)} << 8;
}
unsigned Read32(const Bytes& bytes, std::size_t at) {
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

// A BITMAPINFOHEADER entry of `size` × `size`: bottom-up BGRA rows after its 40-byte header.
void AppendBitmap(const Bytes& ico, std::size_t entry, unsigned size,
                  std::vector<std::uint32_t>& cardinals) {
    cardinals.push_back(size);
    cardinals.push_back(size);
    for (unsigned y = size; y-- > 0;) {
        for (unsigned x = 0; x < size; ++x) {
            const std::size_t at = entry + 40 + (std::size_t{y} * size + x) * 4;
            cardinals.push_back(std::uint32_t{ico.at(at + 3)} << 24 | ico.at(at + 2) << 16 |
                                ico.at(at + 1) << 8 | ico.at(at));
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: net_wm_icon IN.ico OUT.h\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const Bytes ico{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::uint32_t> cardinals;
    const unsigned count = ico.size() >= 6 ? Read16(ico, 4) : 0;
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t directory = 6 + std::size_t{i} * 16;
        const unsigned size = ico.at(directory) == 0 ? 256 : ico.at(directory);
        const std::size_t entry = Read32(ico, directory + 12);
        // The large picture is stored as PNG; the small ones, which X wants, as bitmaps.
        if (Read32(ico, entry) == 40 && Read16(ico, entry + 14) == 32) {
            AppendBitmap(ico, entry, size, cardinals);
        }
    }
    if (cardinals.empty()) {
        std::fprintf(stderr, "net_wm_icon: %s holds no 32-bit bitmap\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2]);
    out << "// Made by tools/net_wm_icon from the Windows icon.\n#pragma once\n#include "
           "<cstdint>\ninline constexpr std::uint32_t NetWmIcon[] = {";
    for (std::size_t i = 0; i < cardinals.size(); ++i) {
        out << (i % 8 == 0 ? "\n" : " ") << cardinals[i] << "u,";
    }
    out << "\n};\n";
    return out ? 0 : 1;
}
