#include "bitmap/bitmap_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vantrel {
namespace {

constexpr PixelBGRA kWhite0{255, 255, 255, 0};

// Fills every pixel with a colour derived from its position so that moves show.
void Paint(BitmapImage& image) {
    for (std::int32_t x = 0; x < image.Width(); ++x) {
        for (std::int32_t y = 0; y < image.Height(); ++y) {
            image.PixelAt(x, y) =
                PixelBGRA{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7,
                          static_cast<std::uint8_t>(x + y)};
        }
    }
}

TEST(BitmapImage, NewImageIsOnePixelTwentyFourBitsWithoutPalette) {
    BitmapImage image;
    EXPECT_EQ(image.Width(), 1);
    EXPECT_EQ(image.Height(), 1);
    EXPECT_EQ(image.BitDepth(), 24);
    EXPECT_EQ(image.PaletteSize(), 16777216);
    EXPECT_FALSE(image.HasPalette());
    EXPECT_EQ(image.PaletteEntry(0), kWhite0);
    EXPECT_EQ(image.XPelsPerMeter(), 0);
    EXPECT_EQ(image.HorizontalDpi(), 96);
    EXPECT_EQ(image.XPelsPerMeter(), 3780);
}

TEST(BitmapImage, ResizeRefusesNonPositiveAndHostileSizes) {
    struct Case {
        std::int32_t width, height;
    };
    const Case cases[] = {
        {0, 5},
        {5, -1},
        {-3, -3},
        {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()},
        {(1 << 14) + 1, 1 << 14},  // one column past MaxPixelCount
        {(1 << 28) + 1, 1},        // one pixel past MaxPixelCount in a single row
        {1, 1 << 29},
    };
    for (const Case& c : cases) {
        BitmapImage image;
        ASSERT_TRUE(image.Resize(4, 3));
        Paint(image);
        EXPECT_FALSE(image.Resize(c.width, c.height)) << c.width << " x " << c.height;
        EXPECT_EQ(image.Width(), 4);
        EXPECT_EQ(image.Height(), 3);
        EXPECT_EQ(image.PixelValue(3, 2), (PixelBGRA{3, 2, 7, 5}));
    }
}

TEST(BitmapImage, ResizeMakesEveryPixelWhiteTransparentAndKeepsDepthAndPalette) {
    BitmapImage image;
    ASSERT_TRUE(image.ChangeBitDepth(4));
    ASSERT_TRUE(image.SetPaletteEntry(3, PixelBGRA{1, 2, 3, 4}));
    ASSERT_TRUE(image.Resize(5, 5));
    Paint(image);
    ASSERT_TRUE(image.Resize(3, 2));
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    for (std::int32_t x = 0; x < 3; ++x) {
        for (std::int32_t y = 0; y < 2; ++y)
            EXPECT_EQ(image.PixelValue(x, y), kWhite0);
    }
    EXPECT_EQ(image.BitDepth(), 4);
    EXPECT_EQ(image.PaletteEntry(3), (PixelBGRA{1, 2, 3, 4}));
    // Same size again still discards the pixels.
    Paint(image);
    ASSERT_TRUE(image.Resize(3, 2));
    EXPECT_EQ(image.PixelValue(2, 1), kWhite0);
}

TEST(BitmapImage, ChangeBitDepthTable) {
    struct Case {
        std::int32_t depth;
        bool accepted;
        std::int32_t paletteSize;
        bool hasPalette;
    };
    const Case cases[] = {
        {1, true, 2, true},       {4, true, 16, true},         {8, true, 256, true},
        {16, true, 65536, false}, {24, true, 16777216, false}, {32, true, 16777216, false},
        {0, false, 256, true},    {2, false, 256, true},       {-8, false, 256, true},
        {64, false, 256, true},
    };
    for (const Case& c : cases) {
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(8));
        ASSERT_TRUE(image.Resize(2, 2));
        Paint(image);
        EXPECT_EQ(image.ChangeBitDepth(c.depth), c.accepted) << c.depth;
        EXPECT_EQ(image.BitDepth(), c.accepted ? c.depth : 8);
        EXPECT_EQ(image.PaletteSize(), c.paletteSize) << c.depth;
        EXPECT_EQ(image.HasPalette(), c.hasPalette) << c.depth;
        EXPECT_EQ(image.PixelValue(1, 1), (PixelBGRA{1, 1, 7, 2})) << "grid kept";
    }
}

TEST(BitmapImage, ChangeBitDepthToSameDepthRestoresStandardPalette) {
    BitmapImage image;
    ASSERT_TRUE(image.ChangeBitDepth(8));
    const PixelBGRA standard = image.PaletteEntry(100);
    ASSERT_TRUE(image.SetPaletteEntry(100, PixelBGRA{9, 9, 9, 9}));
    ASSERT_TRUE(image.ChangeBitDepth(8));
    EXPECT_EQ(image.PaletteEntry(100), standard);
}

TEST(BitmapImage, PixelAccessClampsBothCoordinates) {
    BitmapImage image;
    ASSERT_TRUE(image.Resize(10, 20));
    Paint(image);
    struct Case {
        std::int32_t x, y, expectedX, expectedY;
    };
    const Case cases[] = {
        {-5, 1000, 0, 19},
        {10, 0, 9, 0},
        {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 0, 19},
        {std::numeric_limits<std::int32_t>::max(), -1, 9, 0},
        {4, 7, 4, 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(&image.PixelAt(c.x, c.y), &image.PixelAt(c.expectedX, c.expectedY));
        EXPECT_EQ(image.PixelValue(c.x, c.y), image.PixelValue(c.expectedX, c.expectedY));
    }
    image.PixelAt(-1, -1).red = 99;
    EXPECT_EQ(image.PixelValue(0, 0).red, 99);
}

TEST(BitmapImage, StorePixelStoresInsideAndRefusesOutside) {
    BitmapImage image;
    ASSERT_TRUE(image.Resize(3, 2));
    const PixelBGRA colour{1, 2, 3, 4};
    EXPECT_TRUE(image.StorePixel(2, 1, colour));
    EXPECT_EQ(image.PixelValue(2, 1), colour);
    const std::int32_t outside[][2] = {{3, 0}, {0, 2}, {-1, 0}, {0, -1}};
    for (const auto& at : outside) {
        EXPECT_FALSE(image.StorePixel(at[0], at[1], PixelBGRA{9, 9, 9, 9}));
    }
    for (std::int32_t x = 0; x < 3; ++x) {
        for (std::int32_t y = 0; y < 2; ++y) {
            EXPECT_EQ(image.PixelValue(x, y), (x == 2 && y == 1) ? colour : kWhite0);
        }
    }
}

TEST(BitmapImage, PaletteAccessOutsideThePalette) {
    struct Case {
        std::int32_t depth, index;
    };
    const Case refused[] = {{8, 256}, {8, -1}, {24, 0}, {1, 2}, {4, 16}, {4, -100}};
    for (const Case& c : refused) {
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(c.depth));
        EXPECT_EQ(image.PaletteEntry(c.index), kWhite0) << c.depth << " " << c.index;
        EXPECT_FALSE(image.SetPaletteEntry(c.index, PixelBGRA{1, 2, 3, 4}));
    }
    BitmapImage image;
    ASSERT_TRUE(image.ChangeBitDepth(1));
    EXPECT_TRUE(image.SetPaletteEntry(1, PixelBGRA{1, 2, 3, 4}));
    EXPECT_EQ(image.PaletteEntry(1), (PixelBGRA{1, 2, 3, 4}));
    EXPECT_EQ(image.PaletteEntry(0), (PixelBGRA{0, 0, 0, 0}));
}

TEST(BitmapImage, DpiFromPelsPerMeter) {
    const std::int32_t cases[][2] = {{0, 96},    {3780, 96}, {3779, 95},
                                     {2835, 72}, {2834, 71}, {39, 0}};
    for (const auto& c : cases) {
        BitmapImage image;
        image.SetPelsPerMeter(c[0], c[0]);
        EXPECT_EQ(image.HorizontalDpi(), c[1]) << c[0];
        EXPECT_EQ(image.VerticalDpi(), c[1]) << c[0];
        EXPECT_EQ(image.XPelsPerMeter(), c[0] == 0 ? 3780 : c[0]);
    }
}

TEST(BitmapImage, SetResolutionDpi) {
    const std::int32_t cases[][2] = {
        {300, 11811},
        {96, 3779},
        {72, 2834},
        {1, 39},
        {0, 0},
        {-96, -3779},
        // Out of the field's range: saturated, not wrapped.
        {54546085, std::numeric_limits<std::int32_t>::max()},
        {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min()}};
    for (const auto& c : cases) {
        BitmapImage image;
        image.SetResolutionDpi(c[0], c[0]);
        EXPECT_EQ(image.XPelsPerMeter(), c[1]) << c[0];
        EXPECT_EQ(image.YPelsPerMeter(), c[1]) << c[0];
    }
    BitmapImage image;
    image.SetResolutionDpi(96, 72);
    EXPECT_EQ(image.XPelsPerMeter(), 3779);
    EXPECT_EQ(image.YPelsPerMeter(), 2834);
    EXPECT_EQ(image.HorizontalDpi(), 95);
    EXPECT_EQ(image.VerticalDpi(), 71);
}

TEST(BitmapImage, CopyConstructionPassesResolutionThroughDpi) {
    BitmapImage source;
    BitmapImage copy(source);
    EXPECT_EQ(source.XPelsPerMeter(), 3780);
    EXPECT_EQ(source.YPelsPerMeter(), 3780);
    EXPECT_EQ(copy.XPelsPerMeter(), 3779);
    EXPECT_EQ(copy.YPelsPerMeter(), 3779);
}

TEST(BitmapImage, CopyConstructionCopiesDepthSizePaletteAndPixels) {
    BitmapImage source;
    ASSERT_TRUE(source.ChangeBitDepth(4));
    ASSERT_TRUE(source.Resize(6, 5));
    Paint(source);
    for (std::int32_t i = 0; i < 16; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 3);
        ASSERT_TRUE(source.SetPaletteEntry(i, PixelBGRA{v, 1, 2, 3}));
    }
    BitmapImage copy(source);
    EXPECT_EQ(copy.BitDepth(), 4);
    EXPECT_EQ(copy.Width(), 6);
    EXPECT_EQ(copy.Height(), 5);
    for (std::int32_t i = 0; i < 16; ++i)
        EXPECT_EQ(copy.PaletteEntry(i), source.PaletteEntry(i));
    for (std::int32_t x = 0; x < 6; ++x) {
        for (std::int32_t y = 0; y < 5; ++y)
            EXPECT_EQ(copy.PixelValue(x, y), source.PixelValue(x, y));
    }
    // Independent storage.
    copy.PixelAt(0, 0).blue = 200;
    EXPECT_EQ(source.PixelValue(0, 0).blue, 0);
}

TEST(IntegerPower, Table) {
    const std::int32_t cases[][3] = {
        {2, 0, 1},  {7, -3, 1}, {2, 10, 1024}, {2, 31, std::numeric_limits<std::int32_t>::min()},
        {2, 32, 0}, {3, 3, 27}, {-2, 3, -8},   {10, 10, 1410065408}};
    for (const auto& c : cases)
        EXPECT_EQ(IntegerPower(c[0], c[1]), c[2]) << c[0] << "^" << c[1];
}

}  // namespace
}  // namespace vantrel
