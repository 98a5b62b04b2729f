#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bitmap/bitmap_image.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

// A colour per position that survives the depth unchanged: palette colours for the
// indexed depths, multiples of 8 (the 5-bit channels of the 5-6-5 reading) for 16 bits,
// any colour with alpha 0 for 24 bits (its file has no alpha) and any at all for 32 bits.
PixelBGRA Pattern(const BitmapImage& image, std::int32_t x, std::int32_t y) {
    const auto b = static_cast<std::uint8_t>(x * 37 + y * 11);
    const auto g = static_cast<std::uint8_t>(x * 5 + y * 29);
    const auto r = static_cast<std::uint8_t>((x * 13) ^ (y * 7));
    switch (image.BitDepth()) {
        case 16:
            return PixelBGRA{static_cast<std::uint8_t>(b & 0xF8),
                             static_cast<std::uint8_t>(g & 0xF8),
                             static_cast<std::uint8_t>(r & 0xF8), 0};
        case 24:
            return PixelBGRA{b, g, r, 0};
        case 32:
            return PixelBGRA{b, g, r, static_cast<std::uint8_t>(x + 3 * y)};
        default:
            return image.PaletteEntry((x * 3 + y * 5) % image.PaletteSize());
    }
}

TEST(RoundTrip, EveryDepthReadsBackWhatWasWritten) {
    TempDir dir;
    const std::string path = dir.Path("round.bmp");
    for (std::int32_t depth : {1, 4, 8, 16, 24, 32}) {
        // Odd sizes: every row has padding and the packed depths a cut-short last byte.
        for (std::int32_t width : {1, 7, 13}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, width " << width);
            BitmapImage original;
            ASSERT_TRUE(original.ChangeBitDepth(depth));
            ASSERT_TRUE(original.Resize(width, 5));
            original.SetPelsPerMeter(2835, 1234);
            if (original.HasPalette()) {
                // Distinct colours with alpha, so that a shifted index or table shows.
                const std::int32_t step = 255 / (original.PaletteSize() - 1);
                for (std::int32_t i = 0; i < original.PaletteSize(); ++i) {
                    const auto v = static_cast<std::uint8_t>(i * step);
                    original.SetPaletteEntry(i, PixelBGRA{v, static_cast<std::uint8_t>(255 - v),
                                                          static_cast<std::uint8_t>(v ^ 0x55),
                                                          static_cast<std::uint8_t>(i)});
                }
            }
            for (std::int32_t x = 0; x < width; ++x) {
                for (std::int32_t y = 0; y < 5; ++y)
                    original.PixelAt(x, y) = Pattern(original, x, y);
            }
            ASSERT_TRUE(original.Save(path.c_str()));

            BitmapImage copy;
            ASSERT_EQ(copy.LoadFile(path.c_str()), LoadOutcome::Loaded);
            EXPECT_EQ(copy.BitDepth(), depth);
            EXPECT_EQ(copy.Width(), width);
            EXPECT_EQ(copy.Height(), 5);
            EXPECT_EQ(copy.XPelsPerMeter(), 2835);
            EXPECT_EQ(copy.YPelsPerMeter(), 1234);
            EXPECT_EQ(copy.HasPalette(), original.HasPalette());
            if (original.HasPalette()) {
                for (std::int32_t i = 0; i < original.PaletteSize(); ++i)
                    EXPECT_EQ(copy.PaletteEntry(i), original.PaletteEntry(i)) << i;
            }
            for (std::int32_t x = 0; x < width; ++x) {
                for (std::int32_t y = 0; y < 5; ++y)
                    EXPECT_EQ(copy.PixelValue(x, y), original.PixelValue(x, y)) << x << ", " << y;
            }
        }
    }
}

}  // namespace
}  // namespace vantrel
