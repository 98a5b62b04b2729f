#include "bitmap/header_inspection.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bitmap/bmp_format.h"
#include "support/bmp_builder.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

// Field values whose bytes all differ, so that a byte-order or offset slip shows.
BmpBuilder DistinctFile() {
    BmpBuilder builder(3, 2, 24);
    builder.file.bfReserved1 = 0x1234;
    builder.file.bfReserved2 = 0xABCD;
    builder.info.biSizeImage = 16;
    builder.info.biXPelsPerMeter = 0x11223344;
    builder.info.biYPelsPerMeter = 2835;
    builder.info.biClrUsed = 0x01020304;
    builder.info.biClrImportant = 0x0A0B0C0D;
    builder.Row({1, 2, 3, 4, 5, 6, 7, 8, 9}).Row({9, 8, 7, 6, 5, 4, 3, 2, 1});
    return builder;
}

void ExpectFileHeader(const BmpFileHeader& actual, const BmpFileHeader& expected) {
    EXPECT_EQ(actual.bfType, expected.bfType);
    EXPECT_EQ(actual.bfSize, expected.bfSize);
    EXPECT_EQ(actual.bfReserved1, expected.bfReserved1);
    EXPECT_EQ(actual.bfReserved2, expected.bfReserved2);
    EXPECT_EQ(actual.bfOffBits, expected.bfOffBits);
}

void ExpectInfoHeader(const BmpInfoHeader& actual, const BmpInfoHeader& expected) {
    EXPECT_EQ(actual.biSize, expected.biSize);
    EXPECT_EQ(actual.biWidth, expected.biWidth);
    EXPECT_EQ(actual.biHeight, expected.biHeight);
    EXPECT_EQ(actual.biPlanes, expected.biPlanes);
    EXPECT_EQ(actual.biBitCount, expected.biBitCount);
    EXPECT_EQ(actual.biCompression, expected.biCompression);
    EXPECT_EQ(actual.biSizeImage, expected.biSizeImage);
    EXPECT_EQ(actual.biXPelsPerMeter, expected.biXPelsPerMeter);
    EXPECT_EQ(actual.biYPelsPerMeter, expected.biYPelsPerMeter);
    EXPECT_EQ(actual.biClrUsed, expected.biClrUsed);
    EXPECT_EQ(actual.biClrImportant, expected.biClrImportant);
}

// Copies one field from a stored header, in file order.
using FileFieldCopy = void (*)(BmpFileHeader&, const BmpFileHeader&);
using InfoFieldCopy = void (*)(BmpInfoHeader&, const BmpInfoHeader&);

constexpr FileFieldCopy kFileFields[] = {
    [](BmpFileHeader& d, const BmpFileHeader& s) { d.bfType = s.bfType; },
    [](BmpFileHeader& d, const BmpFileHeader& s) { d.bfSize = s.bfSize; },
    [](BmpFileHeader& d, const BmpFileHeader& s) { d.bfReserved1 = s.bfReserved1; },
    [](BmpFileHeader& d, const BmpFileHeader& s) { d.bfReserved2 = s.bfReserved2; },
    [](BmpFileHeader& d, const BmpFileHeader& s) { d.bfOffBits = s.bfOffBits; },
};

constexpr InfoFieldCopy kInfoFields[] = {
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biSize = s.biSize; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biWidth = s.biWidth; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biHeight = s.biHeight; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biPlanes = s.biPlanes; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biBitCount = s.biBitCount; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biCompression = s.biCompression; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biSizeImage = s.biSizeImage; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biXPelsPerMeter = s.biXPelsPerMeter; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biYPelsPerMeter = s.biYPelsPerMeter; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biClrUsed = s.biClrUsed; },
    [](BmpInfoHeader& d, const BmpInfoHeader& s) { d.biClrImportant = s.biClrImportant; },
};

class HeaderInspection : public ::testing::Test {
  protected:
    TempDir dir;
};

TEST_F(HeaderInspection, MissingFileGivesTheFailureMarkAndTheConstructionDefaults) {
    const std::string missing = dir.Path("missing.bmp");
    for (const char* path : {missing.c_str(), static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(path == nullptr ? "null path" : "missing file");
        BmpFileHeader expectedFile;
        expectedFile.bfType = 0;
        ExpectFileHeader(ReadBmpFileHeader(path), expectedFile);
        ExpectInfoHeader(ReadBmpInfoHeader(path), BmpInfoHeader{});
        EXPECT_EQ(BitmapFileBitDepth(path), 0);
        ShowBitmapInfo(path);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(HeaderInspection, ValidFileGivesEveryFieldAsStored) {
    const BmpBuilder builder = DistinctFile();
    const std::string path = dir.Path("valid.bmp");
    builder.WriteTo(path);

    BmpFileHeader expectedFile = builder.file;
    expectedFile.bfSize = 54 + 2 * 12;
    expectedFile.bfOffBits = 54;
    ExpectFileHeader(ReadBmpFileHeader(path.c_str()), expectedFile);
    ExpectInfoHeader(ReadBmpInfoHeader(path.c_str()), builder.info);
    EXPECT_EQ(BitmapFileBitDepth(path.c_str()), 24);
}

TEST_F(HeaderInspection, WrongSignatureIsReadWithoutComplaint) {
    BmpBuilder builder = DistinctFile();
    builder.file.bfType = 0x4B50;  // "PK"
    const std::string path = dir.Path("zip.bmp");
    builder.WriteTo(path);
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 'P');
    EXPECT_EQ(bytes[1], 'K');

    const BmpFileHeader header = ReadBmpFileHeader(path.c_str());
    EXPECT_EQ(header.bfType, 0x4B50);
    EXPECT_EQ(header.bfOffBits, 54u);
    EXPECT_EQ(ReadBmpInfoHeader(path.c_str()).biClrImportant, 0x0A0B0C0Du);
}

// A short file supplies the fields that end within it; the others, and a field the
// file ends inside of, keep their construction values.
TEST_F(HeaderInspection, ShortFilesSupplyOnlyTheFieldsTheyHold) {
    struct Case {
        std::size_t length;
        int fileFields;  // file header fields supplied, in file order
        int infoFields;  // info header fields supplied, in file order
    };
    const Case cases[] = {
        {0, 0, 0},  {1, 0, 0},  {2, 1, 0},  {5, 1, 0},  {6, 2, 0},   {14, 5, 0},  {17, 5, 0},
        {18, 5, 1}, {20, 5, 1}, {30, 5, 5}, {33, 5, 5}, {50, 5, 10}, {53, 5, 10}, {54, 5, 11},
    };
    const BmpBuilder full = DistinctFile();
    const std::vector<std::uint8_t> bytes = full.Bytes();
    BmpFileHeader stored = full.file;
    stored.bfSize = 54 + 2 * 12;
    stored.bfOffBits = 54;

    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + " bytes");
        const std::string path = dir.Path("short" + std::to_string(c.length) + ".bmp");
        WriteFileBytes(
            path, std::vector<std::uint8_t>(bytes.begin(),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(c.length)));
        BmpFileHeader expectedFile;  // an empty file keeps even the default signature
        for (int i = 0; i < c.fileFields; ++i)
            kFileFields[i](expectedFile, stored);
        ExpectFileHeader(ReadBmpFileHeader(path.c_str()), expectedFile);

        BmpInfoHeader expectedInfo;
        for (int i = 0; i < c.infoFields; ++i)
            kInfoFields[i](expectedInfo, full.info);
        ExpectInfoHeader(ReadBmpInfoHeader(path.c_str()), expectedInfo);
        EXPECT_EQ(BitmapFileBitDepth(path.c_str()), c.infoFields > 4 ? 24 : 0);
    }
}

TEST_F(HeaderInspection, ShowBitmapInfoLeavesTheFileAsItWas) {
    const std::string path = dir.Path("show.bmp");
    DistinctFile().WriteTo(path);
    const std::vector<std::uint8_t> before = ReadFileBytes(path);
    ShowBitmapInfo(path.c_str());
    EXPECT_EQ(ReadFileBytes(path), before);
}

}  // namespace
}  // namespace vantrel
