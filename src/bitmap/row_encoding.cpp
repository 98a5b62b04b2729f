// Row encoders: one image row into one stored BMP row (1, 4, 8, 24 or 32 bits per
// pixel), and the nearest palette colour that the indexed encoders map each pixel to.
// The writer packs 16-bit rows itself (bmp_writer.cpp).
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "bitmap_image.h"

namespace vantrel {

namespace {

// Larger than any distance in the BGR cube (3 × 255²), so the first entry always counts.
constexpr std::int32_t kNoDistance = 999999;

// Shared guard of all encoders: a row inside the image and a buffer that holds its
// pixel bytes (rounded up to whole bytes; 64 bits so no width can overflow it).
bool CanEncode(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel,
               std::int32_t length, std::int32_t y) {
    const std::int64_t needed = (static_cast<std::int64_t>(width) * bitsPerPixel + 7) / 8;
    return y >= 0 && y < height && needed <= length;
}

// Packed palette indices, leftmost pixel in the most significant bits. A last byte cut
// short by the row's end keeps 0 in the bits that carry no pixel.
template <int BitsPerPixel>
void EncodeIndexed(const BitmapImage& image, std::uint8_t* row, std::int32_t y) {
    constexpr std::int32_t kPerByte = 8 / BitsPerPixel;
    const std::int32_t width = image.Width();
    unsigned sum = 0;
    for (std::int32_t x = 0; x < width; ++x) {
        const std::int32_t place = x % kPerByte;
        const unsigned index = image.NearestPaletteIndex(image.Column(x)[y]);
        sum += index << (8 - BitsPerPixel * (place + 1));
        if (place == kPerByte - 1 || x == width - 1) {
            row[x / kPerByte] = static_cast<std::uint8_t>(sum);
            sum = 0;
        }
    }
}

}  // namespace

bool BitmapImage::EncodeRow1(std::uint8_t* row, std::int32_t length, std::int32_t y) const {
    if (!CanEncode(width, height, 1, length, y)) return false;
    EncodeIndexed<1>(*this, row, y);
    return true;
}

bool BitmapImage::EncodeRow4(std::uint8_t* row, std::int32_t length, std::int32_t y) const {
    if (!CanEncode(width, height, 4, length, y)) return false;
    EncodeIndexed<4>(*this, row, y);
    return true;
}

bool BitmapImage::EncodeRow8(std::uint8_t* row, std::int32_t length, std::int32_t y) const {
    if (!CanEncode(width, height, 8, length, y)) return false;
    EncodeIndexed<8>(*this, row, y);
    return true;
}

bool BitmapImage::EncodeRow24(std::uint8_t* row, std::int32_t length, std::int32_t y) const {
    if (!CanEncode(width, height, 24, length, y)) return false;
    for (std::int32_t x = 0; x < width; ++x, row += 3) {
        const PixelBGRA pixel = Column(x)[y];
        row[0] = pixel.blue;
        row[1] = pixel.green;
        row[2] = pixel.red;
    }
    return true;
}

bool BitmapImage::EncodeRow32(std::uint8_t* row, std::int32_t length, std::int32_t y) const {
    if (!CanEncode(width, height, 32, length, y)) return false;
    for (std::int32_t x = 0; x < width; ++x, row += 4) {
        const PixelBGRA pixel = Column(x)[y];
        row[0] = pixel.blue;
        row[1] = pixel.green;
        row[2] = pixel.red;
        row[3] = pixel.alpha;
    }
    return true;
}

std::uint8_t BitmapImage::NearestPaletteIndex(const PixelBGRA& pixel) const {
    // Without a palette every entry reads as the same white, so entry 0 wins; there is
    // no point in walking 2^24 identical entries of a direct-colour depth.
    const std::size_t count = std::min(palette.size(), static_cast<std::size_t>(PaletteSize()));
    std::int32_t best = kNoDistance;
    std::uint8_t nearest = 0;
    for (std::size_t index = 0; index < count; ++index) {
        const PixelBGRA& entry = palette[index];
        const std::int32_t blue = entry.blue - pixel.blue;
        const std::int32_t green = entry.green - pixel.green;
        const std::int32_t red = entry.red - pixel.red;
        const std::int32_t distance = blue * blue + green * green + red * red;
        // Strictly smaller: among equally near entries the lowest index stays.
        if (distance < best) {
            best = distance;
            nearest = static_cast<std::uint8_t>(index);
            if (best == 0) break;
        }
    }
    return nearest;
}

}  // namespace vantrel
