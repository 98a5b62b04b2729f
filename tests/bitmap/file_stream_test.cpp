#include "bitmap/file_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

class FileStreamTest : public ::testing::Test {
  protected:
    FileHandle Open(const std::vector<std::uint8_t>& bytes) {
        WriteFileBytes(path, bytes);
        return OpenFile(path.c_str(), "rb");
    }

    TempDir dir;
    std::string path = dir.Path("data.bin");
};

TEST_F(FileStreamTest, OpenFileGivesAnEmptyHandleForNullAndMissingPaths) {
    EXPECT_FALSE(OpenFile(nullptr, "rb"));
    EXPECT_FALSE(OpenFile(dir.Path("missing.bmp").c_str(), "rb"));
}

TEST_F(FileStreamTest, ReadExactlyIsTrueOnlyWhenEveryItemArrives) {
    FileHandle file = Open({1, 2, 3, 4, 5});
    ASSERT_TRUE(file);
    std::uint8_t buffer[4] = {};
    EXPECT_TRUE(ReadExactly(buffer, 2, 2, file.get()));
    EXPECT_EQ(buffer[3], 4);
    EXPECT_FALSE(ReadExactly(buffer, 2, 1, file.get())) << "one byte left for a 2-byte item";
    // At the end of the file nothing more is read.
    buffer[0] = 99;
    EXPECT_FALSE(ReadExactly(buffer, 1, 1, file.get()));
    EXPECT_EQ(buffer[0], 99);
}

TEST_F(FileStreamTest, FieldsAreLittleEndianAndAFailedReadKeepsTheField) {
    FileHandle file = Open({0x42, 0x4D, 0x44, 0x33, 0x22, 0x11, 0xFE});
    ASSERT_TRUE(file);
    std::uint16_t type = 0;
    std::uint32_t size = 0;
    EXPECT_TRUE(ReadField(file.get(), type));
    EXPECT_EQ(type, 19778);
    EXPECT_TRUE(ReadField(file.get(), size));
    EXPECT_EQ(size, 0x11223344u);
    std::int32_t rest = 7;
    EXPECT_FALSE(ReadField(file.get(), rest));
    EXPECT_EQ(rest, 7);
}

TEST_F(FileStreamTest, WriteFieldWritesLittleEndian) {
    {
        FileHandle file = OpenFile(path.c_str(), "wb");
        ASSERT_TRUE(file);
        EXPECT_TRUE(WriteField(file.get(), std::uint16_t{19778}));
        EXPECT_TRUE(WriteField(file.get(), std::uint32_t{0x11223344u}));
        EXPECT_TRUE(WriteField(file.get(), std::int32_t{-2}));
    }
    EXPECT_EQ(ReadFileBytes(path), (std::vector<std::uint8_t>{0x42, 0x4D, 0x44, 0x33, 0x22, 0x11,
                                                              0xFE, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace vantrel
