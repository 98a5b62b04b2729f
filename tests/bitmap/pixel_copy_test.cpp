#include "bitmap/pixel_copy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "bitmap/bitmap_image.h"

namespace vantrel {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr PixelBGRA kBackground{1, 2, 3, 4};

// Every source pixel different from every other and from the background.
PixelBGRA SourcePixel(std::int32_t x, std::int32_t y) {
    return PixelBGRA{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 200,
                     static_cast<std::uint8_t>(100 + x + y)};
}

void MakeSource(BitmapImage& image, std::int32_t width, std::int32_t height) {
    ASSERT_TRUE(image.Resize(width, height));
    for (std::int32_t x = 0; x < width; ++x) {
        for (std::int32_t y = 0; y < height; ++y)
            image.PixelAt(x, y) = SourcePixel(x, y);
    }
}

void Fill(BitmapImage& image, std::int32_t width, std::int32_t height, PixelBGRA colour) {
    ASSERT_TRUE(image.Resize(width, height));
    for (std::int32_t x = 0; x < width; ++x) {
        for (std::int32_t y = 0; y < height; ++y)
            image.PixelAt(x, y) = colour;
    }
}

TEST(CopyPixel, OutsideCoordinatesReachTheNearestEdgePixels) {
    struct Case {
        std::int32_t sourceX, sourceY, targetX, targetY;
        std::int32_t expectSourceX, expectSourceY, expectTargetX, expectTargetY;
    };
    const Case cases[] = {
        {2, 1, 3, 4, 2, 1, 3, 4},
        {-3, 10, 9, -1, 0, 2, 4, 0},
        {kMax, kMin, kMin, kMax, 3, 0, 0, 4},
    };
    BitmapImage source;
    MakeSource(source, 4, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sourceX) + ", " + std::to_string(c.sourceY));
        BitmapImage target;
        Fill(target, 5, 5, kBackground);
        CopyPixel(source, c.sourceX, c.sourceY, target, c.targetX, c.targetY);
        EXPECT_EQ(target.PixelValue(c.expectTargetX, c.expectTargetY),
                  SourcePixel(c.expectSourceX, c.expectSourceY));
    }
}

TEST(CopyPixelUnlessKey, ComparesBlueGreenAndRedOnlyAndCopiesAlphaAlong) {
    const PixelBGRA key{10, 20, 30, 40};
    struct Case {
        PixelBGRA pixel;
        bool copied;
    };
    const Case cases[] = {
        {{10, 20, 30, 40}, false}, {{10, 20, 30, 99}, false},  // alpha does not count
        {{11, 20, 30, 40}, true},  {{10, 21, 30, 40}, true},  {{10, 20, 31, 7}, true},
    };
    for (const Case& c : cases) {
        BitmapImage source;
        Fill(source, 1, 1, c.pixel);
        BitmapImage target;
        Fill(target, 2, 2, kBackground);
        CopyPixelUnlessKey(source, 0, 0, target, 1, 1, key);
        EXPECT_EQ(target.PixelValue(1, 1), c.copied ? c.pixel : kBackground)
            << int{c.pixel.blue} << " " << int{c.pixel.green} << " " << int{c.pixel.red} << " "
            << int{c.pixel.alpha};
        EXPECT_EQ(target.PixelValue(0, 0), kBackground);
    }
}

// Rectangles that land whole: the source rectangle [sourceLeft, sourceRight] ×
// [sourceTop, sourceBottom] must appear at (targetLeft, targetTop) and nothing else
// may change. An empty expectation (sourceLeft > sourceRight) means nothing is copied.
TEST(CopyPixelRange, ClampsOrdersAndCutsTheRectangle) {
    struct Case {
        const char* name;
        std::int32_t sourceWidth, sourceHeight, targetWidth, targetHeight;
        std::int32_t left, right, firstRow, secondRow, targetX, targetY;
        std::int32_t sourceLeft, sourceRight, sourceTop, sourceBottom, targetLeft, targetTop;
    };
    const Case cases[] = {
        {"row bounds in either order", 10, 10, 10, 10, 0, 9, 7, 2, 0, 0, 0, 9, 2, 7, 0, 0},
        {"column bounds are not ordered", 10, 10, 10, 10, 7, 2, 0, 9, 0, 0, 1, 0, 0, 0, 0, 0},
        {"negative left keeps the place", 40, 10, 40, 10, -5, 10, 0, 0, 20, 3, 0, 10, 0, 0, 20, 3},
        {"negative top keeps the place", 5, 5, 9, 9, 1, 2, -3, 1, 4, 6, 1, 2, 0, 1, 4, 6},
        {"cut at the target's right edge", 20, 3, 100, 3, 0, 9, 0, 2, 95, 0, 0, 4, 0, 2, 95, 0},
        {"cut at the target's bottom edge", 3, 20, 3, 10, 0, 2, 5, 14, 0, 7, 0, 2, 5, 7, 0, 7},
        {"target x at the width", 20, 3, 100, 3, 0, 9, 0, 2, 100, 0, 1, 0, 0, 0, 0, 0},
        {"target y past the height", 4, 4, 4, 4, 0, 3, 0, 3, 0, 9, 1, 0, 0, 0, 0, 0},
        {"bounds past the source", 6, 4, 10, 10, 0, 1000, 1000, 0, 2, 3, 0, 5, 0, 3, 2, 3},
        {"left past the source", 6, 4, 10, 10, 6, 9, 0, 3, 0, 0, 1, 0, 0, 0, 0, 0},
        {"top past the source", 6, 4, 10, 10, 0, 5, 4, 8, 0, 0, 1, 0, 0, 0, 0, 0},
        {"single pixel", 6, 4, 6, 4, 3, 3, 2, 2, 0, 1, 3, 3, 2, 2, 0, 1},
        // Arguments at the ends of the 32-bit range: the clamping arithmetic must not wrap.
        {"extreme reversed columns", 4, 4, 4, 4, kMax, kMin, 0, 3, 0, 0, 1, 0, 0, 0, 0, 0},
        {"extreme target x", 4, 4, 4, 4, kMin, kMax, kMin, kMax, kMax, 0, 1, 0, 0, 0, 0, 0},
        {"extreme target y", 4, 4, 4, 4, 0, 3, 0, 3, 0, kMax, 1, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapImage source;
        MakeSource(source, c.sourceWidth, c.sourceHeight);
        BitmapImage target;
        Fill(target, c.targetWidth, c.targetHeight, kBackground);
        CopyPixelRange(source, c.left, c.right, c.firstRow, c.secondRow, target, c.targetX,
                       c.targetY);
        const std::int32_t copiedWidth = c.sourceRight - c.sourceLeft + 1;
        const std::int32_t copiedHeight = c.sourceBottom - c.sourceTop + 1;
        for (std::int32_t x = 0; x < c.targetWidth; ++x) {
            for (std::int32_t y = 0; y < c.targetHeight; ++y) {
                const std::int32_t dx = x - c.targetLeft;
                const std::int32_t dy = y - c.targetTop;
                const bool inside = dx >= 0 && dx < copiedWidth && dy >= 0 && dy < copiedHeight;
                const PixelBGRA want =
                    inside ? SourcePixel(c.sourceLeft + dx, c.sourceTop + dy) : kBackground;
                ASSERT_EQ(target.PixelValue(x, y), want) << "target " << x << ", " << y;
            }
        }
    }
}

// Target columns left of 0 fold onto column 0; the last pixel written there stays.
TEST(CopyPixelRange, NegativeTargetXLeavesTheColumnThatMapsOntoColumnZero) {
    BitmapImage source;
    MakeSource(source, 6, 2);
    BitmapImage target;
    Fill(target, 6, 2, kBackground);
    CopyPixelRange(source, 0, 5, 0, 1, target, -2, 0);
    for (std::int32_t y = 0; y < 2; ++y) {
        EXPECT_EQ(target.PixelValue(0, y), SourcePixel(2, y));
        EXPECT_EQ(target.PixelValue(1, y), SourcePixel(3, y));
        EXPECT_EQ(target.PixelValue(3, y), SourcePixel(5, y));
        EXPECT_EQ(target.PixelValue(4, y), kBackground);
        EXPECT_EQ(target.PixelValue(5, y), kBackground);
    }

    // The extreme: every column folds onto column 0 and the last one stays.
    Fill(target, 6, 2, kBackground);
    CopyPixelRange(source, kMin, kMax, 0, 1, target, kMin, 0);
    EXPECT_EQ(target.PixelValue(0, 1), SourcePixel(5, 1));
    EXPECT_EQ(target.PixelValue(1, 1), kBackground);
}

TEST(CopyPixelRangeUnlessKey, KeyPixelFoldingOntoColumnZeroLeavesTheLastOtherPixel) {
    const PixelBGRA key{50, 60, 70, 0};
    BitmapImage source;
    MakeSource(source, 6, 2);
    // Row 0: the pixel that maps onto column 0 is the key, the one before it is not.
    source.PixelAt(2, 0) = PixelBGRA{50, 60, 70, 255};
    // Row 1: every pixel that folds onto column 0 is the key.
    for (std::int32_t x = 0; x <= 2; ++x)
        source.PixelAt(x, 1) = key;
    // An ordinary key pixel inside the target, too.
    source.PixelAt(4, 0) = key;

    BitmapImage target;
    Fill(target, 6, 2, kBackground);
    CopyPixelRangeUnlessKey(source, 0, 5, 0, 1, target, -2, 0, key);
    EXPECT_EQ(target.PixelValue(0, 0), SourcePixel(1, 0));
    EXPECT_EQ(target.PixelValue(0, 1), kBackground);
    EXPECT_EQ(target.PixelValue(1, 0), SourcePixel(3, 0));
    EXPECT_EQ(target.PixelValue(2, 0), kBackground);
    EXPECT_EQ(target.PixelValue(3, 0), SourcePixel(5, 0));
    EXPECT_EQ(target.PixelValue(1, 1), SourcePixel(3, 1));
}

// One pixel at a time in ascending order: copying rightwards within one row smears the
// first pixel, copying leftwards shifts cleanly.
TEST(CopyPixelRange, SameImageOverlapCopiesInVisitingOrder) {
    struct Case {
        const char* name;
        std::int32_t left, right, targetX;
        std::vector<std::uint8_t> blues;
    };
    const Case cases[] = {
        {"rightwards", 0, 4, 1, {0, 0, 0, 0, 0, 0}},
        {"leftwards", 1, 5, 0, {1, 2, 3, 4, 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapImage image;
        MakeSource(image, 6, 1);
        CopyPixelRange(image, c.left, c.right, 0, 0, image, c.targetX, 0);
        for (std::int32_t x = 0; x < 6; ++x)
            EXPECT_EQ(image.PixelValue(x, 0).blue, c.blues[static_cast<std::size_t>(x)]) << x;
    }
}

TEST(CopyPixelRange, TouchesNeitherDepthPaletteNorResolution) {
    BitmapImage source;
    MakeSource(source, 3, 3);
    BitmapImage target;
    ASSERT_TRUE(target.ChangeBitDepth(4));
    ASSERT_TRUE(target.SetPaletteEntry(1, PixelBGRA{9, 9, 9, 9}));
    target.SetPelsPerMeter(0, 0);
    Fill(target, 3, 3, kBackground);
    CopyPixelRange(source, 0, 2, 0, 2, target, 0, 0);
    EXPECT_EQ(target.PixelValue(2, 2), SourcePixel(2, 2));
    EXPECT_EQ(target.BitDepth(), 4);
    EXPECT_EQ(target.PaletteEntry(1), (PixelBGRA{9, 9, 9, 9}));
    EXPECT_EQ(target.XPelsPerMeter(), 0);
}

}  // namespace
}  // namespace vantrel
