// The fixed palettes: the standard tables that ChangeBitDepth and Save install, and a
// gray ramp. Their exact values matter: every saved indexed pixel is matched against them.
#include <array>
#include <cstdint>

#include "bitmap_image.h"

namespace vantrel {

namespace {

constexpr PixelBGRA Colour(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return PixelBGRA{blue, green, red, 0};
}

constexpr std::array<PixelBGRA, 2> kStandard1 = {Colour(0, 0, 0), Colour(255, 255, 255)};

// Entries 0 to 7 use 128 for a set bit (bit 2 blue, bit 1 green, bit 0 red), 8 to 15 use
// 255, and entry 8 is then overwritten with light gray.
constexpr std::array<PixelBGRA, 16> kStandard4 = {
    Colour(0, 0, 0),       Colour(0, 0, 128),   Colour(0, 128, 0),   Colour(0, 128, 128),
    Colour(128, 0, 0),     Colour(128, 0, 128), Colour(128, 128, 0), Colour(128, 128, 128),
    Colour(192, 192, 192), Colour(0, 0, 255),   Colour(0, 255, 0),   Colour(0, 255, 255),
    Colour(255, 0, 0),     Colour(255, 0, 255), Colour(255, 255, 0), Colour(255, 255, 255),
};

// The 8-bit table is a 4 × 8 × 8 colour cube whose first ten and last ten entries are
// replaced by the system colours below.
constexpr std::array<PixelBGRA, 10> kStandard8Low = {
    Colour(0, 0, 0),       Colour(0, 0, 128),     Colour(0, 128, 0),   Colour(0, 128, 128),
    Colour(128, 0, 0),     Colour(128, 0, 128),   Colour(128, 128, 0), Colour(192, 192, 192),
    Colour(192, 220, 192), Colour(240, 202, 166),
};
constexpr std::array<PixelBGRA, 10> kStandard8High = {
    Colour(240, 251, 255), Colour(164, 160, 160), Colour(128, 128, 128), Colour(0, 0, 255),
    Colour(0, 255, 0),     Colour(0, 255, 255),   Colour(255, 0, 0),     Colour(255, 0, 255),
    Colour(255, 255, 0),   Colour(255, 255, 255),
};

constexpr std::array<PixelBGRA, 256> MakeStandard8() {
    std::array<PixelBGRA, 256> table{};
    for (int n = 0; n < 256; ++n) {
        table[static_cast<std::size_t>(n)] = Colour(static_cast<std::uint8_t>(64 * (n / 64)),
                                                    static_cast<std::uint8_t>(32 * ((n / 8) % 8)),
                                                    static_cast<std::uint8_t>(32 * (n % 8)));
    }
    for (std::size_t i = 0; i < kStandard8Low.size(); ++i)
        table[i] = kStandard8Low[i];
    for (std::size_t i = 0; i < kStandard8High.size(); ++i)
        table[246 + i] = kStandard8High[i];
    return table;
}

constexpr std::array<PixelBGRA, 256> kStandard8 = MakeStandard8();

}  // namespace

bool BitmapImage::FillStandardPalette() {
    const PixelBGRA* table = nullptr;
    std::size_t count = 0;
    switch (bitDepth) {
        case 1:
            table = kStandard1.data();
            count = kStandard1.size();
            break;
        case 4:
            table = kStandard4.data();
            count = kStandard4.size();
            break;
        case 8:
            table = kStandard8.data();
            count = kStandard8.size();
            break;
        default:
            return false;
    }
    // Callers size the palette first; never write past what is there.
    palette.assign(table, table + count);
    return true;
}

bool BitmapImage::FillGrayscalePalette() {
    if (bitDepth != 1 && bitDepth != 4 && bitDepth != 8) return false;
    const std::int32_t count = PaletteSize();
    const auto step = static_cast<std::uint8_t>(bitDepth == 1 ? 255 : 255 / (count - 1));
    for (std::int32_t index = 0; index < count; ++index) {
        const auto gray = static_cast<std::uint8_t>((index * step) % 256);
        SetPaletteEntry(index, Colour(gray, gray, gray));
    }
    return true;
}

}  // namespace vantrel
