// The BMP reader in three stages: read the header fields, decide (accept or refuse,
// every size bounded before use), then size the image once and run one row loop through
// one reused row buffer. 16-bit pixels are decoded here; the other depths go through
// the row decoders of row_decoding.cpp.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "bitmap_image.h"
#include "bmp_format.h"
#include "file_stream.h"
#include "row_tiles.h"

namespace vantrel {

namespace {

constexpr PixelBGRA kWhiteTransparent{255, 255, 255, 0};

// Bytes behind a tile's last row, so that a 24-bit pixel can be read as four bytes.
constexpr std::size_t kTileSlack = 4;

// Gaps are skipped through this much stack space at a time, so that no offset in a
// header can size an allocation.
constexpr std::size_t kSkipChunk = 4096;

// The file is read strictly front to back; this tracks how far, so that the reader can
// move forward to an offset but never back.
class ForwardReader {
  public:
    explicit ForwardReader(std::FILE* stream) : stream_(stream) {}

    std::uint64_t Position() const { return position_; }

    template <typename Field>
    bool Read(Field& field) {
        position_ += sizeof(Field);
        return ReadField(stream_, field);
    }

    bool ReadBytes(std::uint8_t* destination, std::size_t count) {
        position_ += count;
        return ReadExactly(destination, 1, static_cast<std::int32_t>(count), stream_);
    }

    // Plain buffered read of up to count bytes; returns how many arrived.
    std::size_t ReadSome(std::uint8_t* destination, std::size_t count) {
        const std::size_t arrived = std::fread(destination, 1, count, stream_);
        position_ += arrived;
        return arrived;
    }

    // Discards bytes up to offset, in fixed chunks; stops early at the end of the file.
    void SkipTo(std::uint64_t offset) {
        std::array<std::uint8_t, kSkipChunk> scratch;
        while (position_ < offset) {
            const std::size_t chunk =
                static_cast<std::size_t>(std::min<std::uint64_t>(kSkipChunk, offset - position_));
            if (ReadSome(scratch.data(), chunk) < chunk) return;
        }
    }

  private:
    std::FILE* stream_;
    std::uint64_t position_ = 0;
};

// The state a refused file leaves behind: 1 × 1 at 1 bit, one white pixel, standard
// two-colour palette. The resolution is the caller's business.
void Reset(BitmapImage& image) {
    image.ChangeBitDepth(1);
    image.Resize(1, 1);
}

// Reads the 15 fields after the signature, all of them whatever the earlier ones gave.
// sizeRead tells whether biSize itself arrived.
bool ReadHeaders(ForwardReader& in, BmpFileHeader& file, BmpInfoHeader& info, bool& sizeRead) {
    bool all = in.Read(file.bfSize);
    all = in.Read(file.bfReserved1) && all;
    all = in.Read(file.bfReserved2) && all;
    all = in.Read(file.bfOffBits) && all;
    sizeRead = in.Read(info.biSize);
    all = sizeRead && all;
    all = in.Read(info.biWidth) && all;
    all = in.Read(info.biHeight) && all;
    all = in.Read(info.biPlanes) && all;
    all = in.Read(info.biBitCount) && all;
    all = in.Read(info.biCompression) && all;
    all = in.Read(info.biSizeImage) && all;
    all = in.Read(info.biXPelsPerMeter) && all;
    all = in.Read(info.biYPelsPerMeter) && all;
    all = in.Read(info.biClrUsed) && all;
    all = in.Read(info.biClrImportant) && all;
    return all;
}

// Accepts or refuses a complete header. Loaded means: go on and size the image.
LoadOutcome Judge(const BmpInfoHeader& info) {
    // Older, shorter headers have another layout; reading the 40-byte one from them
    // would take colours and pixels for header fields.
    if (info.biSize < InfoHeaderSize) return LoadOutcome::UnsupportedHeader;
    const bool bitfields = info.biCompression == CompressionBitfields;
    if (info.biCompression != CompressionRgb && !(bitfields && info.biBitCount == 16))
        return LoadOutcome::UnsupportedCompression;
    if (!IsSupportedDepth(info.biBitCount)) return LoadOutcome::UnsupportedDepth;
    if (info.biWidth <= 0) return LoadOutcome::BadDimensions;
    if (info.biHeight < 0) return LoadOutcome::TopDown;
    if (info.biHeight == 0) return LoadOutcome::BadDimensions;
    // 64 bits: no header value can overflow the product.
    const std::uint64_t count =
        static_cast<std::uint64_t>(info.biWidth) * static_cast<std::uint64_t>(info.biHeight);
    if (count > MaxPixelCount) return LoadOutcome::TooLarge;
    return LoadOutcome::Loaded;
}

// Low five bits of a channel land in bits 3 to 7: the mask is shifted until its highest
// set bit sits at bit 4 or lower.
struct Channel {
    std::uint16_t mask;
    unsigned shift;

    explicit Channel(std::uint16_t channelMask) : mask(channelMask), shift(0) {
        while ((static_cast<unsigned>(mask) >> shift) > 31u)
            ++shift;
    }

    std::uint8_t Decode(std::uint16_t value) const {
        return static_cast<std::uint8_t>(((value & mask) >> shift) * 8u);
    }
};

struct Masks16 {
    std::uint16_t red = RedMask555;
    std::uint16_t green = GreenMask555;
    std::uint16_t blue = BlueMask555;
};

// Each mask is a 32-bit field of which only the low half counts. A mask that cannot be
// read keeps its 5-5-5 default.
Masks16 ReadMasks(ForwardReader& in) {
    Masks16 masks;
    std::uint16_t ignored = 0;
    in.Read(masks.red);
    in.Read(ignored);
    in.Read(masks.green);
    in.Read(ignored);
    in.Read(masks.blue);
    in.Read(ignored);
    return masks;
}

// The stored rows of one tile into the grid: tile row t (file order, bottom row first)
// is image row yLow + rows - 1 - t. pixelOf(row, x) gives the pixel at column x of a
// stored row. Columns go in blocks of Block columns (see row_tiles.h).
template <std::int32_t Block, typename PixelOf>
void DecodeTile(const std::uint8_t* tile, std::size_t rowSize, std::size_t rows, BitmapImage& image,
                std::size_t yLow, PixelOf pixelOf) {
    const std::int32_t width = image.Width();
    std::int32_t first = 0;
    for (; first + Block <= width; first += Block) {
        PixelBGRA* runs[Block];
        for (std::int32_t k = 0; k < Block; ++k)
            runs[k] = image.Column(first + k) + yLow;
        for (std::size_t j = 0; j < rows; ++j) {
            const std::uint8_t* row = tile + (rows - 1 - j) * rowSize;
            for (std::int32_t k = 0; k < Block; ++k)
                runs[k][j] = pixelOf(row, first + k);
        }
    }
    for (; first < width; ++first) {
        PixelBGRA* run = image.Column(first) + yLow;
        for (std::size_t j = 0; j < rows; ++j)
            run[j] = pixelOf(tile + (rows - 1 - j) * rowSize, first);
    }
}

// Image rows 0 to rows - 1 become value in every column.
void FillTopRows(BitmapImage& image, std::size_t rows, PixelBGRA value) {
    for (std::int32_t x = 0; x < image.Width(); ++x)
        std::fill(image.Column(x), image.Column(x) + rows, value);
}

// Palette entries by stored index; an index the palette does not hold reads as white
// with alpha 0, as PaletteEntry answers.
using PaletteTable = std::array<PixelBGRA, 256>;

PaletteTable TableOf(const BitmapImage& image) {
    PaletteTable table;
    for (std::size_t index = 0; index < table.size(); ++index)
        table[index] = image.PaletteEntry(static_cast<std::int32_t>(index));
    return table;
}

// Rows of the depths with a row decoder, bottom row first, a tile at a time. The first
// row that does not arrive in full ends the loop and leaves it and the rows above it
// white with alpha 0, as a freshly sized image is.
template <std::int32_t Block, typename PixelOf>
void ReadTiles(ForwardReader& in, BitmapImage& image, std::vector<std::uint8_t>& tile,
               std::size_t rowSize, PixelOf pixelOf) {
    const auto height = static_cast<std::size_t>(image.Height());
    const std::size_t rowsPerTile = (tile.size() - kTileSlack) / rowSize;
    std::size_t done = 0;  // stored rows decoded
    while (done < height) {
        const std::size_t rows = std::min(rowsPerTile, height - done);
        const std::size_t whole = in.ReadSome(tile.data(), rows * rowSize) / rowSize;
        if (whole > 0)
            DecodeTile<Block>(tile.data(), rowSize, whole, image, height - done - whole, pixelOf);
        done += whole;
        if (whole < rows) break;
    }
    FillTopRows(image, height - done, kWhiteTransparent);
}

void ReadDecodedRows(ForwardReader& in, BitmapImage& image, std::vector<std::uint8_t>& tile,
                     std::size_t rowSize) {
    const PaletteTable palette = TableOf(image);
    switch (image.BitDepth()) {
        case 1:
            ReadTiles<BlockColumns>(in, image, tile, rowSize,
                                    [&palette](const std::uint8_t* row, std::int32_t x) {
                                        return palette[(row[x / 8] >> (7 - x % 8)) & 1];
                                    });
            break;
        case 4:
            ReadTiles<BlockColumns>(in, image, tile, rowSize,
                                    [&palette](const std::uint8_t* row, std::int32_t x) {
                                        return palette[(row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F];
                                    });
            break;
        case 8:
            ReadTiles<BlockColumns>(
                in, image, tile, rowSize,
                [&palette](const std::uint8_t* row, std::int32_t x) { return palette[row[x]]; });
            break;
        case 24:
            // Alpha 0, as the freshly sized image held it.
            // Four bytes are read at a time, the fourth (the next pixel's, the row's
            // padding or the tile's slack) then cleared.
            ReadTiles<1>(in, image, tile, rowSize, [](const std::uint8_t* row, std::int32_t x) {
                PixelBGRA pixel;
                std::memcpy(static_cast<void*>(&pixel), row + 3 * static_cast<std::size_t>(x),
                            sizeof pixel);
                pixel.alpha = 0;
                return pixel;
            });
            break;
        case 32:
            ReadTiles<1>(in, image, tile, rowSize, [](const std::uint8_t* row, std::int32_t x) {
                const std::uint8_t* at = row + 4 * static_cast<std::size_t>(x);
                return PixelBGRA{at[0], at[1], at[2], at[3]};
            });
            break;
        default:
            FillTopRows(image, static_cast<std::size_t>(image.Height()), kWhiteTransparent);
            break;
    }
}

// A 16-bit value's pixel is the bitwise OR of what its low byte and its high byte give
// alone: masking, shifting and the factor 8 treat every bit on its own, and the bits that
// the two bytes bring into a channel never overlap. Two tables of 256 pixels then stand
// for the arithmetic.
class Decoder16 {
  public:
    explicit Decoder16(const Masks16& masks) {
        const Channel red(masks.red);
        const Channel green(masks.green);
        const Channel blue(masks.blue);
        for (unsigned byte = 0; byte < 256; ++byte) {
            for (const bool high : {false, true}) {
                const auto value = static_cast<std::uint16_t>(high ? byte << 8 : byte);
                (high ? high_ : low_)[byte] =
                    PixelBGRA{blue.Decode(value), green.Decode(value), red.Decode(value), 0};
            }
        }
    }

    // The OR of the two pixels' four bytes, taken as one word each: a bitwise OR treats
    // every byte alike whatever the host's byte order.
    PixelBGRA operator()(std::uint16_t value) const {
        std::uint32_t a = 0;
        std::uint32_t b = 0;
        std::memcpy(&a, &low_[value & 0xFFu], sizeof a);
        std::memcpy(&b, &high_[value >> 8], sizeof b);
        a |= b;
        PixelBGRA pixel;
        std::memcpy(static_cast<void*>(&pixel), &a, sizeof pixel);
        return pixel;
    }

  private:
    std::array<PixelBGRA, 256> low_;
    std::array<PixelBGRA, 256> high_;
};

// 16-bit rows, bottom row first. When the data ends early every later pixel repeats the
// last value read (0 before the first), down to the last row. Alpha is 0 throughout.
void Read16BitRows(ForwardReader& in, BitmapImage& image, const Masks16& masks,
                   std::vector<std::uint8_t>& tile, std::size_t rowSize) {
    const Decoder16 decode(masks);
    const std::int32_t width = image.Width();
    const auto height = static_cast<std::size_t>(image.Height());
    const std::size_t rowsPerTile = (tile.size() - kTileSlack) / rowSize;
    std::uint16_t value = 0;
    std::size_t done = 0;  // stored rows decoded
    while (done < height) {
        const std::size_t rows = std::min(rowsPerTile, height - done);
        const std::size_t arrived = in.ReadSome(tile.data(), rows * rowSize);
        if (arrived == rows * rowSize) {
            DecodeTile<BlockColumns>(
                tile.data(), rowSize, rows, image, height - done - rows,
                [&decode](const std::uint8_t* row, std::int32_t x) {
                    return decode(LoadLittleEndian16(row + 2 * static_cast<std::size_t>(x)));
                });
            value = LoadLittleEndian16(tile.data() + (rows - 1) * rowSize +
                                       2 * static_cast<std::size_t>(width - 1));
            done += rows;
            continue;
        }
        // The data ends in this tile: its rows one by one, each pixel past the end taking
        // the last value read; then nothing more can arrive.
        for (std::size_t t = 0; t < rows; ++t) {
            const std::size_t start = t * rowSize;
            const std::size_t inRow = arrived > start ? std::min(arrived - start, rowSize) : 0;
            const std::size_t whole = std::min(inRow / 2, static_cast<std::size_t>(width));
            const std::size_t y = height - 1 - (done + t);
            for (std::int32_t x = 0; x < width; ++x) {
                const auto at = static_cast<std::size_t>(x);
                if (at < whole) value = LoadLittleEndian16(tile.data() + start + 2 * at);
                image.Column(x)[y] = decode(value);
            }
        }
        done += rows;
        FillTopRows(image, height - done, decode(value));
        return;
    }
}

}  // namespace

LoadOutcome BitmapImage::LoadFile(const char* path) {
    FileHandle file = OpenFile(path, "rb");
    if (!file) {
        Reset(*this);
        return LoadOutcome::CannotOpen;
    }
    ForwardReader in(file.get());

    // The signature is judged by its value, not by the read: an empty file keeps the
    // default and is refused below as cut short, not as foreign.
    BmpFileHeader fileHeader;
    const bool typeRead = in.Read(fileHeader.bfType);
    if (fileHeader.bfType != BmpSignature) return LoadOutcome::NotBmp;

    BmpInfoHeader info;
    bool sizeRead = false;
    const bool headersRead = ReadHeaders(in, fileHeader, info, sizeRead) && typeRead;
    if (!headersRead) {
        Reset(*this);
        // A stream that opens but cannot be read (a folder, for one) is no short file.
        if (std::ferror(file.get()) != 0) return LoadOutcome::CannotOpen;
        // A short file with an old, short header is refused for its header, not its length.
        return sizeRead && info.biSize < InfoHeaderSize ? LoadOutcome::UnsupportedHeader
                                                        : LoadOutcome::HeaderTruncated;
    }

    // Kept even when a check below refuses the file.
    xPelsPerMeter = info.biXPelsPerMeter;
    yPelsPerMeter = info.biYPelsPerMeter;

    const LoadOutcome verdict = Judge(info);
    if (verdict != LoadOutcome::Loaded) {
        Reset(*this);
        return verdict;
    }

    const std::int32_t depth = info.biBitCount;
    // Judge bounded width × height, so a row is at most 4 bytes a pixel.
    const auto rowSize = static_cast<std::size_t>(PaddedRowSize(info.biWidth, depth));
    std::vector<std::uint8_t> tile;
    try {
        tile.resize(RowsPerTile(rowSize, depth, info.biHeight) * rowSize + kTileSlack);
    } catch (const std::bad_alloc&) {
        Reset(*this);
        return LoadOutcome::OutOfMemory;
    }
    ChangeBitDepth(depth);
    // Every pixel is set below, from the file or white where the file ends early, so the
    // grid is not filled first.
    if (!AllocateGrid(info.biWidth, info.biHeight)) {
        Reset(*this);
        return LoadOutcome::OutOfMemory;
    }

    if (IsIndexedDepth(depth)) {
        // The colour table follows the info header, whatever its size, and runs up to
        // the pixel rows; entries past what the depth can index are skipped.
        const std::uint64_t tableStart = std::uint64_t{FileHeaderSize} + info.biSize;
        const std::uint64_t tableBytes =
            fileHeader.bfOffBits > tableStart ? fileHeader.bfOffBits - tableStart : 0;
        const std::size_t count = static_cast<std::size_t>(
            std::min<std::uint64_t>(tableBytes / ColourTableEntrySize, palette.size()));
        if (count > 0) in.SkipTo(tableStart);
        for (std::size_t index = 0; index < count; ++index) {
            // An entry the file does not hold keeps its standard colour.
            std::array<std::uint8_t, ColourTableEntrySize> entry{};
            if (in.ReadBytes(entry.data(), entry.size()))
                palette[index] = PixelBGRA{entry[0], entry[1], entry[2], entry[3]};
        }
        std::fill(palette.begin() + static_cast<std::ptrdiff_t>(count), palette.end(),
                  kWhiteTransparent);
    }

    // The masks sit right after the first 40 header bytes, inside a larger header too.
    Masks16 masks;
    if (depth == 16 && info.biCompression == CompressionBitfields) masks = ReadMasks(in);

    in.SkipTo(fileHeader.bfOffBits);
    if (depth == 16) {
        Read16BitRows(in, *this, masks, tile, rowSize);
    } else {
        ReadDecodedRows(in, *this, tile, rowSize);
    }
    return LoadOutcome::Loaded;
}

}  // namespace vantrel
