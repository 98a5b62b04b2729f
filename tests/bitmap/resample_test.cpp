#include "bitmap/resample.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "bitmap/bitmap_image.h"

namespace vantrel {
namespace {

using Painter = std::function<PixelBGRA(std::int32_t x, std::int32_t y)>;

void MakeImage(BitmapImage& image, std::int32_t width, std::int32_t height, const Painter& paint) {
    ASSERT_TRUE(image.Resize(width, height));
    for (std::int32_t x = 0; x < width; ++x) {
        for (std::int32_t y = 0; y < height; ++y)
            image.PixelAt(x, y) = paint(x, y);
    }
}

// Distinct colours per position, alpha included, so that moved pixels show.
PixelBGRA Mosaic(std::int32_t x, std::int32_t y) {
    return PixelBGRA{static_cast<std::uint8_t>(17 * x + 3 * y), static_cast<std::uint8_t>(5 * y),
                     static_cast<std::uint8_t>(200 - x), static_cast<std::uint8_t>(x + y + 1)};
}

void ExpectColour(BitmapImage& image, std::int32_t x, std::int32_t y, std::uint8_t blue,
                  std::uint8_t green, std::uint8_t red) {
    const PixelBGRA p = image.PixelValue(x, y);
    EXPECT_EQ(p.blue, blue) << "at " << x << ", " << y;
    EXPECT_EQ(p.green, green) << "at " << x << ", " << y;
    EXPECT_EQ(p.red, red) << "at " << x << ", " << y;
}

TEST(ResampleImage, ComputesTheNewSizeForEveryModeLetterInEitherCase) {
    struct Case {
        std::int32_t width, height;
        char mode;
        std::int32_t value;
        std::int32_t newWidth, newHeight;
    };
    const Case cases[] = {
        {5, 3, 'P', 50, 2, 1},
        {5, 3, 'p', 50, 2, 1},
        {3, 2, 'P', 1000, 30, 20},
        {4, 3, 'P', 10, 1, 1},  // both sides floor to 0 and are raised to 1
        {4, 3, 'P', -50, 1, 1},
        {3, 15, 'W', 49, 49, 244},  // 49 / 3 × 15 falls just short of 245
        {3, 15, 'w', 49, 49, 244},
        {4, 2, 'H', 10, 20, 10},
        {4, 2, 'h', 10, 20, 10},
        {20, 10, 'F', 10, 10, 5},
        {10, 20, 'F', 10, 5, 10},
        {7, 7, 'F', 61, 60, 61},  // square: the height rule, 61 / 7 × 7 falls short of 61
        {7, 7, 'f', 61, 60, 61},
        {6, 4, 'W', 0, 1, 1},
        {6, 4, 'W', -7, 1, 1},
        {6, 4, 'H', -7, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.mode) + " " + std::to_string(c.value) + " on " +
                     std::to_string(c.width) + " x " + std::to_string(c.height));
        BitmapImage image;
        MakeImage(image, c.width, c.height, Mosaic);
        ASSERT_TRUE(ResampleImage(image, c.mode, c.value));
        EXPECT_EQ(image.Width(), c.newWidth);
        EXPECT_EQ(image.Height(), c.newHeight);
        EXPECT_EQ(image.BitDepth(), 24);
    }
}

TEST(ResampleImage, RefusesSizesTooLargeAndLeavesTheImageAsItWas) {
    struct Case {
        std::int32_t width, height;
        char mode;
        std::int32_t value;
    };
    const std::int32_t maxValue = std::numeric_limits<std::int32_t>::max();
    const Case cases[] = {
        {3, 1, 'P', 1000000000},     // 3 × 10^9 wraps in 32 bits, to a 1-wide size
        {2, 1, 'P', maxValue},       // 2 × (2^31 − 1) wraps in 32 bits
        {1, 1, 'W', maxValue},       // past MaxPixelCount
        {1, 100000, 'W', 100000},    // 10^10 rows do not fit 32 bits
        {100000, 1, 'H', 100000},    // 10^10 columns do not fit 32 bits
        {2, 1, 'W', (1 << 28) + 2},  // (2^28 + 2) × (2^27 + 1): past MaxPixelCount
        {1, 1, 'F', 1 << 15},        // 2^30 pixels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.mode) + " " + std::to_string(c.value) + " on " +
                     std::to_string(c.width) + " x " + std::to_string(c.height));
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(8));
        ASSERT_TRUE(image.SetPaletteEntry(5, PixelBGRA{1, 2, 3, 4}));
        MakeImage(image, c.width, c.height, Mosaic);
        EXPECT_FALSE(ResampleImage(image, c.mode, c.value));
        EXPECT_EQ(image.Width(), c.width);
        EXPECT_EQ(image.Height(), c.height);
        EXPECT_EQ(image.BitDepth(), 8);
        EXPECT_EQ(image.PaletteEntry(5), (PixelBGRA{1, 2, 3, 4}));
        EXPECT_EQ(image.PixelValue(c.width - 1, c.height - 1), Mosaic(c.width - 1, c.height - 1));
        EXPECT_EQ(image.XPelsPerMeter(), DefaultPelsPerMeter);
    }
}

TEST(ResampleImage, OnePixelResultIsTheSourcesBottomRightPixelAlphaIncluded) {
    BitmapImage image;
    MakeImage(image, 4, 3, Mosaic);
    ASSERT_TRUE(ResampleImage(image, 'P', 10));
    ASSERT_EQ(image.Width(), 1);
    ASSERT_EQ(image.Height(), 1);
    EXPECT_EQ(image.PixelValue(0, 0), Mosaic(3, 2));
}

TEST(ResampleImage, TwoPixelRampBecomesTruncatedThirds) {
    BitmapImage image;
    MakeImage(image, 2, 1, [](std::int32_t x, std::int32_t) {
        const std::uint8_t v = x == 0 ? 0 : 100;
        return PixelBGRA{v, v, v, 0};
    });
    ASSERT_TRUE(ResampleImage(image, 'W', 4));
    ASSERT_EQ(image.Width(), 4);
    ASSERT_EQ(image.Height(), 2);
    const std::uint8_t expected[] = {0, 33, 66, 100};  // 66.67 truncates to 66
    for (std::int32_t y = 0; y < 2; ++y) {
        for (std::int32_t x = 0; x < 4; ++x)
            ExpectColour(image, x, y, expected[x], expected[x], expected[x]);
    }
}

// 2 × 2 to 3 × 3: every pass shows, and the centre mixes all four neighbours.
TEST(ResampleImage, InterpolatesInteriorEdgesAndCorner) {
    const PixelBGRA source[2][2] = {
        {PixelBGRA{0, 10, 20, 7}, PixelBGRA{40, 50, 60, 8}},         // column 0: rows 0, 1
        {PixelBGRA{100, 110, 120, 9}, PixelBGRA{201, 211, 221, 77}}  // column 1
    };
    BitmapImage image;
    MakeImage(image, 2, 2, [&](std::int32_t x, std::int32_t y) { return source[x][y]; });
    ASSERT_TRUE(ResampleImage(image, 'W', 3));
    ASSERT_EQ(image.Width(), 3);
    ASSERT_EQ(image.Height(), 3);
    struct Expected {
        std::int32_t x, y;
        std::uint8_t blue, green, red;
    };
    const Expected expected[] = {
        {0, 0, 0, 10, 20},  {1, 0, 50, 60, 70},    {2, 0, 100, 110, 120},
        {0, 1, 20, 30, 40}, {1, 1, 85, 95, 105},   {2, 1, 150, 160, 170},
        {0, 2, 40, 50, 60}, {1, 2, 120, 130, 140}, {2, 2, 201, 211, 221},
    };
    for (const Expected& e : expected)
        ExpectColour(image, e.x, e.y, e.blue, e.green, e.red);
    for (std::int32_t x = 0; x < 3; ++x) {
        for (std::int32_t y = 0; y < 3; ++y) {
            const std::uint8_t alpha = (x == 2 && y == 2) ? 77 : 0;
            EXPECT_EQ(image.PixelValue(x, y).alpha, alpha) << x << ", " << y;
        }
    }
}

TEST(ResampleImage, SameSizeReproducesColoursAndKeepsOnlyTheCornerAlpha) {
    BitmapImage image;
    ASSERT_TRUE(image.ChangeBitDepth(4));
    MakeImage(image, 6, 5, Mosaic);
    ASSERT_TRUE(ResampleImage(image, 'W', 6));
    ASSERT_EQ(image.Width(), 6);
    ASSERT_EQ(image.Height(), 5);
    EXPECT_EQ(image.BitDepth(), 24);
    EXPECT_FALSE(image.HasPalette());
    for (std::int32_t x = 0; x < 6; ++x) {
        for (std::int32_t y = 0; y < 5; ++y) {
            const PixelBGRA want = Mosaic(x, y);
            ExpectColour(image, x, y, want.blue, want.green, want.red);
            EXPECT_EQ(image.PixelValue(x, y).alpha, (x == 5 && y == 4) ? want.alpha : 0);
        }
    }
}

// A single column of the result comes from the source's last column, a single row from
// its last row, interpolated along the other direction.
TEST(ResampleImage, SingleColumnOrRowResultTakesTheSourcesLastColumnOrRow) {
    struct Case {
        const char* name;
        std::int32_t width, height;
        char mode;
        std::int32_t value;
        bool column;  // the result is one column (else one row)
    };
    const Case cases[] = {
        {"one column", 3, 9, 'H', 4, true},  // 4 / 9 × 3 floors to 1
        {"one row", 9, 3, 'W', 4, false},
    };
    // Along the long side 0, 8/3, 16/3, 8 in source steps of 10: 60, 86.7, 113.3, 140.
    const std::uint8_t expected[] = {60, 86, 113, 140};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapImage image;
        MakeImage(image, c.width, c.height, [&](std::int32_t x, std::int32_t y) {
            const std::int32_t across = c.column ? x : y;  // 0 to 2; only 2 must count
            const std::int32_t along = c.column ? y : x;
            const auto v = static_cast<std::uint8_t>(30 * across + 10 * along);
            return PixelBGRA{v, v, v, 0};
        });
        ASSERT_TRUE(ResampleImage(image, c.mode, c.value));
        ASSERT_EQ(image.Width(), c.column ? 1 : 4);
        ASSERT_EQ(image.Height(), c.column ? 4 : 1);
        for (std::int32_t k = 0; k < 4; ++k) {
            const std::uint8_t v = expected[k];
            ExpectColour(image, c.column ? 0 : k, c.column ? k : 0, v, v, v);
        }
    }
}

TEST(ResampleImage, OnePixelWideOrHighSourceRepeatsAcross) {
    struct Case {
        std::int32_t width, height;
        char mode;
        std::int32_t value;
    };
    const Case cases[] = {{1, 3, 'W', 4}, {3, 1, 'H', 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        BitmapImage image;
        MakeImage(image, c.width, c.height, Mosaic);
        ASSERT_TRUE(ResampleImage(image, c.mode, c.value));
        ASSERT_EQ(image.Width() * image.Height(), 48);
        const bool wide = c.width == 1;  // the result repeats along x when the source is 1 wide
        for (std::int32_t x = 0; x < image.Width(); ++x) {
            for (std::int32_t y = 0; y < image.Height(); ++y) {
                const PixelBGRA first = wide ? image.PixelValue(0, y) : image.PixelValue(x, 0);
                ExpectColour(image, x, y, first.blue, first.green, first.red);
            }
        }
        // Not all one colour: the long direction still interpolates.
        EXPECT_NE(image.PixelValue(0, 0).blue,
                  image.PixelValue(image.Width() - 1, image.Height() - 1).blue);
    }
}

TEST(ResampleImage, SetsUnsetResolutionToTheDefaultWhateverTheLetter) {
    for (const char mode : {'P', 'X'}) {
        SCOPED_TRACE(std::string(1, mode));
        BitmapImage image;
        MakeImage(image, 3, 3, Mosaic);
        ASSERT_EQ(image.XPelsPerMeter(), 0);
        ResampleImage(image, mode, 100);
        EXPECT_EQ(image.XPelsPerMeter(), DefaultPelsPerMeter);
        EXPECT_EQ(image.YPelsPerMeter(), DefaultPelsPerMeter);
    }
    BitmapImage image;
    image.SetPelsPerMeter(2835, 1000);
    ASSERT_TRUE(ResampleImage(image, 'P', 200));
    EXPECT_EQ(image.XPelsPerMeter(), 2835);
    EXPECT_EQ(image.YPelsPerMeter(), 1000);
}

TEST(ResampleImage, UnknownLetterChangesNothingWithWarningsOnOrOff) {
    const char letters[] = {'X', 'x', 'Q', '\0', ' ', static_cast<char>(0xE9)};
    for (const bool warnings : {true, false}) {
        if (warnings) {
            WarningsOn();
        } else {
            WarningsOff();
        }
        for (const char letter : letters) {
            SCOPED_TRACE("letter " + std::to_string(static_cast<int>(letter)) +
                         (warnings ? ", warnings on" : ", warnings off"));
            BitmapImage image;
            ASSERT_TRUE(image.ChangeBitDepth(1));
            MakeImage(image, 4, 3, Mosaic);
            EXPECT_FALSE(ResampleImage(image, letter, 50));
            EXPECT_EQ(image.Width(), 4);
            EXPECT_EQ(image.Height(), 3);
            EXPECT_EQ(image.BitDepth(), 1);
            EXPECT_TRUE(image.HasPalette());
            for (std::int32_t x = 0; x < 4; ++x) {
                for (std::int32_t y = 0; y < 3; ++y)
                    EXPECT_EQ(image.PixelValue(x, y), Mosaic(x, y));
            }
        }
    }
    WarningsOn();
}

TEST(WarningSwitch, IsOnUntilSwitchedOffAndOnAgainAfterwards) {
    EXPECT_TRUE(WarningsEnabled());
    WarningsOff();
    EXPECT_FALSE(WarningsEnabled());
    WarningsOff();
    EXPECT_FALSE(WarningsEnabled());
    WarningsOn();
    EXPECT_TRUE(WarningsEnabled());
}

TEST(WarningSwitch, WarningTextNamesTheLetterAsPassed) {
    char buffer[WarningBufferSize];
    const char* const expected = "Bitmap library error: Unknown rescale mode x requested\n";
    EXPECT_EQ(FormatUnknownModeWarning(buffer, sizeof buffer, 'x'),
              static_cast<int>(std::strlen(expected)));
    EXPECT_STREQ(buffer, expected);
}

}  // namespace
}  // namespace vantrel
