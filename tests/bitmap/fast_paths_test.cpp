// The fast paths of Load and Save (rows moved in tiles, the per-palette nearest-colour
// lookup, the grid that Load fills without clearing it first) against straightforward
// references kept here: the nearest colour by linear search, Load as one row after
// another through the public row decoders, Save as one row after another through the
// public row encoders. Many random pictures, palettes and cut-short files; every result
// must match to the byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "bitmap/bitmap_image.h"
#include "bitmap/bmp_format.h"
#include "bitmap/nearest_colour.h"
#include "support/bmp_builder.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

constexpr PixelBGRA kWhite0{255, 255, 255, 0};

class Random {
  public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    std::uint8_t Byte() { return static_cast<std::uint8_t>(engine_() & 0xFFu); }
    // 0 to bound - 1.
    std::uint32_t Below(std::uint32_t bound) {
        return static_cast<std::uint32_t>(engine_() % bound);
    }
    PixelBGRA Colour() { return PixelBGRA{Byte(), Byte(), Byte(), Byte()}; }

  private:
    std::mt19937 engine_;
};

std::uint8_t Nudge(std::uint8_t value, int by) {
    return static_cast<std::uint8_t>(std::clamp(value + by, 0, 255));
}

// Palettes that make the search work: random, heavy with duplicates (ties between equal
// entries), on the cells' grid (ties on cell borders), a handful of colours, all one.
enum class PaletteKind { Standard, Random, Duplicates, Grid, Few, Single };

void FillPalette(BitmapImage& image, PaletteKind kind, Random& random) {
    const std::int32_t size = image.PaletteSize();
    std::vector<PixelBGRA> few;
    for (int i = 0; i < 3; ++i)
        few.push_back(random.Colour());
    for (std::int32_t i = 0; i < size; ++i) {
        PixelBGRA colour = image.PaletteEntry(i);
        switch (kind) {
            case PaletteKind::Standard:
                break;
            case PaletteKind::Random:
                colour = random.Colour();
                break;
            case PaletteKind::Duplicates:
                colour = i > 0 && random.Below(2) == 0
                             ? image.PaletteEntry(static_cast<std::int32_t>(
                                   random.Below(static_cast<std::uint32_t>(i))))
                             : random.Colour();
                colour.alpha = random.Byte();  // alpha takes no part in the distance
                break;
            case PaletteKind::Grid:
                colour = PixelBGRA{static_cast<std::uint8_t>(32 * random.Below(8)),
                                   static_cast<std::uint8_t>(32 * random.Below(8)),
                                   static_cast<std::uint8_t>(32 * random.Below(8) + 16), 0};
                break;
            case PaletteKind::Few:
                colour = few[random.Below(3)];
                break;
            case PaletteKind::Single:
                colour = PixelBGRA{90, 10, 200, 7};
                break;
        }
        image.SetPaletteEntry(i, colour);
    }
}

// The palette's entries; none for a depth without a palette.
std::vector<PixelBGRA> PaletteOf(const BitmapImage& image) {
    std::vector<PixelBGRA> entries;
    if (!image.HasPalette()) return entries;
    for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
        entries.push_back(image.PaletteEntry(i));
    return entries;
}

// Pixels on the paths of the lookup: palette colours, colours just beside them, points
// halfway between two entries (ties), repeats of the last pixel, and any colour.
PixelBGRA SomePixel(const std::vector<PixelBGRA>& palette, const PixelBGRA& last, Random& random) {
    const auto pick = [&] {
        return palette[random.Below(static_cast<std::uint32_t>(palette.size()))];
    };
    switch (random.Below(6)) {
        case 0: {
            PixelBGRA pixel = pick();
            pixel.alpha = random.Byte();
            return pixel;
        }
        case 1: {
            const PixelBGRA near = pick();
            const auto by = [&] { return static_cast<int>(random.Below(7)) - 3; };
            return PixelBGRA{Nudge(near.blue, by()), Nudge(near.green, by()), Nudge(near.red, by()),
                             random.Byte()};
        }
        case 2: {
            const PixelBGRA a = pick();
            const PixelBGRA b = pick();
            return PixelBGRA{static_cast<std::uint8_t>((a.blue + b.blue) / 2),
                             static_cast<std::uint8_t>((a.green + b.green) / 2),
                             static_cast<std::uint8_t>((a.red + b.red) / 2), 0};
        }
        case 3:
            return last;
        default:
            return random.Colour();
    }
}

TEST(NearestColourLookup, PicksTheLinearSearchsIndexForAnyPalette) {
    Random random(20240611);
    const PaletteKind kinds[] = {PaletteKind::Standard,   PaletteKind::Random,
                                 PaletteKind::Duplicates, PaletteKind::Grid,
                                 PaletteKind::Few,        PaletteKind::Single};
    for (const std::int32_t depth : {1, 4, 8}) {
        for (const PaletteKind kind : kinds) {
            for (int trial = 0; trial < 4; ++trial) {
                SCOPED_TRACE(testing::Message() << depth << " bits, palette kind "
                                                << static_cast<int>(kind) << ", trial " << trial);
                BitmapImage image;
                ASSERT_TRUE(image.ChangeBitDepth(depth));
                FillPalette(image, kind, random);
                const std::vector<PixelBGRA> palette = PaletteOf(image);
                NearestColourLookup lookup(palette.data(), palette.size());
                PixelBGRA pixel = palette[0];
                for (int i = 0; i < 3000; ++i) {
                    pixel = SomePixel(palette, pixel, random);
                    ASSERT_EQ(lookup.Nearest(pixel), image.NearestPaletteIndex(pixel))
                        << "pixel " << int{pixel.blue} << ", " << int{pixel.green} << ", "
                        << int{pixel.red};
                }
            }
        }
    }
}

// Every cell of the colour cube, its corners and inner points, against the standard
// palettes the writer falls back on.
TEST(NearestColourLookup, CoversTheWholeColourCubeForTheStandardPalettes) {
    for (const std::int32_t depth : {1, 4, 8}) {
        SCOPED_TRACE(testing::Message() << depth << " bits");
        BitmapImage image;
        ASSERT_TRUE(image.ChangeBitDepth(depth));
        const std::vector<PixelBGRA> palette = PaletteOf(image);
        NearestColourLookup lookup(palette.data(), palette.size());
        const int values[] = {0,   1,   15,  16,  31,  32,  33,  63,  64,  95,  96,  127,
                              128, 129, 159, 160, 191, 192, 200, 223, 224, 240, 254, 255};
        for (const int b : values) {
            for (const int g : values) {
                for (const int r : values) {
                    const PixelBGRA pixel{static_cast<std::uint8_t>(b),
                                          static_cast<std::uint8_t>(g),
                                          static_cast<std::uint8_t>(r), 0};
                    ASSERT_EQ(lookup.Nearest(pixel), image.NearestPaletteIndex(pixel))
                        << b << ", " << g << ", " << r;
                }
            }
        }
    }
}

TEST(NearestColourLookup, AnEmptyPaletteGivesIndexZero) {
    NearestColourLookup lookup(nullptr, 0);
    EXPECT_EQ(lookup.Nearest(PixelBGRA{1, 2, 3, 4}), 0);
    EXPECT_EQ(lookup.Nearest(PixelBGRA{255, 255, 255, 0}), 0);
}

// Sizes around the tile edges: one row, runs of rows that end inside a tile or exactly
// at its end (12-row tiles at 24 and 32 bits, 256-row tiles at the other depths), widths
// that cut the packed bytes and the column blocks short, and rows so long that a tile
// holds only one or a few.
struct Size {
    std::int32_t width, height;
};
constexpr Size kSizes[] = {{1, 1},    {5, 3},    {8, 12},    {9, 25},    {31, 129},
                           {40, 512}, {17, 520}, {300, 300}, {1200, 66}, {70001, 2}};

// A picture whose columns hold runs of equal pixels as well as changes at every step.
void PaintRandomly(BitmapImage& image, Random& random) {
    const std::vector<PixelBGRA> palette =
        image.HasPalette() ? PaletteOf(image) : std::vector<PixelBGRA>{random.Colour()};
    for (std::int32_t x = 0; x < image.Width(); ++x) {
        PixelBGRA pixel = random.Colour();
        for (std::int32_t y = 0; y < image.Height(); ++y) {
            pixel = SomePixel(palette, pixel, random);
            image.PixelAt(x, y) = pixel;
        }
    }
}

// Save as one row after another: headers, table or masks, then each row through the
// public row encoders (whose indices come from NearestPaletteIndex), bottom row first.
std::vector<std::uint8_t> ReferenceFile(const BitmapImage& image) {
    const std::int32_t depth = image.BitDepth();
    const auto rowSize = static_cast<std::uint32_t>(PaddedRowSize(image.Width(), depth));
    const std::uint32_t tableSize = depth <= 8 ? 4u << depth : (depth == 16 ? MaskBlockSize : 0);
    const std::uint32_t imageSize = rowSize * static_cast<std::uint32_t>(image.Height());
    std::vector<std::uint8_t> out;
    AppendLittleEndian16(out, BmpSignature);
    AppendLittleEndian32(out, HeadersSize + tableSize + imageSize);
    AppendLittleEndian32(out, 0);
    AppendLittleEndian32(out, HeadersSize + tableSize);
    AppendLittleEndian32(out, InfoHeaderSize);
    AppendLittleEndian32(out, static_cast<std::uint32_t>(image.Width()));
    AppendLittleEndian32(out, static_cast<std::uint32_t>(image.Height()));
    AppendLittleEndian16(out, 1);
    AppendLittleEndian16(out, static_cast<std::uint16_t>(depth));
    AppendLittleEndian32(out, depth == 16 ? CompressionBitfields : CompressionRgb);
    AppendLittleEndian32(out, imageSize);
    AppendLittleEndian32(out, static_cast<std::uint32_t>(image.XPelsPerMeter()));
    AppendLittleEndian32(out, static_cast<std::uint32_t>(image.YPelsPerMeter()));
    AppendLittleEndian32(out, 0);
    AppendLittleEndian32(out, 0);
    if (depth <= 8) {
        for (std::int32_t i = 0; i < (1 << depth); ++i) {
            const PixelBGRA entry = image.PaletteEntry(i);
            out.insert(out.end(), {entry.blue, entry.green, entry.red, entry.alpha});
        }
    } else if (depth == 16) {
        AppendLittleEndian32(out, RedMask565);
        AppendLittleEndian32(out, GreenMask565);
        AppendLittleEndian32(out, BlueMask565);
    }
    using Encoder = bool (BitmapImage::*)(std::uint8_t*, std::int32_t, std::int32_t) const;
    const Encoder encoder = depth == 1    ? &BitmapImage::EncodeRow1
                            : depth == 4  ? &BitmapImage::EncodeRow4
                            : depth == 8  ? &BitmapImage::EncodeRow8
                            : depth == 24 ? &BitmapImage::EncodeRow24
                                          : &BitmapImage::EncodeRow32;
    std::vector<std::uint8_t> row(rowSize);
    for (std::int32_t y = image.Height() - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), 0);
        if (depth == 16) {
            for (std::int32_t x = 0; x < image.Width(); ++x) {
                const PixelBGRA p = image.PixelValue(x, y);
                StoreLittleEndian16(row.data() + 2 * x, static_cast<std::uint16_t>(
                                                            ((p.red >> 3) << 11) |
                                                            ((p.green >> 2) << 5) | (p.blue >> 3)));
            }
        } else {
            EXPECT_TRUE((image.*encoder)(row.data(), static_cast<std::int32_t>(rowSize), y));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

TEST(FastPaths, SaveWritesWhatRowByRowEncodingWrites) {
    TempDir dir;
    const std::string path = dir.Path("saved.bmp");
    Random random(77);
    for (const std::int32_t depth : {1, 4, 8, 16, 24, 32}) {
        for (const Size size : kSizes) {
            SCOPED_TRACE(testing::Message()
                         << depth << " bits, " << size.width << " x " << size.height);
            BitmapImage image;
            ASSERT_TRUE(image.ChangeBitDepth(depth));
            ASSERT_TRUE(image.Resize(size.width, size.height));
            image.SetPelsPerMeter(2835, 3001);
            if (image.HasPalette()) {
                FillPalette(image,
                            size.width % 2 == 0 ? PaletteKind::Duplicates : PaletteKind::Random,
                            random);
            }
            PaintRandomly(image, random);
            ASSERT_TRUE(image.Save(path.c_str()));
            ASSERT_EQ(ReadFileBytes(path), ReferenceFile(image));
        }
    }
}

// Load as one row after another, from the file's bytes: the header values, the table
// after the info header, the masks, then each stored row through the public row decoders
// until the first row the file does not hold in full; 16-bit pixels past the end repeat
// the last value read. The image starts as Resize leaves it: white with alpha 0.
void ReferenceLoad(const std::vector<std::uint8_t>& file, BitmapImage& image) {
    const auto at32 = [&](std::size_t offset) { return LoadLittleEndian32(file.data() + offset); };
    const std::uint32_t offBits = at32(10);
    const std::uint32_t headerSize = at32(14);
    const auto width = static_cast<std::int32_t>(at32(18));
    const auto height = static_cast<std::int32_t>(at32(22));
    const std::uint16_t depth = LoadLittleEndian16(file.data() + 28);
    const std::uint32_t compression = at32(30);
    ASSERT_TRUE(image.ChangeBitDepth(depth));
    ASSERT_TRUE(image.Resize(width, height));
    image.SetPelsPerMeter(static_cast<std::int32_t>(at32(38)), static_cast<std::int32_t>(at32(42)));
    if (depth <= 8) {
        const std::size_t start = FileHeaderSize + headerSize;
        const std::size_t count =
            std::min<std::size_t>(offBits > start ? (offBits - start) / 4 : 0, 1u << depth);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = start + 4 * i;
            if (entry + 4 <= file.size()) {
                image.SetPaletteEntry(
                    static_cast<std::int32_t>(i),
                    PixelBGRA{file[entry], file[entry + 1], file[entry + 2], file[entry + 3]});
            }
        }
        for (std::int32_t i = static_cast<std::int32_t>(count); i < (1 << depth); ++i)
            image.SetPaletteEntry(i, kWhite0);
    }
    const auto rowSize = static_cast<std::size_t>(PaddedRowSize(width, depth));
    if (depth == 16) {
        std::uint16_t masks[3] = {RedMask555, GreenMask555, BlueMask555};
        if (compression == CompressionBitfields) {
            for (std::size_t i = 0; i < 3; ++i) {
                if (HeadersSize + 4 * i + 2 <= file.size())
                    masks[i] = LoadLittleEndian16(file.data() + HeadersSize + 4 * i);
            }
        }
        const auto channel = [](std::uint16_t mask, std::uint16_t value) {
            unsigned shift = 0;
            while ((static_cast<unsigned>(mask) >> shift) > 31u)
                ++shift;
            return static_cast<std::uint8_t>(((value & mask) >> shift) * 8u);
        };
        std::uint16_t value = 0;
        for (std::int32_t k = 0; k < height; ++k) {
            const std::size_t start = offBits + static_cast<std::size_t>(k) * rowSize;
            const std::size_t inRow =
                file.size() > start ? std::min(file.size() - start, rowSize) : 0;
            for (std::int32_t x = 0; x < width; ++x) {
                if (2 * static_cast<std::size_t>(x) + 2 <= inRow)
                    value = LoadLittleEndian16(file.data() + start + 2 * x);
                PixelBGRA& pixel = image.PixelAt(x, height - 1 - k);
                pixel.blue = channel(masks[2], value);
                pixel.green = channel(masks[1], value);
                pixel.red = channel(masks[0], value);
            }
        }
        return;
    }
    using Decoder = bool (BitmapImage::*)(const std::uint8_t*, std::int32_t, std::int32_t);
    const Decoder decoder = depth == 1    ? &BitmapImage::DecodeRow1
                            : depth == 4  ? &BitmapImage::DecodeRow4
                            : depth == 8  ? &BitmapImage::DecodeRow8
                            : depth == 24 ? &BitmapImage::DecodeRow24
                                          : &BitmapImage::DecodeRow32;
    for (std::int32_t k = 0; k < height; ++k) {
        const std::size_t start = offBits + static_cast<std::size_t>(k) * rowSize;
        if (start + rowSize > file.size()) break;
        ASSERT_TRUE((image.*decoder)(file.data() + start, static_cast<std::int32_t>(rowSize),
                                     height - 1 - k));
    }
}

void ExpectSameImage(BitmapImage& loaded, BitmapImage& expected) {
    ASSERT_EQ(loaded.Width(), expected.Width());
    ASSERT_EQ(loaded.Height(), expected.Height());
    ASSERT_EQ(loaded.BitDepth(), expected.BitDepth());
    EXPECT_EQ(loaded.XPelsPerMeter(), expected.XPelsPerMeter());
    EXPECT_EQ(loaded.YPelsPerMeter(), expected.YPelsPerMeter());
    EXPECT_EQ(loaded.HasPalette(), expected.HasPalette());
    EXPECT_EQ(PaletteOf(loaded), PaletteOf(expected));
    for (std::int32_t x = 0; x < loaded.Width(); ++x) {
        for (std::int32_t y = 0; y < loaded.Height(); ++y) {
            const PixelBGRA a = loaded.PixelValue(x, y);
            const PixelBGRA b = expected.PixelValue(x, y);
            ASSERT_TRUE(a == b) << "pixel (" << x << ", " << y << "): " << int{a.blue} << " "
                                << int{a.green} << " " << int{a.red} << " " << int{a.alpha}
                                << " instead of " << int{b.blue} << " " << int{b.green} << " "
                                << int{b.red} << " " << int{b.alpha};
        }
    }
}

// A file of random rows (padding too) at depth, with a colour table or masks as the
// depth has them, a larger header or a gap now and then.
BmpBuilder RandomFile(std::int32_t depth, Size size, Random& random) {
    BmpBuilder file(size.width, size.height, static_cast<std::uint16_t>(depth));
    file.info.biXPelsPerMeter = 1000 + static_cast<std::int32_t>(random.Below(5000));
    if (depth <= 8) {
        // A short table now and then: the rest of the entries read as white.
        const std::uint32_t entries =
            random.Below(3) == 0 ? random.Below(1u << depth) : (1u << depth);
        for (std::uint32_t i = 0; i < entries; ++i)
            file.colourTable.push_back(random.Colour());
    }
    if (depth == 16 && random.Below(2) == 0) {
        file.info.biCompression = CompressionBitfields;
        // 5-6-5, narrow masks, and masks that straddle the two bytes of a pixel.
        const std::vector<std::uint32_t> choices[] = {
            {0xF800, 0x07E0, 0x001F}, {0x00E0, 0x000F, 0x7000}, {0x0FF0, 0xFFFF, 0x0180}};
        file.masks = choices[random.Below(3)];
    }
    if (depth > 8 && random.Below(3) == 0) file.info.biSize = 108;
    if (random.Below(3) == 0) file.gap.assign(random.Below(9), 0xAB);
    const auto rowSize = static_cast<std::size_t>(PaddedRowSize(size.width, depth));
    file.rows.resize(rowSize * static_cast<std::size_t>(size.height));
    for (auto& byte : file.rows)
        byte = random.Byte();
    return file;
}

TEST(FastPaths, LoadReadsWhatRowByRowDecodingReads) {
    TempDir dir;
    const std::string path = dir.Path("loaded.bmp");
    Random random(4242);
    for (const std::int32_t depth : {1, 4, 8, 16, 24, 32}) {
        for (const Size size : kSizes) {
            const BmpBuilder file = RandomFile(depth, size, random);
            const std::vector<std::uint8_t> whole = file.Bytes();
            const std::size_t rowsStart = whole.size() - file.rows.size();
            const auto rowSize = static_cast<std::size_t>(PaddedRowSize(size.width, depth));
            // Whole, without rows, in the first row, at a row's end, one byte short, and
            // anywhere at random.
            const std::size_t cuts[] = {
                whole.size(),
                rowsStart,
                rowsStart + 1 + random.Below(static_cast<std::uint32_t>(rowSize)) % rowSize,
                rowsStart + rowSize * (1 + random.Below(static_cast<std::uint32_t>(size.height))),
                whole.size() - 1,
                rowsStart + random.Below(static_cast<std::uint32_t>(file.rows.size())),
            };
            for (const std::size_t cut : cuts) {
                SCOPED_TRACE(testing::Message()
                             << depth << " bits, " << size.width << " x " << size.height
                             << ", cut at " << cut << " of " << whole.size());
                const std::vector<std::uint8_t> bytes(
                    whole.begin(),
                    whole.begin() + static_cast<std::ptrdiff_t>(std::min(cut, whole.size())));
                WriteFileBytes(path, bytes);
                BitmapImage loaded;
                loaded.ChangeBitDepth(32);
                loaded.Resize(3, 3);
                loaded.PixelAt(0, 0) = PixelBGRA{1, 2, 3, 4};  // must not leak into the load
                ASSERT_EQ(loaded.LoadFile(path.c_str()), LoadOutcome::Loaded);
                BitmapImage expected;
                ReferenceLoad(bytes, expected);
                ExpectSameImage(loaded, expected);
            }
        }
    }
}

TEST(FastPaths, ResizeStillMakesEveryPixelWhiteWithAlphaZero) {
    BitmapImage image;
    ASSERT_TRUE(image.Resize(2100, 2100));
    for (std::int32_t x = 0; x < 2100; x += 7) {
        const PixelBGRA* column = image.Column(x);
        ASSERT_TRUE(
            std::all_of(column, column + 2100, [](const PixelBGRA& p) { return p == kWhite0; }));
    }
    image.PixelAt(5, 5) = PixelBGRA{1, 2, 3, 4};
    ASSERT_TRUE(image.Resize(2100, 2100));
    EXPECT_TRUE(image.PixelValue(5, 5) == kWhite0);
}

}  // namespace
}  // namespace vantrel
