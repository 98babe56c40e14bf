// Turns a square PNG into a Windows icon: the picture itself at 256 pixels (stored as PNG) and
// box-filtered copies at 48, 32 and 16 pixels (stored as 32-bit bitmaps for older Windows).
// Usage: make_icon IN.png OUT.ico

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct Rgba {
    int size = 0;
    std::vector<std::uint8_t> pixels; // size × size × 4
};

Rgba Downscale(const Rgba& from, int size) {
    Rgba to{size, std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size * 4)};
    const int step = from.size / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            for (int channel = 0; channel < 4; ++channel) {
                int sum = 0;
                for (int dy = 0; dy < step; ++dy) {
                    for (int dx = 0; dx < step; ++dx) {
                        sum += from.pixels[((y * step + dy) * from.size + x * step + dx) * 4 + channel];
                    }
                }
                to.pixels[(y * size + x) * 4 + channel] = static_cast<std::uint8_t>(sum / (step * step));
            }
        }
    }
    return to;
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back(value >> 8 & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, unsigned value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// A BITMAPINFOHEADER image: bottom-up BGRA rows, then an all-clear AND mask.
std::vector<std::uint8_t> BitmapEntry(const Rgba& image) {
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<unsigned>(image.size));
    Put32(out, static_cast<unsigned>(image.size * 2)); // colour and mask
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i) {
        Put32(out, 0);
    }
    for (int y = image.size - 1; y >= 0; --y) {
        for (int x = 0; x < image.size; ++x) {
            const std::uint8_t* p = &image.pixels[(y * image.size + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    const int maskRow = ((image.size + 31) / 32) * 4;
    out.insert(out.end(), static_cast<std::size_t>(maskRow * image.size), 0);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icon IN.png OUT.ico\n");
        return 2;
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, argv[1]) || png.width != png.height ||
        png.width != 256) {
        std::fprintf(stderr, "make_icon: %s is not a 256x256 PNG\n", argv[1]);
        return 1;
    }
    png.format = PNG_FORMAT_RGBA;
    Rgba full{256, std::vector<std::uint8_t>(PNG_IMAGE_SIZE(png))};
    png_image_finish_read(&png, nullptr, full.pixels.data(), 0, nullptr);

    std::ifstream pngFile(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> pngBytes{std::istreambuf_iterator<char>(pngFile), {}};
    std::vector<std::vector<std::uint8_t>> entries{pngBytes};
    std::vector<int> sizes{256};
    for (int size : {48, 32, 16}) {
        entries.push_back(BitmapEntry(Downscale(full, size)));
        sizes.push_back(size);
    }
    std::vector<std::uint8_t> ico;
    Put16(ico, 0);
    Put16(ico, 1);
    Put16(ico, static_cast<unsigned>(entries.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ico.push_back(static_cast<std::uint8_t>(sizes[i] % 256)); // 0 means 256
        ico.push_back(static_cast<std::uint8_t>(sizes[i] % 256));
        ico.push_back(0);
        ico.push_back(0);
        Put16(ico, 1);
        Put16(ico, 32);
        Put32(ico, static_cast<unsigned>(entries[i].size()));
        Put32(ico, offset);
        offset += static_cast<unsigned>(entries[i].size());
    }
    for (const auto& entry : entries) {
        ico.insert(ico.end(), entry.begin(), entry.end());
    }
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
    return out ? 0 : 1;
}
