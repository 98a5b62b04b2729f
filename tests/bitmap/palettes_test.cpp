#include <gtest/gtest.h>

#include <cstdint>

#include "bitmap/bitmap_image.h"

namespace vantrel {
namespace {

struct Entry {
    std::int32_t depth, index;
    PixelBGRA colour;
};

TEST(StandardPalette, EntriesThatPlacesOfTheTableGetWrong) {
    const Entry cases[] = {
        {1, 0, {0, 0, 0, 0}},         {1, 1, {255, 255, 255, 0}},   {4, 1, {0, 0, 128, 0}},
        {4, 4, {128, 0, 0, 0}},       {4, 7, {128, 128, 128, 0}},   {4, 8, {192, 192, 192, 0}},
        {4, 9, {0, 0, 255, 0}},       {4, 12, {255, 0, 0, 0}},      {4, 15, {255, 255, 255, 0}},
        {8, 0, {0, 0, 0, 0}},         {8, 1, {0, 0, 128, 0}},       {8, 6, {128, 128, 0, 0}},
        {8, 7, {192, 192, 192, 0}},   {8, 8, {192, 220, 192, 0}},   {8, 9, {240, 202, 166, 0}},
        {8, 10, {0, 32, 64, 0}},      {8, 100, {64, 128, 128, 0}},  {8, 245, {192, 192, 160, 0}},
        {8, 246, {240, 251, 255, 0}}, {8, 247, {164, 160, 160, 0}}, {8, 248, {128, 128, 128, 0}},
        {8, 249, {0, 0, 255, 0}},     {8, 252, {255, 0, 0, 0}},     {8, 255, {255, 255, 255, 0}},
    };
    for (const Entry& c : cases) {
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(c.depth));
        EXPECT_EQ(image.PaletteEntry(c.index), c.colour) << c.depth << " bits, entry " << c.index;
    }
}

TEST(StandardPalette, EightBitCubeRuleHoldsBetweenTheSystemColours) {
    BitmapImage image;
    ASSERT_TRUE(image.ChangeBitDepth(8));
    for (std::int32_t n = 10; n <= 245; ++n) {
        const PixelBGRA expected{static_cast<std::uint8_t>(64 * (n / 64)),
                                 static_cast<std::uint8_t>(32 * ((n / 8) % 8)),
                                 static_cast<std::uint8_t>(32 * (n % 8)), 0};
        EXPECT_EQ(image.PaletteEntry(n), expected) << n;
    }
}

TEST(Palettes, EveryEntryHasAlphaZero) {
    for (std::int32_t depth : {1, 4, 8}) {
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(depth));
        for (std::int32_t i = 0; i < image.PaletteSize(); ++i) {
            ASSERT_TRUE(image.SetPaletteEntry(i, PixelBGRA{1, 1, 1, 77}));
        }
        ASSERT_TRUE(image.FillStandardPalette());
        for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
            EXPECT_EQ(image.PaletteEntry(i).alpha, 0);
        for (std::int32_t i = 0; i < image.PaletteSize(); ++i) {
            ASSERT_TRUE(image.SetPaletteEntry(i, PixelBGRA{1, 1, 1, 77}));
        }
        ASSERT_TRUE(image.FillGrayscalePalette());
        for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
            EXPECT_EQ(image.PaletteEntry(i).alpha, 0);
    }
}

TEST(GrayscalePalette, RampsAtEachDepth) {
    struct Case {
        std::int32_t depth, index;
        std::uint8_t gray;
    };
    const Case cases[] = {{1, 0, 0},    {1, 1, 255}, {4, 1, 17},    {4, 2, 34},
                          {4, 15, 255}, {8, 0, 0},   {8, 200, 200}, {8, 255, 255}};
    for (const Case& c : cases) {
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(c.depth));
        ASSERT_TRUE(image.FillGrayscalePalette());
        EXPECT_EQ(image.PaletteEntry(c.index), (PixelBGRA{c.gray, c.gray, c.gray, 0}))
            << c.depth << " bits, entry " << c.index;
    }
}

TEST(Palettes, DirectColourDepthsAreRefusedAndNothingChanges) {
    for (std::int32_t depth : {16, 24, 32}) {
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(depth));
        EXPECT_FALSE(image.FillStandardPalette()) << depth;
        EXPECT_FALSE(image.FillGrayscalePalette()) << depth;
        EXPECT_FALSE(image.HasPalette());
    }
}

}  // namespace
}  // namespace vantrel
