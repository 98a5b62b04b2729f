#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bitmap/bitmap_image.h"
#include "bitmap/bmp_format.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

std::uint16_t U16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return LoadLittleEndian16(bytes.data() + at);
}

std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return LoadLittleEndian32(bytes.data() + at);
}

std::int32_t I32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::int32_t>(U32(bytes, at));
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t at,
                                std::size_t count) {
    return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
}

class BmpWriterTest : public ::testing::Test {
  protected:
    // Saves the image and returns the file's bytes.
    std::vector<std::uint8_t> SaveBytes() {
        int error = -1;
        EXPECT_TRUE(image.Save(path.c_str(), &error));
        EXPECT_EQ(error, 0);
        return ReadFileBytes(path);
    }

    void Prepare(std::int32_t depth, std::int32_t width, std::int32_t height) {
        ASSERT_TRUE(image.ChangeBitDepth(depth));
        ASSERT_TRUE(image.Resize(width, height));
    }

    TempDir dir;
    std::string path = dir.Path("out.bmp");
    BitmapImage image;
};

TEST_F(BmpWriterTest, HeaderValuesForSmallImages) {
    struct Case {
        std::int32_t depth, width, height;
        std::uint32_t rowSize, sizeImage, offBits, fileSize, compression;
    };
    const Case cases[] = {
        {1, 1, 1, 4, 4, 62, 66, 0},    {1, 10, 3, 4, 12, 62, 74, 0},
        {4, 3, 2, 4, 8, 118, 126, 0},  {8, 5, 2, 8, 16, 1078, 1094, 0},
        {16, 3, 2, 8, 16, 66, 82, 3},  {16, 2, 2, 4, 8, 66, 74, 3},
        {24, 1, 1, 4, 4, 54, 58, 0},   {24, 5, 3, 16, 48, 54, 102, 0},
        {32, 3, 2, 12, 24, 54, 78, 0}, {1, 33, 1, 8, 8, 62, 70, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " bits, " << c.width << " x " << c.height);
        Prepare(c.depth, c.width, c.height);
        const std::vector<std::uint8_t> bytes = SaveBytes();
        ASSERT_EQ(bytes.size(), c.fileSize);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(U32(bytes, 2), c.fileSize);
        EXPECT_EQ(U16(bytes, 6), 0);
        EXPECT_EQ(U16(bytes, 8), 0);
        EXPECT_EQ(U32(bytes, 10), c.offBits);
        EXPECT_EQ(U32(bytes, 14), 40u);
        EXPECT_EQ(I32(bytes, 18), c.width);
        EXPECT_EQ(I32(bytes, 22), c.height);
        EXPECT_EQ(U16(bytes, 26), 1);
        EXPECT_EQ(U16(bytes, 28), c.depth);
        EXPECT_EQ(U32(bytes, 30), c.compression);
        EXPECT_EQ(U32(bytes, 34), c.sizeImage);
        EXPECT_EQ(I32(bytes, 38), 3780);
        EXPECT_EQ(I32(bytes, 42), 3780);
        EXPECT_EQ(U32(bytes, 46), 0u);
        EXPECT_EQ(U32(bytes, 50), 0u);
        EXPECT_EQ(c.sizeImage, c.rowSize * static_cast<std::uint32_t>(c.height));
    }
}

TEST_F(BmpWriterTest, ResolutionZeroIsWrittenAsTheDefault) {
    struct Case {
        std::int32_t x, y, writtenX, writtenY;
    };
    const Case cases[] = {{0, 0, 3780, 3780}, {1000, 0, 1000, 3780}, {-5, 7, -5, 7}};
    for (const Case& c : cases) {
        image.SetPelsPerMeter(c.x, c.y);
        const std::vector<std::uint8_t> bytes = SaveBytes();
        EXPECT_EQ(I32(bytes, 38), c.writtenX);
        EXPECT_EQ(I32(bytes, 42), c.writtenY);
        EXPECT_EQ(image.XPelsPerMeter(), c.x) << "the image keeps its own value";
    }
}

TEST_F(BmpWriterTest, ColourTableIsWrittenInFullAsStored) {
    Prepare(4, 3, 1);
    ASSERT_TRUE(image.SetPaletteEntry(2, PixelBGRA{10, 20, 30, 40}));
    const std::vector<std::uint8_t> bytes = SaveBytes();
    EXPECT_EQ(Slice(bytes, 54, 4), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(Slice(bytes, 54 + 2 * 4, 4), (std::vector<std::uint8_t>{10, 20, 30, 40}));
    EXPECT_EQ(Slice(bytes, 54 + 15 * 4, 4), (std::vector<std::uint8_t>{255, 255, 255, 0}));
}

TEST_F(BmpWriterTest, IndexedRowsAreNearestIndicesBottomRowFirstWithZeroPadding) {
    Prepare(1, 5, 2);
    // Top row 1, 0, 1, 1, 0 (grays that are nearer to white or to black); bottom row black.
    const std::uint8_t top[] = {200, 20, 129, 255, 127};
    for (std::int32_t x = 0; x < 5; ++x) {
        image.PixelAt(x, 0) = PixelBGRA{top[x], top[x], top[x], 0};
        image.PixelAt(x, 1) = PixelBGRA{0, 0, 0, 99};
    }
    const std::vector<std::uint8_t> bytes = SaveBytes();
    EXPECT_EQ(Slice(bytes, 62, 8), (std::vector<std::uint8_t>{0, 0, 0, 0, 0xB0, 0, 0, 0}));
}

TEST_F(BmpWriterTest, DirectColourRows) {
    Prepare(32, 2, 1);
    image.PixelAt(0, 0) = PixelBGRA{1, 2, 3, 4};
    image.PixelAt(1, 0) = PixelBGRA{5, 6, 7, 8};
    EXPECT_EQ(Slice(SaveBytes(), 54, 8), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(image.ChangeBitDepth(24));
    EXPECT_EQ(Slice(SaveBytes(), 54, 8), (std::vector<std::uint8_t>{1, 2, 3, 5, 6, 7, 0, 0}));
}

TEST_F(BmpWriterTest, SixteenBitsAreFiveSixFiveWithMaskBlockAndPadding) {
    Prepare(16, 3, 1);
    image.PixelAt(0, 0) = PixelBGRA{8, 4, 8, 0};
    image.PixelAt(1, 0) = PixelBGRA{255, 255, 255, 0};
    image.PixelAt(2, 0) = PixelBGRA{7, 3, 7, 255};  // only dropped bits and alpha
    const std::vector<std::uint8_t> bytes = SaveBytes();
    EXPECT_EQ(Slice(bytes, 54, 12),
              (std::vector<std::uint8_t>{0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}));
    EXPECT_EQ(Slice(bytes, 66, 8),
              (std::vector<std::uint8_t>{0x21, 0x08, 0xFF, 0xFF, 0x00, 0x00, 0, 0}));

    // Even widths have no padding: two rows of 4 bytes each.
    Prepare(16, 2, 2);
    image.PixelAt(0, 1) = PixelBGRA{0, 0, 255, 0};
    image.PixelAt(1, 0) = PixelBGRA{0, 255, 0, 0};
    const std::vector<std::uint8_t> even = SaveBytes();
    ASSERT_EQ(even.size(), 74u);
    EXPECT_EQ(Slice(even, 66, 8),
              (std::vector<std::uint8_t>{0x00, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xE0, 0x07}));
}

TEST_F(BmpWriterTest, UnopenablePathFailsWithTheSystemErrorAndChangesNothing) {
    Prepare(8, 2, 2);
    image.PixelAt(1, 1) = PixelBGRA{1, 2, 3, 4};
    int error = 0;
    EXPECT_FALSE(image.Save(dir.Path("missing/out.bmp").c_str(), &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(image.Save(nullptr));
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.BitDepth(), 8);
    EXPECT_EQ(image.PixelValue(1, 1), (PixelBGRA{1, 2, 3, 4}));
}

TEST_F(BmpWriterTest, ShortWritesFailTheSave) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    // A small file fails when its buffer is flushed at the close; a large one in the
    // middle of its rows.
    for (std::int32_t side : {2, 300}) {
        SCOPED_TRACE(side);
        Prepare(24, side, side);
        int error = 0;
        EXPECT_FALSE(image.Save("/dev/full", &error));
        EXPECT_EQ(error, ENOSPC);
    }
}

}  // namespace
}  // namespace vantrel
