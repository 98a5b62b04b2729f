#include "bitmap/bmp_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vantrel {
namespace {

TEST(BmpFormat, RecordsStartWithTheFormatDefaults) {
    const BmpFileHeader file;
    EXPECT_EQ(file.bfType, 19778);
    EXPECT_EQ(file.bfReserved1, 0);
    EXPECT_EQ(file.bfReserved2, 0);
    const BmpInfoHeader info;
    EXPECT_EQ(info.biPlanes, 1);
    EXPECT_EQ(info.biCompression, 0u);
    EXPECT_EQ(info.biXPelsPerMeter, 3780);
    EXPECT_EQ(info.biYPelsPerMeter, 3780);
    EXPECT_EQ(info.biClrUsed, 0u);
    EXPECT_EQ(info.biClrImportant, 0u);
}

TEST(BmpFormat, ByteSwaps) {
    EXPECT_EQ(ByteSwap32(0x11223344u), 0x44332211u);
    EXPECT_EQ(ByteSwap16(19778), 0x424D);
    EXPECT_EQ(ByteSwap16(0x00FF), 0xFF00);
    EXPECT_EQ(ByteSwap32(0x000000FFu), 0xFF000000u);
}

TEST(BmpFormat, ReverseByteOrderSwapsEveryFieldAndTwiceRestores) {
    BmpFileHeader file;
    file.bfSize = 0x01020304u;
    file.bfReserved1 = 0x0506;
    file.bfReserved2 = 0x0708;
    file.bfOffBits = 0x090A0B0Cu;
    BmpFileHeader swapped = file;
    swapped.ReverseByteOrder();
    EXPECT_EQ(swapped.bfType, 0x424D);
    EXPECT_EQ(swapped.bfSize, 0x04030201u);
    EXPECT_EQ(swapped.bfReserved1, 0x0605);
    EXPECT_EQ(swapped.bfReserved2, 0x0807);
    EXPECT_EQ(swapped.bfOffBits, 0x0C0B0A09u);
    swapped.ReverseByteOrder();
    EXPECT_EQ(swapped.bfSize, file.bfSize);
    EXPECT_EQ(swapped.bfOffBits, file.bfOffBits);

    BmpInfoHeader info;
    info.biSize = 40;
    info.biWidth = -2;
    info.biHeight = 0x01000000;
    info.biBitCount = 24;
    info.biCompression = 3;
    info.biSizeImage = 0xA1B2C3D4u;
    info.biClrUsed = 1;
    info.biClrImportant = 2;
    BmpInfoHeader twice = info;
    twice.ReverseByteOrder();
    EXPECT_EQ(twice.biSize, 0x28000000u);
    EXPECT_EQ(twice.biWidth, static_cast<std::int32_t>(0xFEFFFFFFu));
    EXPECT_EQ(twice.biHeight, 1);
    EXPECT_EQ(twice.biPlanes, 0x0100);
    EXPECT_EQ(twice.biBitCount, 0x1800);
    EXPECT_EQ(twice.biXPelsPerMeter, static_cast<std::int32_t>(ByteSwap32(3780)));
    twice.ReverseByteOrder();
    EXPECT_EQ(twice.biSize, info.biSize);
    EXPECT_EQ(twice.biWidth, info.biWidth);
    EXPECT_EQ(twice.biHeight, info.biHeight);
    EXPECT_EQ(twice.biPlanes, info.biPlanes);
    EXPECT_EQ(twice.biBitCount, info.biBitCount);
    EXPECT_EQ(twice.biCompression, info.biCompression);
    EXPECT_EQ(twice.biSizeImage, info.biSizeImage);
    EXPECT_EQ(twice.biXPelsPerMeter, info.biXPelsPerMeter);
    EXPECT_EQ(twice.biYPelsPerMeter, info.biYPelsPerMeter);
    EXPECT_EQ(twice.biClrUsed, info.biClrUsed);
    EXPECT_EQ(twice.biClrImportant, info.biClrImportant);
}

TEST(BmpFormat, LittleEndianHelpersPutTheLowByteFirst) {
    std::uint8_t bytes[4] = {};
    StoreLittleEndian32(bytes, 0x11223344u);
    EXPECT_EQ(bytes[0], 0x44);
    EXPECT_EQ(bytes[3], 0x11);
    EXPECT_EQ(LoadLittleEndian32(bytes), 0x11223344u);
    StoreLittleEndian16(bytes, 0x4D42);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(LoadLittleEndian16(bytes), 19778);
    const std::uint8_t high[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LoadLittleEndian32(high), 0xFFFFFFFFu);
}

TEST(BmpFormat, PaddedRowSizes) {
    struct Case {
        std::int64_t width, depth;
        std::uint64_t bytes;
    };
    const Case cases[] = {
        {1, 1, 4},
        {33, 1, 8},
        {32, 1, 4},
        {3, 4, 4},
        {9, 4, 8},
        {5, 8, 8},
        {4, 8, 4},
        {1, 16, 4},
        {2, 16, 4},
        {3, 16, 8},
        {1, 24, 4},
        {3, 24, 12},
        {4, 24, 12},
        {5, 24, 16},
        {1, 32, 4},
        {3, 32, 12},
        {7, 32, 28},
        // No overflow for the widest row any header can claim.
        {std::numeric_limits<std::int32_t>::max(), 32, 4ull * 2147483647ull},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PaddedRowSize(c.width, c.depth), c.bytes) << c.width << " at " << c.depth;
    }
}

}  // namespace
}  // namespace vantrel
