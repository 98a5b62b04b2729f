// bmpgen: writes synthetic BMP pictures of any supported depth, for the demo sample,
// benchmarks and test corpora. The pictures come from the library's own writer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bitmap/bitmap_image.h"

namespace {

constexpr const char* kUsage =
    "usage: bmpgen DEPTH WIDTH HEIGHT OUTPUT\n"
    "Writes a colourful test picture of WIDTH x HEIGHT pixels at DEPTH bits\n"
    "(1, 4, 8, 16, 24 or 32) to OUTPUT.\n";

bool ParseInt(const char* text, std::int32_t& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < -2147483647L || parsed > 2147483647L) return false;
    value = static_cast<std::int32_t>(parsed);
    return true;
}

// Smooth colour ramps across the picture with a diagonal stripe, plus an alpha ramp,
// so that every channel and every region of a row carries information.
vantrel::PixelBGRA PatternAt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    const auto ramp = [](std::int64_t position, std::int64_t extent) {
        return static_cast<std::uint8_t>(extent > 1 ? position * 255 / (extent - 1) : 0);
    };
    const bool stripe = ((x + y) / 16) % 2 == 0;
    return vantrel::PixelBGRA{ramp(x, w), ramp(y, h), static_cast<std::uint8_t>(stripe ? 200 : 40),
                              static_cast<std::uint8_t>((x ^ y) & 0xFF)};
}

}  // namespace

int main(int argc, char** argv) {
    std::int32_t depth = 0, width = 0, height = 0;
    if (argc != 5 || !ParseInt(argv[1], depth) || !ParseInt(argv[2], width) ||
        !ParseInt(argv[3], height)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    vantrel::BitmapImage image;
    if (!image.ChangeBitDepth(depth)) {
        std::fprintf(stderr, "bmpgen: unsupported depth %d\n", depth);
        return 2;
    }
    if (!image.Resize(width, height)) {
        std::fprintf(stderr, "bmpgen: cannot make a picture of %d x %d pixels\n", width, height);
        return 2;
    }
    const bool indexed = depth <= 8;
    for (std::int32_t x = 0; x < width; ++x) {
        vantrel::PixelBGRA* column = image.Column(x);
        for (std::int32_t y = 0; y < height; ++y) {
            vantrel::PixelBGRA pixel = PatternAt(x, y, width, height);
            // Indexed pictures take palette colours as they are, so the writer's
            // nearest-colour search has an exact answer for every pixel.
            if (indexed) pixel = image.PaletteEntry((x / 8 + y / 8) % image.PaletteSize());
            column[y] = pixel;
        }
    }
    int error = 0;
    if (!image.Save(argv[4], &error)) {
        std::fprintf(stderr, "bmpgen: cannot write %s: %s\n", argv[4], std::strerror(error));
        return 3;
    }
    return 0;
}
