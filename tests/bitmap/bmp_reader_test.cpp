#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "bitmap/bitmap_image.h"
#include "support/bmp_builder.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

constexpr PixelBGRA kWhite0{255, 255, 255, 0};
constexpr PixelBGRA kPainted{9, 8, 7, 6};
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

PixelBGRA Bgr(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return PixelBGRA{blue, green, red, 0};
}

// A colour table entry per index that no standard palette holds.
PixelBGRA TableColour(std::int32_t index) {
    const auto i = static_cast<std::uint8_t>(index);
    return PixelBGRA{i, static_cast<std::uint8_t>(i + 1), static_cast<std::uint8_t>(200 - i),
                     static_cast<std::uint8_t>(i ^ 0x33)};
}

void AddTable(BmpBuilder& bmp, std::int32_t entries) {
    for (std::int32_t i = 0; i < entries; ++i)
        bmp.colourTable.push_back(TableColour(i));
}

std::vector<std::uint8_t> Le16(std::initializer_list<std::uint16_t> values) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t value : values)
        AppendLittleEndian16(bytes, value);
    return bytes;
}

class BmpReaderTest : public ::testing::Test {
  protected:
    LoadOutcome Load(const BmpBuilder& bmp) { return LoadBytes(bmp.Bytes()); }

    LoadOutcome LoadBytes(const std::vector<std::uint8_t>& bytes) {
        WriteFileBytes(path, bytes);
        const LoadOutcome outcome = image.LoadFile(path.c_str());
        EXPECT_EQ(image.Load(path.c_str()), outcome == LoadOutcome::Loaded);
        return outcome;
    }

    // An image with content of its own that a refusal may or may not touch.
    void Paint() {
        ASSERT_TRUE(image.ChangeBitDepth(8));
        ASSERT_TRUE(image.Resize(3, 2));
        ASSERT_TRUE(image.SetPaletteEntry(5, kPainted));
        image.PixelAt(2, 1) = kPainted;
        image.SetPelsPerMeter(111, 222);
    }

    void ExpectReset() {
        EXPECT_EQ(image.Width(), 1);
        EXPECT_EQ(image.Height(), 1);
        EXPECT_EQ(image.BitDepth(), 1);
        EXPECT_EQ(image.PixelValue(0, 0), kWhite0);
        EXPECT_EQ(image.PaletteEntry(0), Bgr(0, 0, 0));
        EXPECT_EQ(image.PaletteEntry(1), Bgr(255, 255, 255));
    }

    void ExpectPaintedUntouched() {
        EXPECT_EQ(image.Width(), 3);
        EXPECT_EQ(image.Height(), 2);
        EXPECT_EQ(image.BitDepth(), 8);
        EXPECT_EQ(image.PaletteEntry(5), kPainted);
        EXPECT_EQ(image.PixelValue(2, 1), kPainted);
        EXPECT_EQ(image.XPelsPerMeter(), 111);
        EXPECT_EQ(image.YPelsPerMeter(), 222);
    }

    TempDir dir;
    std::string path = dir.Path("in.bmp");
    BitmapImage image;
};

// A valid 2 × 2, 24-bit file with a resolution of its own.
BmpBuilder Valid24() {
    BmpBuilder bmp(2, 2, 24);
    bmp.info.biXPelsPerMeter = 2835;
    bmp.info.biYPelsPerMeter = 1000;
    bmp.Row({1, 2, 3, 4, 5, 6}).Row({7, 8, 9, 10, 11, 12});
    return bmp;
}

TEST_F(BmpReaderTest, RefusalsSayWhyAndLeaveTheImageAsDocumented) {
    enum class After { Unchanged, ResetWithFileResolution };
    struct Case {
        const char* name;
        std::function<void(BmpBuilder&)> change;
        LoadOutcome outcome;
        After after;
    };
    const Case cases[] = {
        {"signature BA", [](BmpBuilder& b) { b.file.bfType = 0x4142; }, LoadOutcome::NotBmp,
         After::Unchanged},
        {"signature MB", [](BmpBuilder& b) { b.file.bfType = 0x424D; }, LoadOutcome::NotBmp,
         After::Unchanged},
        {"12-byte header", [](BmpBuilder& b) { b.info.biSize = 12; },
         LoadOutcome::UnsupportedHeader, After::ResetWithFileResolution},
        {"39-byte header", [](BmpBuilder& b) { b.info.biSize = 39; },
         LoadOutcome::UnsupportedHeader, After::ResetWithFileResolution},
        {"RLE8", [](BmpBuilder& b) { b.info.biCompression = 1; },
         LoadOutcome::UnsupportedCompression, After::ResetWithFileResolution},
        {"RLE4", [](BmpBuilder& b) { b.info.biCompression = 2; },
         LoadOutcome::UnsupportedCompression, After::ResetWithFileResolution},
        {"compression 4", [](BmpBuilder& b) { b.info.biCompression = 4; },
         LoadOutcome::UnsupportedCompression, After::ResetWithFileResolution},
        {"compression 2^32-1", [](BmpBuilder& b) { b.info.biCompression = 0xFFFFFFFFu; },
         LoadOutcome::UnsupportedCompression, After::ResetWithFileResolution},
        {"bitfields at 24 bits", [](BmpBuilder& b) { b.info.biCompression = 3; },
         LoadOutcome::UnsupportedCompression, After::ResetWithFileResolution},
        {"bitfields at 8 bits",
         [](BmpBuilder& b) {
             b.info.biCompression = 3;
             b.info.biBitCount = 8;
         },
         LoadOutcome::UnsupportedCompression, After::ResetWithFileResolution},
        {"depth 0", [](BmpBuilder& b) { b.info.biBitCount = 0; }, LoadOutcome::UnsupportedDepth,
         After::ResetWithFileResolution},
        {"depth 2", [](BmpBuilder& b) { b.info.biBitCount = 2; }, LoadOutcome::UnsupportedDepth,
         After::ResetWithFileResolution},
        {"depth 15", [](BmpBuilder& b) { b.info.biBitCount = 15; }, LoadOutcome::UnsupportedDepth,
         After::ResetWithFileResolution},
        {"depth 64", [](BmpBuilder& b) { b.info.biBitCount = 64; }, LoadOutcome::UnsupportedDepth,
         After::ResetWithFileResolution},
        {"width 0", [](BmpBuilder& b) { b.info.biWidth = 0; }, LoadOutcome::BadDimensions,
         After::ResetWithFileResolution},
        {"width -1", [](BmpBuilder& b) { b.info.biWidth = -1; }, LoadOutcome::BadDimensions,
         After::ResetWithFileResolution},
        {"width min", [](BmpBuilder& b) { b.info.biWidth = kIntMin; }, LoadOutcome::BadDimensions,
         After::ResetWithFileResolution},
        {"width and height -1",
         [](BmpBuilder& b) {
             b.info.biWidth = -1;
             b.info.biHeight = -1;
         },
         LoadOutcome::BadDimensions, After::ResetWithFileResolution},
        {"height 0", [](BmpBuilder& b) { b.info.biHeight = 0; }, LoadOutcome::BadDimensions,
         After::ResetWithFileResolution},
        {"top-down", [](BmpBuilder& b) { b.info.biHeight = -10; }, LoadOutcome::TopDown,
         After::ResetWithFileResolution},
        {"height min", [](BmpBuilder& b) { b.info.biHeight = kIntMin; }, LoadOutcome::TopDown,
         After::ResetWithFileResolution},
        {"one column past the cap",
         [](BmpBuilder& b) {
             b.info.biWidth = (1 << 14) + 1;
             b.info.biHeight = 1 << 14;
         },
         LoadOutcome::TooLarge, After::ResetWithFileResolution},
        {"one pixel past the cap in one row", [](BmpBuilder& b) { b.info.biWidth = (1 << 28) + 1; },
         LoadOutcome::TooLarge, After::ResetWithFileResolution},
        {"largest width and height",
         [](BmpBuilder& b) {
             b.info.biWidth = kIntMax;
             b.info.biHeight = kIntMax;
         },
         LoadOutcome::TooLarge, After::ResetWithFileResolution},
        {"largest width at 32 bits",
         [](BmpBuilder& b) {
             b.info.biWidth = kIntMax;
             b.info.biHeight = 1;
             b.info.biBitCount = 32;
         },
         LoadOutcome::TooLarge, After::ResetWithFileResolution},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Paint();
        BmpBuilder bmp = Valid24();
        c.change(bmp);
        EXPECT_EQ(Load(bmp), c.outcome);
        if (c.after == After::Unchanged) {
            ExpectPaintedUntouched();
        } else {
            ExpectReset();
            EXPECT_EQ(image.XPelsPerMeter(), 2835);
            EXPECT_EQ(image.YPelsPerMeter(), 1000);
        }
    }
}

TEST_F(BmpReaderTest, FilesCutInsideTheHeadersAreResetKeepingTheResolution) {
    const std::vector<std::uint8_t> whole = Valid24().Bytes();
    // Cut at 0: an empty file keeps the default signature and is refused as cut short.
    for (std::size_t cut = 0; cut < 54; ++cut) {
        SCOPED_TRACE(cut);
        Paint();
        EXPECT_EQ(LoadBytes(std::vector<std::uint8_t>(whole.begin(), whole.begin() + cut)),
                  LoadOutcome::HeaderTruncated);
        ExpectReset();
        EXPECT_EQ(image.XPelsPerMeter(), 111);
        EXPECT_EQ(image.YPelsPerMeter(), 222);
    }
}

TEST_F(BmpReaderTest, ShortOldHeaderFilesAreRefusedForTheirHeader) {
    // A 1 × 1, 24-bit file with the 12-byte header of old OS/2 files: 30 bytes in all.
    std::vector<std::uint8_t> bytes = {'B', 'M'};
    AppendLittleEndian32(bytes, 30);
    AppendLittleEndian32(bytes, 0);
    AppendLittleEndian32(bytes, 26);
    AppendLittleEndian32(bytes, 12);
    AppendLittleEndian16(bytes, 1);
    AppendLittleEndian16(bytes, 1);
    AppendLittleEndian16(bytes, 1);
    AppendLittleEndian16(bytes, 24);
    bytes.insert(bytes.end(), {10, 20, 30, 0});
    Paint();
    EXPECT_EQ(LoadBytes(bytes), LoadOutcome::UnsupportedHeader);
    ExpectReset();
    EXPECT_EQ(image.XPelsPerMeter(), 111);
}

TEST_F(BmpReaderTest, MissingFilesNullPathsAndFoldersCannotBeOpened) {
    Paint();
    EXPECT_EQ(image.LoadFile(dir.Path("missing.bmp").c_str()), LoadOutcome::CannotOpen);
    ExpectReset();
    EXPECT_EQ(image.XPelsPerMeter(), 111);
    Paint();
    EXPECT_EQ(image.LoadFile(nullptr), LoadOutcome::CannotOpen);
    EXPECT_FALSE(image.Load(nullptr));
    ExpectReset();
    EXPECT_EQ(image.YPelsPerMeter(), 222);
    // A folder may open as a stream, but reading it fails: not a file cut short.
    Paint();
    EXPECT_EQ(image.LoadFile(dir.Root().c_str()), LoadOutcome::CannotOpen);
    ExpectReset();
}

TEST_F(BmpReaderTest, DirectColourRowsLoadBottomRowFirst) {
    Paint();
    BmpBuilder bmp(3, 2, 24);
    bmp.info.biXPelsPerMeter = -5;
    bmp.info.biYPelsPerMeter = 0;
    bmp.Row({1, 2, 3, 4, 5, 6, 7, 8, 9}).Row({10, 11, 12, 13, 14, 15, 16, 17, 18});
    ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.BitDepth(), 24);
    EXPECT_FALSE(image.HasPalette());
    EXPECT_EQ(image.XPelsPerMeter(), -5);
    EXPECT_EQ(image.YPelsPerMeter(), 0);
    EXPECT_EQ(image.PixelValue(0, 1), Bgr(1, 2, 3));
    EXPECT_EQ(image.PixelValue(2, 1), Bgr(7, 8, 9));
    EXPECT_EQ(image.PixelValue(0, 0), Bgr(10, 11, 12));
    EXPECT_EQ(image.PixelValue(2, 0), Bgr(16, 17, 18));

    BmpBuilder bmp32(2, 1, 32);
    bmp32.Row({1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_EQ(Load(bmp32), LoadOutcome::Loaded);
    EXPECT_EQ(image.BitDepth(), 32);
    EXPECT_EQ(image.PixelValue(0, 0), (PixelBGRA{1, 2, 3, 4}));
    EXPECT_EQ(image.PixelValue(1, 0), (PixelBGRA{5, 6, 7, 8}));
}

TEST_F(BmpReaderTest, IndexedRowsTakeTheFilesColourTable) {
    struct Case {
        std::uint16_t depth;
        std::int32_t width;
        std::vector<std::uint8_t> row;
        std::vector<std::int32_t> indices;
    };
    const Case cases[] = {
        {1, 9, {0xA5, 0x80}, {1, 0, 1, 0, 0, 1, 0, 1, 1}},
        {4, 3, {0x12, 0x3F}, {1, 2, 3}},
        {8, 5, {0, 1, 128, 254, 255}, {0, 1, 128, 254, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        BmpBuilder bmp(c.width, 2, c.depth);
        AddTable(bmp, 1 << c.depth);
        bmp.Row(c.row).Row(std::vector<std::uint8_t>(c.row.size(), 0));
        ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
        EXPECT_EQ(image.BitDepth(), c.depth);
        for (std::int32_t i = 0; i < (1 << c.depth); ++i)
            EXPECT_EQ(image.PaletteEntry(i), TableColour(i)) << i;
        for (std::int32_t x = 0; x < c.width; ++x) {
            EXPECT_EQ(image.PixelValue(x, 1), TableColour(c.indices[x])) << x;
            EXPECT_EQ(image.PixelValue(x, 0), TableColour(0)) << x;
        }
    }
}

// Where the colour table and the rows are found: the table right after the info header,
// as many entries as fit before bfOffBits (at most 2^depth), the rows at bfOffBits
// whenever that lies ahead of the reader, never earlier and never by seeking back.
TEST_F(BmpReaderTest, ColourTableAndRowsFollowTheHeaderSizeAndOffset) {
    struct Case {
        const char* name;
        std::uint16_t depth;
        std::uint32_t biSize;
        std::int32_t tableEntries;  // written to the file
        std::size_t gapBytes;
        std::optional<std::uint32_t> offBits;  // when not where the pieces put the rows
        std::int32_t entriesRead;              // the rest is white
    };
    const Case cases[] = {
        {"8 bits, full table", 8, 40, 256, 0, {}, 256},
        {"8 bits, 16 entries", 8, 40, 16, 0, {}, 16},
        {"8 bits, no table", 8, 40, 0, 0, {}, 0},
        {"8 bits, full table and 22 bytes", 8, 40, 256, 22, {}, 256},
        {"8 bits, 17 entries and 2 bytes", 8, 40, 17, 2, {}, 17},
        {"4 bits, 20 entries", 4, 40, 20, 0, {}, 16},
        {"1 bit, 2 entries and 3 bytes", 1, 40, 2, 3, {}, 2},
        {"4 bits, offset inside the header", 4, 40, 0, 0, 20, 0},
        {"8 bits, 108-byte header", 8, 108, 256, 0, {}, 256},
        {"4 bits, 124-byte header", 4, 124, 16, 0, {}, 16},
        {"1 bit, 64-byte header and 6 bytes", 1, 64, 2, 6, {}, 2},
        {"8 bits, 124-byte header, 3 entries", 8, 124, 3, 0, {}, 3},
        {"4 bits, 108-byte header, offset inside it", 4, 108, 0, 0, 100, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpBuilder bmp(4, 2, c.depth);
        bmp.info.biSize = c.biSize;
        AddTable(bmp, c.tableEntries);
        bmp.gap.assign(c.gapBytes, 0xFF);
        bmp.fixedOffBits = c.offBits;
        // Pixel indices 0, 1, 0, 1 at every depth; the rows are marked by their first byte
        // only when they start where they should.
        const std::vector<std::uint8_t> rowBytes = c.depth == 1 ? std::vector<std::uint8_t>{0x50}
                                                   : c.depth == 4
                                                       ? std::vector<std::uint8_t>{0x01, 0x01}
                                                       : std::vector<std::uint8_t>{0, 1, 0, 1};
        bmp.Row(rowBytes).Row(rowBytes);
        ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
        for (std::int32_t i = 0; i < (1 << c.depth); ++i) {
            EXPECT_EQ(image.PaletteEntry(i), i < c.entriesRead ? TableColour(i) : kWhite0)
                << "entry " << i;
        }
        // With the table read, pixels 0 and 1 show whether the rows start at bfOffBits;
        // without it every entry, and so every pixel, is white.
        for (std::int32_t y = 0; y < 2; ++y) {
            for (std::int32_t x = 0; x < 4; ++x) {
                EXPECT_EQ(image.PixelValue(x, y), c.entriesRead > 1 ? TableColour(x % 2) : kWhite0)
                    << x << ", " << y;
            }
        }
    }
}

TEST_F(BmpReaderTest, DirectColourRowsStartAtTheOffsetWhateverTheHeaderSize) {
    struct Case {
        const char* name;
        std::uint16_t depth;
        std::uint32_t biSize;
        std::size_t gapBytes;
    };
    const Case cases[] = {
        {"24 bits, 6-byte gap", 24, 40, 6},
        {"24 bits, 108-byte header", 24, 108, 0},
        {"32 bits, 124-byte header and 2 bytes", 32, 124, 2},
        {"24 bits, gap over several skip chunks", 24, 40, 10001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpBuilder bmp(1, 2, c.depth);
        bmp.info.biSize = c.biSize;
        bmp.gap.assign(c.gapBytes, 0xAB);
        bmp.Row({1, 2, 3, 4}).Row({5, 6, 7, 8});
        ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
        const std::uint8_t alpha = c.depth == 32 ? 4 : 0;
        EXPECT_EQ(image.PixelValue(0, 1), (PixelBGRA{1, 2, 3, alpha}));
        EXPECT_EQ(image.PixelValue(0, 0),
                  (PixelBGRA{5, 6, 7, c.depth == 32 ? std::uint8_t{8} : std::uint8_t{0}}));
    }
}

TEST_F(BmpReaderTest, HostileOffsetsAndHeaderSizesEndAtTheEndOfTheFile) {
    // An offset far behind the data: nothing is allocated for it, the rows are missing.
    BmpBuilder farRows = Valid24();
    farRows.fixedOffBits = 0xFFFFFFFFu;
    ASSERT_EQ(Load(farRows), LoadOutcome::Loaded);
    EXPECT_EQ(image.PixelValue(1, 1), kWhite0);

    // A header that claims to run far beyond the file: no colour table entry fits.
    BmpBuilder farTable(2, 1, 8);
    farTable.info.biSize = 0xFFFFFFF0u;
    farTable.fixedFillSize = 0;
    AddTable(farTable, 256);
    farTable.Row({1, 2});
    ASSERT_EQ(Load(farTable), LoadOutcome::Loaded);
    EXPECT_EQ(image.PaletteEntry(1), kWhite0);

    // A table that claims more entries than the file holds.
    BmpBuilder longTable(2, 1, 4);
    AddTable(longTable, 3);
    longTable.fixedOffBits = 0xFFFFFFFFu;
    ASSERT_EQ(Load(longTable), LoadOutcome::Loaded);
    EXPECT_EQ(image.PaletteEntry(2), TableColour(2));
    EXPECT_EQ(image.PaletteEntry(3), Bgr(0, 128, 128)) << "not in the file: standard colour";
}

TEST_F(BmpReaderTest, CutShortColourTableKeepsStandardColours) {
    BmpBuilder bmp(2, 1, 4);
    AddTable(bmp, 16);
    bmp.Row({0x12});
    bmp.cutAt = 54 + 5 * 4 + 2;  // five entries and half of the sixth
    ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
    for (std::int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(image.PaletteEntry(i), TableColour(i)) << i;
    EXPECT_EQ(image.PaletteEntry(5), Bgr(128, 0, 128));
    EXPECT_EQ(image.PaletteEntry(15), Bgr(255, 255, 255));
    EXPECT_EQ(image.PixelValue(0, 0), kWhite0);
}

TEST_F(BmpReaderTest, CutShortRowsLeaveTheRowsAboveWhite) {
    BmpBuilder bmp(3, 3, 24);
    bmp.Row({1, 2, 3, 4, 5, 6, 7, 8, 9}).Row({11, 12, 13, 14, 15, 16, 17, 18, 19});
    bmp.rows.pop_back();  // the second stored row is one byte short (its padding)
    for (std::size_t keep : {bmp.rows.size(), std::size_t{12}, std::size_t{0}}) {
        SCOPED_TRACE(keep);
        BmpBuilder cut = bmp;
        cut.rows.resize(keep);
        ASSERT_EQ(Load(cut), LoadOutcome::Loaded);
        EXPECT_EQ(image.PixelValue(0, 2), keep >= 12 ? Bgr(1, 2, 3) : kWhite0);
        EXPECT_EQ(image.PixelValue(2, 2), keep >= 12 ? Bgr(7, 8, 9) : kWhite0);
        EXPECT_EQ(image.PixelValue(0, 1), kWhite0);
        EXPECT_EQ(image.PixelValue(0, 0), kWhite0);
    }
}

TEST_F(BmpReaderTest, SixteenBitPixelsWithDefaultAndFileMasks) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> masks;  // empty: BI_RGB, 5-5-5
        std::uint32_t biSize;
        std::uint16_t value;
        PixelBGRA expected;
    };
    const Case cases[] = {
        {"5-5-5 white", {}, 40, 0x7FFF, Bgr(248, 248, 248)},
        {"5-5-5 red", {}, 40, 0x7C00, Bgr(0, 0, 248)},
        {"5-5-5 green", {}, 40, 0x03E0, Bgr(0, 248, 0)},
        {"5-5-5 top bit ignored", {}, 40, 0x8001, Bgr(8, 0, 0)},
        {"5-6-5 white", {0xF800, 0x07E0, 0x001F}, 40, 0xFFFF, Bgr(248, 248, 248)},
        {"5-6-5 green", {0xF800, 0x07E0, 0x001F}, 40, 0x07E0, Bgr(0, 248, 0)},
        {"5-6-5 lowest green bit lost", {0xF800, 0x07E0, 0x001F}, 40, 0x0020, Bgr(0, 0, 0)},
        {"5-6-5 blue 8 green 4 red 8", {0xF800, 0x07E0, 0x001F}, 40, 0x0821, Bgr(8, 0, 8)},
        {"high mask halves ignored", {0xFFFFF800, 0xABCD07E0, 0x1001F}, 40, 0x001F, Bgr(248, 0, 0)},
        {"3-bit mask fills the high bits", {0x00E0, 0, 0}, 40, 0x00A0, Bgr(0, 0, 160)},
        {"4-bit mask not shifted", {0x000F, 0, 0}, 40, 0x000F, Bgr(0, 0, 120)},
        {"zero masks give 0", {0, 0, 0}, 40, 0xFFFF, Bgr(0, 0, 0)},
        {"masks inside a 108-byte header", {0xF800, 0x07E0, 0x001F}, 108, 0x07E0, Bgr(0, 248, 0)},
        {"masks inside a 124-byte header", {0x001F, 0x07E0, 0xF800}, 124, 0x001F, Bgr(0, 0, 248)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpBuilder bmp(1, 2, 16);
        bmp.info.biSize = c.biSize;
        if (!c.masks.empty()) bmp.info.biCompression = 3;
        bmp.masks = c.masks;
        // Width 1: two bytes of pixel and two of padding a row.
        bmp.Row(Le16({c.value})).Row(Le16({0x0000}));
        bmp.rows[2] = 0xFF;  // padding is skipped, whatever it holds
        ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
        EXPECT_EQ(image.BitDepth(), 16);
        EXPECT_FALSE(image.HasPalette());
        EXPECT_EQ(image.PixelValue(0, 1), c.expected);
        EXPECT_EQ(image.PixelValue(0, 0), Bgr(0, 0, 0));
    }
}

TEST_F(BmpReaderTest, SixteenBitRowsStartAtTheOffset) {
    BmpBuilder bmp(2, 1, 16);
    bmp.info.biCompression = 3;
    bmp.masks = {0xF800, 0x07E0, 0x001F};
    bmp.gap = Le16({0xFFFF});
    bmp.Row(Le16({0x001F, 0xF800}));
    ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
    EXPECT_EQ(image.PixelValue(0, 0), Bgr(248, 0, 0));
    EXPECT_EQ(image.PixelValue(1, 0), Bgr(0, 0, 248));

    // An offset inside the mask block: the rows follow the masks.
    bmp.gap.clear();
    bmp.fixedOffBits = 54;
    ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
    EXPECT_EQ(image.PixelValue(0, 0), Bgr(248, 0, 0));
}

TEST_F(BmpReaderTest, SixteenBitDataCutShortRepeatsTheLastValue) {
    BmpBuilder bmp(3, 2, 16);
    bmp.Row(Le16({0x001F, 0x03E0, 0x7C00}));
    bmp.rows.push_back(0x00);  // the next row's first pixel, one byte of it, is black
    ASSERT_EQ(Load(bmp), LoadOutcome::Loaded);
    EXPECT_EQ(image.PixelValue(2, 1), Bgr(0, 0, 248));
    for (std::int32_t x = 0; x < 3; ++x)
        EXPECT_EQ(image.PixelValue(x, 0), Bgr(0, 0, 248)) << x;

    // Without any pixel data every pixel decodes the starting value 0: black.
    BmpBuilder empty(2, 2, 16);
    ASSERT_EQ(Load(empty), LoadOutcome::Loaded);
    for (std::int32_t y = 0; y < 2; ++y) {
        for (std::int32_t x = 0; x < 2; ++x)
            EXPECT_EQ(image.PixelValue(x, y), Bgr(0, 0, 0));
    }
}

TEST_F(BmpReaderTest, PreviousContentDoesNotLeakIntoALoad) {
    BmpBuilder palette8(2, 2, 8);
    AddTable(palette8, 256);
    palette8.Row({1, 2}).Row({3, 4});
    ASSERT_EQ(Load(palette8), LoadOutcome::Loaded);
    image.PixelAt(0, 0) = kPainted;

    // A smaller load at another depth, with rows missing: white, not the old pixels.
    BmpBuilder small(2, 2, 4);
    AddTable(small, 2);
    ASSERT_EQ(Load(small), LoadOutcome::Loaded);
    EXPECT_EQ(image.BitDepth(), 4);
    EXPECT_EQ(image.PixelValue(0, 0), kWhite0);
    EXPECT_EQ(image.PaletteEntry(1), TableColour(1));
    EXPECT_EQ(image.PaletteEntry(2), kWhite0);
}

}  // namespace
}  // namespace vantrel
