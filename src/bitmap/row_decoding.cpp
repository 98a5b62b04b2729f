// Row decoders: one stored BMP row (1, 4, 8, 24 or 32 bits per pixel) into one image row.
// The reader decodes 16-bit rows itself (bmp_reader.cpp).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bitmap_image.h"

namespace vantrel {

namespace {

constexpr PixelBGRA kWhiteTransparent{255, 255, 255, 0};

// The palette as the decoders see it: an index it does not hold reads as white with
// alpha 0, exactly as PaletteEntry answers, without a call per pixel.
struct PaletteView {
    const PixelBGRA* entries;
    std::size_t size;

    PixelBGRA operator[](std::size_t index) const {
        return index < size ? entries[index] : kWhiteTransparent;
    }
};

PaletteView ViewOf(const std::vector<PixelBGRA>& palette, std::int32_t paletteSize) {
    const std::size_t held = std::min(palette.size(), static_cast<std::size_t>(paletteSize));
    return PaletteView{palette.data(), held};
}

// Packed indices, leftmost pixel in the most significant bits of a byte.
template <int BitsPerPixel>
void DecodeIndexed(const std::uint8_t* row, std::int32_t width, PaletteView palette,
                   PixelBGRA* grid, std::size_t stride, std::size_t target) {
    constexpr std::int32_t kPerByte = 8 / BitsPerPixel;
    constexpr unsigned kMask = (1u << BitsPerPixel) - 1u;
    for (std::int32_t x = 0; x < width; ++x, target += stride) {
        const unsigned shift = static_cast<unsigned>(8 - BitsPerPixel * (x % kPerByte + 1));
        const unsigned index = (static_cast<unsigned>(row[x / kPerByte]) >> shift) & kMask;
        grid[target] = palette[index];
    }
}

// Bytes that width pixels of bitsPerPixel occupy, rounded up; 64 bits so that no width
// can overflow it.
std::int64_t NeededBytes(std::int32_t width, std::int32_t bitsPerPixel) {
    return (static_cast<std::int64_t>(width) * bitsPerPixel + 7) / 8;
}

// Shared guard of all decoders: a row inside the image and a buffer long enough.
bool CanDecode(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel,
               std::int32_t length, std::int32_t y) {
    return y >= 0 && y < height && NeededBytes(width, bitsPerPixel) <= length;
}

}  // namespace

bool BitmapImage::DecodeRow1(const std::uint8_t* row, std::int32_t length, std::int32_t y) {
    if (!CanDecode(width, height, 1, length, y)) return false;
    DecodeIndexed<1>(row, width, ViewOf(palette, PaletteSize()), pixels.data(),
                     static_cast<std::size_t>(height), static_cast<std::size_t>(y));
    return true;
}

bool BitmapImage::DecodeRow4(const std::uint8_t* row, std::int32_t length, std::int32_t y) {
    if (!CanDecode(width, height, 4, length, y)) return false;
    DecodeIndexed<4>(row, width, ViewOf(palette, PaletteSize()), pixels.data(),
                     static_cast<std::size_t>(height), static_cast<std::size_t>(y));
    return true;
}

bool BitmapImage::DecodeRow8(const std::uint8_t* row, std::int32_t length, std::int32_t y) {
    if (!CanDecode(width, height, 8, length, y)) return false;
    DecodeIndexed<8>(row, width, ViewOf(palette, PaletteSize()), pixels.data(),
                     static_cast<std::size_t>(height), static_cast<std::size_t>(y));
    return true;
}

bool BitmapImage::DecodeRow24(const std::uint8_t* row, std::int32_t length, std::int32_t y) {
    if (!CanDecode(width, height, 24, length, y)) return false;
    // Alpha is left alone: a freshly sized image holds 0 there.
    for (std::int32_t x = 0; x < width; ++x, row += 3) {
        PixelBGRA& pixel = Column(x)[y];
        pixel.blue = row[0];
        pixel.green = row[1];
        pixel.red = row[2];
    }
    return true;
}

bool BitmapImage::DecodeRow32(const std::uint8_t* row, std::int32_t length, std::int32_t y) {
    if (!CanDecode(width, height, 32, length, y)) return false;
    for (std::int32_t x = 0; x < width; ++x, row += 4)
        Column(x)[y] = PixelBGRA{row[0], row[1], row[2], row[3]};
    return true;
}

}  // namespace vantrel
