#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "bitmap/bitmap_image.h"

namespace vantrel {
namespace {

constexpr PixelBGRA kWhite0{255, 255, 255, 0};
constexpr PixelBGRA kMarker{1, 2, 3, 4};

// A distinct colour per palette index, alpha included, so that every field of a decoded
// pixel shows where it came from.
PixelBGRA IndexColour(std::int32_t index) {
    const auto i = static_cast<std::uint8_t>(index);
    return PixelBGRA{i, static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i ^ 0x5A),
                     static_cast<std::uint8_t>(i + 100)};
}

// Gives image the depth and size, palette entry i the colour IndexColour(i) and every
// pixel the value kMarker.
void Prepare(BitmapImage& image, std::int32_t depth, std::int32_t width, std::int32_t height) {
    EXPECT_TRUE(image.ChangeBitDepth(depth));
    EXPECT_TRUE(image.Resize(width, height));
    if (image.HasPalette()) {
        for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
            image.SetPaletteEntry(i, IndexColour(i));
    }
    for (std::int32_t x = 0; x < width; ++x) {
        for (std::int32_t y = 0; y < height; ++y)
            image.PixelAt(x, y) = kMarker;
    }
}

using Decoder = bool (BitmapImage::*)(const std::uint8_t*, std::int32_t, std::int32_t);
using Encoder = bool (BitmapImage::*)(std::uint8_t*, std::int32_t, std::int32_t) const;

Decoder DecoderFor(std::int32_t depth) {
    switch (depth) {
        case 1:
            return &BitmapImage::DecodeRow1;
        case 4:
            return &BitmapImage::DecodeRow4;
        case 8:
            return &BitmapImage::DecodeRow8;
        case 24:
            return &BitmapImage::DecodeRow24;
        default:
            return &BitmapImage::DecodeRow32;
    }
}

Encoder EncoderFor(std::int32_t depth) {
    switch (depth) {
        case 1:
            return &BitmapImage::EncodeRow1;
        case 4:
            return &BitmapImage::EncodeRow4;
        case 8:
            return &BitmapImage::EncodeRow8;
        case 24:
            return &BitmapImage::EncodeRow24;
        default:
            return &BitmapImage::EncodeRow32;
    }
}

TEST(RowDecoding, IndexedRowsTakeEveryPixelFromThePalette) {
    struct Case {
        std::int32_t depth, width;
        std::vector<std::uint8_t> bytes;
        std::vector<std::int32_t> indices;
    };
    const Case cases[] = {
        {4, 3, {0x12, 0x30}, {1, 2, 3}},
        {4, 4, {0xF0, 0x0F}, {15, 0, 0, 15}},
        {1, 9, {0xA5, 0x80}, {1, 0, 1, 0, 0, 1, 0, 1, 1}},
        {1, 5, {0xB0}, {1, 0, 1, 1, 0}},
        {1, 3, {0x5F}, {0, 1, 0}},  // bits past the width are ignored
        {8, 3, {0, 7, 255}, {0, 7, 255}},
    };
    for (const Case& c : cases) {
        BitmapImage image;
        Prepare(image, c.depth, c.width, 3);
        std::vector<std::uint8_t> padded = c.bytes;
        padded.resize(8, 0xFF);  // the padded row size decodes like the needed length
        const std::vector<std::uint8_t>* buffers[] = {&c.bytes, &padded};
        for (const std::vector<std::uint8_t>* buffer : buffers) {
            ASSERT_TRUE((image.*DecoderFor(c.depth))(buffer->data(),
                                                     static_cast<std::int32_t>(buffer->size()), 1));
            for (std::int32_t x = 0; x < c.width; ++x) {
                EXPECT_EQ(image.PixelValue(x, 1), IndexColour(c.indices[x]))
                    << c.depth << " bits, x " << x;
                EXPECT_EQ(image.PixelValue(x, 0), kMarker) << "other rows untouched";
                EXPECT_EQ(image.PixelValue(x, 2), kMarker);
            }
        }
    }
}

TEST(RowDecoding, ShortBuffersAndRowsOutsideTheImageChangeNothing) {
    struct Case {
        std::int32_t depth, width, length, y;
    };
    const Case cases[] = {
        {4, 3, 1, 0},  {1, 9, 1, 0},   {1, 8, 0, 0},  {8, 3, 2, 0}, {24, 2, 5, 0},
        {32, 2, 7, 0}, {24, 1, -1, 0}, {8, 1, 4, -1}, {8, 1, 4, 2}, {32, 1, 4, 1 << 30},
    };
    const std::vector<std::uint8_t> bytes(8, 0);
    for (const Case& c : cases) {
        BitmapImage image;
        Prepare(image, c.depth, c.width, 2);
        EXPECT_FALSE((image.*DecoderFor(c.depth))(bytes.data(), c.length, c.y))
            << c.depth << " bits, width " << c.width << ", length " << c.length << ", y " << c.y;
        for (std::int32_t x = 0; x < c.width; ++x) {
            EXPECT_EQ(image.PixelValue(x, 0), kMarker);
            EXPECT_EQ(image.PixelValue(x, 1), kMarker);
        }
    }
}

TEST(RowDecoding, DirectColourRows) {
    const std::uint8_t bytes[] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
    BitmapImage image;
    Prepare(image, 32, 2, 1);
    ASSERT_TRUE(image.DecodeRow32(bytes, 8, 0));
    EXPECT_EQ(image.PixelValue(0, 0), (PixelBGRA{0x10, 0x20, 0x30, 0x40}));
    EXPECT_EQ(image.PixelValue(1, 0), (PixelBGRA{0x50, 0x60, 0x70, 0x80}));

    // 24 bits: three bytes a pixel, alpha left as it was.
    Prepare(image, 24, 2, 1);
    ASSERT_TRUE(image.DecodeRow24(bytes, 6, 0));
    EXPECT_EQ(image.PixelValue(0, 0), (PixelBGRA{0x10, 0x20, 0x30, kMarker.alpha}));
    EXPECT_EQ(image.PixelValue(1, 0), (PixelBGRA{0x40, 0x50, 0x60, kMarker.alpha}));
}

TEST(RowDecoding, IndicesBeyondTheImagesPaletteDecodeWhite) {
    for (std::int32_t depth : {1, 4}) {
        BitmapImage image;
        Prepare(image, depth, 3, 1);
        const std::uint8_t bytes[] = {1, 16, 200};
        ASSERT_TRUE(image.DecodeRow8(bytes, 3, 0));
        EXPECT_EQ(image.PixelValue(0, 0), IndexColour(1));
        EXPECT_EQ(image.PixelValue(1, 0), kWhite0);
        EXPECT_EQ(image.PixelValue(2, 0), kWhite0);
    }
    // A direct-colour image has no palette at all.
    BitmapImage direct;
    Prepare(direct, 24, 1, 1);
    const std::uint8_t zero = 0;
    ASSERT_TRUE(direct.DecodeRow8(&zero, 1, 0));
    EXPECT_EQ(direct.PixelValue(0, 0), kWhite0);
}

TEST(RowEncoding, BufferTestsAreExactAndARefusalWritesNothing) {
    struct Case {
        std::int32_t depth, width, needed;
    };
    const Case cases[] = {
        {32, 3, 12}, {24, 3, 9}, {8, 5, 5}, {4, 3, 2}, {4, 4, 2}, {1, 10, 2}, {1, 8, 1}, {1, 1, 1},
    };
    for (const Case& c : cases) {
        BitmapImage image;
        Prepare(image, c.depth, c.width, 1);
        std::vector<std::uint8_t> row(16, 0xAA);
        EXPECT_FALSE((image.*EncoderFor(c.depth))(row.data(), c.needed - 1, 0))
            << c.depth << " bits, width " << c.width;
        EXPECT_EQ(row, std::vector<std::uint8_t>(16, 0xAA));
        EXPECT_TRUE((image.*EncoderFor(c.depth))(row.data(), c.needed, 0));
        // Bytes behind the pixel bytes (the row padding) are left alone.
        for (std::size_t i = static_cast<std::size_t>(c.needed); i < row.size(); ++i)
            EXPECT_EQ(row[i], 0xAA) << c.depth << " bits, byte " << i;
    }
    BitmapImage image;
    Prepare(image, 24, 2, 2);
    std::uint8_t row[8] = {};
    EXPECT_FALSE(image.EncodeRow24(row, 8, 2));
    EXPECT_FALSE(image.EncodeRow24(row, 8, -1));
}

TEST(RowEncoding, IndexedRowsPackTheLeftmostPixelHighest) {
    struct Case {
        std::int32_t depth;
        std::vector<std::int32_t> indices;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {1, {1, 0, 1, 1, 0}, {0xB0}},
        {1, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1}, {0x00, 0xC0}},
        {1, {1, 1, 1, 1, 1, 1, 1, 1, 1}, {0xFF, 0x80}},
        {4, {1, 2, 3}, {0x12, 0x30}},
        {4, {15, 0, 9, 14}, {0xF0, 0x9E}},
        {8, {0, 7, 255}, {0, 7, 255}},
    };
    for (const Case& c : cases) {
        BitmapImage image;
        Prepare(image, c.depth, static_cast<std::int32_t>(c.indices.size()), 1);
        for (std::size_t x = 0; x < c.indices.size(); ++x)
            image.PixelAt(static_cast<std::int32_t>(x), 0) = IndexColour(c.indices[x]);
        std::vector<std::uint8_t> row(c.bytes.size(), 0xAA);
        ASSERT_TRUE(
            (image.*EncoderFor(c.depth))(row.data(), static_cast<std::int32_t>(row.size()), 0));
        EXPECT_EQ(row, c.bytes) << c.depth << " bits, " << c.indices.size() << " pixels";
    }
}

TEST(RowEncoding, ThirtyTwoBitsKeepAlphaTwentyFourDropIt) {
    BitmapImage image;
    Prepare(image, 32, 2, 1);
    image.PixelAt(0, 0) = PixelBGRA{0x10, 0x20, 0x30, 0x40};
    image.PixelAt(1, 0) = PixelBGRA{0x50, 0x60, 0x70, 0x80};
    std::uint8_t row[8] = {};
    ASSERT_TRUE(image.EncodeRow32(row, 8, 0));
    EXPECT_EQ(std::vector<std::uint8_t>(row, row + 8),
              (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}));
    std::uint8_t row24[8] = {};
    ASSERT_TRUE(image.EncodeRow24(row24, 6, 0));
    EXPECT_EQ(std::vector<std::uint8_t>(row24, row24 + 8),
              (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x50, 0x60, 0x70, 0, 0}));
}

TEST(RowCoding, EncodingThenDecodingGivesThePaletteColoursBack) {
    for (std::int32_t depth : {1, 4, 8}) {
        const std::int32_t width = 37;  // a cut-short last byte at 1 and 4 bits
        BitmapImage image;
        Prepare(image, depth, width, 2);
        const std::int32_t colours = image.PaletteSize();
        for (std::int32_t x = 0; x < width; ++x)
            image.PixelAt(x, 0) = IndexColour((x * 7) % colours);
        std::vector<std::uint8_t> row(40, 0);
        ASSERT_TRUE((image.*EncoderFor(depth))(row.data(), 40, 0));
        ASSERT_TRUE((image.*DecoderFor(depth))(row.data(), 40, 1));
        for (std::int32_t x = 0; x < width; ++x)
            EXPECT_EQ(image.PixelValue(x, 1), IndexColour((x * 7) % colours)) << depth << " " << x;
    }
}

TEST(NearestPaletteIndex, LowestIndexWinsTiesAndAlphaDoesNotCount) {
    BitmapImage image;
    ASSERT_TRUE(image.ChangeBitDepth(8));
    for (std::int32_t i = 0; i < 256; ++i)
        image.SetPaletteEntry(i, PixelBGRA{255, 255, 255, 0});
    image.SetPaletteEntry(3, PixelBGRA{10, 0, 0, 0});
    image.SetPaletteEntry(5, PixelBGRA{30, 0, 0, 0});
    image.SetPaletteEntry(4, PixelBGRA{0, 90, 90, 200});
    image.SetPaletteEntry(9, PixelBGRA{0, 90, 90, 7});
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{20, 0, 0, 0}), 3) << "equally near 3 and 5";
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{21, 0, 0, 0}), 5) << "nearer to 5";
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{0, 90, 90, 9}), 4);
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{255, 255, 255, 0}), 0);
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{255, 255, 250, 0}), 0);
}

TEST(NearestPaletteIndex, StandardPalettesAndImagesWithoutPalette) {
    BitmapImage image;
    ASSERT_TRUE(image.ChangeBitDepth(8));
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{255, 255, 255, 0}), 255);
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{0, 0, 0, 0}), 0);
    // Gray 128 is both the cube's entry 164 and the fixed entry 248: the lower one wins.
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{128, 128, 128, 0}), 164);
    ASSERT_TRUE(image.ChangeBitDepth(4));
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{128, 128, 128, 0}), 7);
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{200, 190, 185, 0}), 8);
    ASSERT_TRUE(image.ChangeBitDepth(1));
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{127, 127, 127, 0}), 0);
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{128, 128, 128, 0}), 1);
    // Without a palette every entry reads as white, so the first one is as near as any.
    ASSERT_TRUE(image.ChangeBitDepth(24));
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{0, 0, 0, 0}), 0);
    EXPECT_EQ(image.NearestPaletteIndex(PixelBGRA{255, 255, 255, 0}), 0);
}

}  // namespace
}  // namespace vantrel
