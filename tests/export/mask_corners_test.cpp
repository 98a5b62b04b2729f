#include "export/mask_corners.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>

namespace vantrel {
namespace {

constexpr PixelBGRA kSeed{10, 20, 30, 40};

bool IsBlack(const PixelBGRA& p) {
    return p.blue == 0 && p.green == 0 && p.red == 0;
}

// The painted sets, each measured from its own corner: a columns from the vertical
// edge, b rows from the horizontal edge. The clamping of the passes' last step makes
// the four triangles differ slightly.
bool InCornerSets(std::int32_t w, std::int32_t h, std::int32_t x, std::int32_t y) {
    const std::int32_t left = x, right = w - 1 - x, top = y, bottom = h - 1 - y;
    const bool topLeft = left + top <= 40;
    const bool bottomLeft = left + bottom <= 39 || (left == 40 && bottom == 0);
    const bool topRight = right + top <= 39 || (right == 0 && top == 40);
    const bool bottomRight =
        right + bottom <= 38 || (right == 39 && bottom == 0) || (right == 0 && bottom == 39);
    return topLeft || bottomLeft || topRight || bottomRight;
}

void Mask(BitmapImage& image, std::int32_t w, std::int32_t h) {
    ASSERT_TRUE(image.Resize(w, h));
    for (std::int32_t x = 0; x < w; ++x) {
        for (std::int32_t y = 0; y < h; ++y)
            image.PixelAt(x, y) = kSeed;
    }
    MaskCorners(image);
}

std::int32_t CountBlack(BitmapImage& image) {
    std::int32_t count = 0;
    for (std::int32_t x = 0; x < image.Width(); ++x) {
        for (std::int32_t y = 0; y < image.Height(); ++y)
            count += IsBlack(image.PixelValue(x, y));
    }
    return count;
}

TEST(MaskCorners, PaintsExactlyTheFourCornerSetsAtEverySize) {
    const std::pair<std::int32_t, std::int32_t> sizes[] = {
        {1, 1},   {2, 3},   {40, 40}, {41, 41}, {42, 42}, {1, 81},    {1, 82},  {81, 1},
        {80, 80}, {81, 81}, {82, 83}, {200, 7}, {7, 200}, {640, 480}, {100, 41}};
    for (const auto& [w, h] : sizes) {
        BitmapImage image;
        Mask(image, w, h);
        for (std::int32_t x = 0; x < w; ++x) {
            for (std::int32_t y = 0; y < h; ++y) {
                const PixelBGRA p = image.PixelValue(x, y);
                ASSERT_EQ(IsBlack(p), InCornerSets(w, h, x, y))
                    << w << " x " << h << " at (" << x << ", " << y << ")";
                ASSERT_EQ(p.alpha, kSeed.alpha) << "alpha is never painted";
                if (!IsBlack(p)) {
                    ASSERT_EQ(p, kSeed);
                }
            }
        }
    }
}

TEST(MaskCorners, SmallImagesAndTheirSurvivors) {
    struct Case {
        std::int32_t w, h;
        std::set<std::pair<std::int32_t, std::int32_t>> unpainted;
    };
    const Case cases[] = {
        {1, 1, {}},
        {41, 41, {}},
        {42, 42, {{21, 20}, {20, 21}, {21, 21}, {22, 21}, {21, 22}}},
        {1, 81, {}},
        {1, 82, {{0, 41}}},
    };
    for (const Case& c : cases) {
        BitmapImage image;
        Mask(image, c.w, c.h);
        std::set<std::pair<std::int32_t, std::int32_t>> unpainted;
        for (std::int32_t x = 0; x < c.w; ++x) {
            for (std::int32_t y = 0; y < c.h; ++y) {
                if (!IsBlack(image.PixelValue(x, y))) unpainted.insert({x, y});
            }
        }
        EXPECT_EQ(unpainted, c.unpainted) << c.w << " x " << c.h;
    }
}

TEST(MaskCorners, LargeImagesLoseExactly3285Pixels) {
    for (const auto& [w, h] : {std::pair{81, 81}, std::pair{640, 480}, std::pair{1000, 90}}) {
        BitmapImage image;
        Mask(image, w, h);
        EXPECT_EQ(CountBlack(image), 3285) << w << " x " << h;
    }
}

TEST(MaskCorners, EdgesOf640By480) {
    BitmapImage image;
    Mask(image, 640, 480);
    for (std::int32_t x = 0; x < 640; ++x) {
        const bool expected = x <= 40 || x >= 600;
        EXPECT_EQ(IsBlack(image.PixelValue(x, 0)), expected) << "top row, column " << x;
        EXPECT_EQ(IsBlack(image.PixelValue(x, 479)), expected) << "bottom row, column " << x;
    }
    for (std::int32_t y = 0; y < 480; ++y) {
        const bool expected = y <= 40 || y >= 440;
        EXPECT_EQ(IsBlack(image.PixelValue(0, y)), expected) << "left column, row " << y;
        EXPECT_EQ(IsBlack(image.PixelValue(639, y)), expected) << "right column, row " << y;
    }
}

TEST(MaskCorners, LeavesDepthPaletteAndResolutionAlone) {
    BitmapImage image;
    ASSERT_TRUE(image.ChangeBitDepth(8));
    ASSERT_TRUE(image.SetPaletteEntry(5, PixelBGRA{1, 2, 3, 4}));
    ASSERT_TRUE(image.Resize(90, 90));
    image.SetPelsPerMeter(1000, 2000);
    MaskCorners(image);
    EXPECT_EQ(image.BitDepth(), 8);
    EXPECT_EQ(image.PaletteEntry(5), (PixelBGRA{1, 2, 3, 4}));
    EXPECT_EQ(image.XPelsPerMeter(), 1000);
    EXPECT_EQ(image.YPelsPerMeter(), 2000);
    EXPECT_EQ(image.Width(), 90);
}

}  // namespace
}  // namespace vantrel
