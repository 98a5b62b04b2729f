// Test helper for the Pillow interoperability check (pillow_interop.py):
//   bmp_interop_tool write DEPTH PATH   saves the known pattern at DEPTH bits
//   bmp_interop_tool dump PATH          loads PATH and prints its pixels
// The dump is "WIDTH HEIGHT DEPTH" on the first line, then one "BLUE GREEN RED ALPHA"
// line per pixel, rows from the top, each row from the left.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bitmap/bitmap_image.h"

namespace {

using vantrel::BitmapImage;
using vantrel::PixelBGRA;

// Odd sizes: every depth pads its rows and the packed depths cut their last byte short.
constexpr std::int32_t kWidth = 13;
constexpr std::int32_t kHeight = 7;

// The pattern; pillow_interop.py computes the same values on its own.
PixelBGRA PatternPixel(const BitmapImage& image, std::int32_t x, std::int32_t y) {
    const auto blue = static_cast<std::uint8_t>(x * 37 + y * 11);
    const auto green = static_cast<std::uint8_t>(x * 5 + y * 29);
    const auto red = static_cast<std::uint8_t>((x * 13) ^ (y * 7));
    const auto alpha = static_cast<std::uint8_t>(x + 3 * y);
    if (image.HasPalette()) return image.PaletteEntry((x * 3 + y * 5) % image.PaletteSize());
    return PixelBGRA{blue, green, red, alpha};
}

// Palette entry i of n: a ramp that no standard palette holds, distinct for every i.
PixelBGRA PaletteColour(std::int32_t index, std::int32_t count) {
    const auto v = static_cast<std::uint8_t>(index * (255 / (count - 1)));
    return PixelBGRA{v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(v ^ 0x55), 0};
}

int Write(std::int32_t depth, const char* path) {
    BitmapImage image;
    if (!image.ChangeBitDepth(depth) || !image.Resize(kWidth, kHeight)) {
        std::fprintf(stderr, "unsupported depth %d\n", static_cast<int>(depth));
        return 2;
    }
    if (image.HasPalette()) {
        for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
            image.SetPaletteEntry(i, PaletteColour(i, image.PaletteSize()));
    }
    for (std::int32_t x = 0; x < kWidth; ++x) {
        for (std::int32_t y = 0; y < kHeight; ++y)
            image.PixelAt(x, y) = PatternPixel(image, x, y);
    }
    int error = 0;
    if (!image.Save(path, &error)) {
        std::fprintf(stderr, "cannot save %s: %s\n", path, std::strerror(error));
        return 1;
    }
    return 0;
}

int Dump(const char* path) {
    BitmapImage image;
    const vantrel::LoadOutcome outcome = image.LoadFile(path);
    if (outcome != vantrel::LoadOutcome::Loaded) {
        std::fprintf(stderr, "%s: %s\n", path, vantrel::DescribeLoadOutcome(outcome));
        return 1;
    }
    std::printf("%d %d %d\n", static_cast<int>(image.Width()), static_cast<int>(image.Height()),
                static_cast<int>(image.BitDepth()));
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        for (std::int32_t x = 0; x < image.Width(); ++x) {
            const PixelBGRA pixel = image.PixelValue(x, y);
            std::printf("%d %d %d %d\n", pixel.blue, pixel.green, pixel.red, pixel.alpha);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return Write(static_cast<std::int32_t>(std::atoi(argv[2])), argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0) return Dump(argv[2]);
    std::fprintf(stderr, "usage: %s write DEPTH PATH | dump PATH\n", argv[0]);
    return 2;
}
