// The BMP writer: both headers field by field, the colour table or the 16-bit channel
// masks, then the rows bottom row first through one reused row buffer. The first write
// that comes up short stops everything, and Save reports it.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "bitmap_image.h"
#include "bmp_format.h"
#include "file_stream.h"
#include "nearest_colour.h"
#include "row_tiles.h"

namespace vantrel {

namespace {

// The largest file this writer can produce: at most 4 stored bytes a pixel (a 1-pixel
// wide row pads to 4 bytes at any depth) plus the headers and the largest colour table.
// It must fit the 32-bit size fields of the headers.
static_assert(MaxPixelCount * 4 + HeadersSize + 256 * ColourTableEntrySize <= 0xFFFFFFFFu,
              "bfSize and biSizeImage must hold every image's size");

// Writes in order until the first failure, then writes nothing more and keeps the errno
// of that failure.
class Writer {
  public:
    explicit Writer(std::FILE* stream) : stream_(stream) {}

    bool Ok() const { return error_ == 0; }
    int Error() const { return error_; }

    template <typename T>
    void Field(T value) {
        if (Ok()) Check(WriteField(stream_, value));
    }

    void Bytes(const std::uint8_t* bytes, std::size_t count) {
        if (Ok()) Check(std::fwrite(bytes, 1, count, stream_) == count);
    }

    void Fail(int error) {
        if (Ok()) error_ = error != 0 ? error : EIO;
    }

  private:
    void Check(bool written) {
        if (!written) Fail(errno);
    }

    std::FILE* stream_;
    int error_ = 0;
};

std::int32_t OrDefault(std::int32_t pelsPerMeter) {
    return pelsPerMeter != 0 ? pelsPerMeter : DefaultPelsPerMeter;
}

// 5-6-5: the top five bits of red and blue, the top six of green; alpha is dropped.
std::uint16_t Pack565(PixelBGRA pixel) {
    return static_cast<std::uint16_t>(((pixel.red >> 3) << 11) | ((pixel.green >> 2) << 5) |
                                      (pixel.blue >> 3));
}

// One tile of stored rows from the grid: tile row t (file order, bottom row first) holds
// image row yLow + rows - 1 - t. store(row, x, pixel) puts the pixel of column x into a
// stored row; bytes it does not write (the row padding) are left as they were. Columns go
// in blocks, as the reader's do (row_tiles.h).
template <std::int32_t Block, typename Store>
void EncodeTile(const BitmapImage& image, std::uint8_t* tile, std::size_t rowSize, std::size_t rows,
                std::size_t yLow, Store store) {
    const std::int32_t width = image.Width();
    std::int32_t first = 0;
    for (; first + Block <= width; first += Block) {
        const PixelBGRA* runs[Block];
        for (std::int32_t k = 0; k < Block; ++k)
            runs[k] = image.Column(first + k) + yLow;
        for (std::size_t j = 0; j < rows; ++j) {
            std::uint8_t* row = tile + (rows - 1 - j) * rowSize;
            for (std::int32_t k = 0; k < Block; ++k)
                store(row, first + k, runs[k][j]);
        }
    }
    for (; first < width; ++first) {
        const PixelBGRA* run = image.Column(first) + yLow;
        for (std::size_t j = 0; j < rows; ++j)
            store(tile + (rows - 1 - j) * rowSize, first, run[j]);
    }
}

// All four bytes equal, in one comparison rather than four.
bool SamePixel(const PixelBGRA& a, const PixelBGRA& b) {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    std::memcpy(&first, &a, sizeof first);
    std::memcpy(&second, &b, sizeof second);
    return first == second;
}

// Packed palette indices, several columns to a byte: the byte's leftmost pixel in its
// most significant bits, and bits of columns past the row's end 0. The sum and its low
// eight bits are those of the row encoders. Blocks of BlockColumns columns fill whole
// bytes at every depth.
template <int BitsPerPixel>
void EncodeIndexedTile(const BitmapImage& image, NearestColourLookup& lookup, std::uint8_t* tile,
                       std::size_t rowSize, std::size_t rows, std::size_t yLow) {
    constexpr std::int32_t kPerByte = 8 / BitsPerPixel;
    static_assert(BlockColumns % kPerByte == 0, "a block fills whole bytes");
    const std::int32_t width = image.Width();
    // Neighbours in a column are often alike: each column of the block remembers its
    // last pixel and that pixel's index.
    PixelBGRA last[BlockColumns];
    unsigned lastIndex[BlockColumns];
    for (std::int32_t k = 0; k < BlockColumns; ++k) {
        last[k] = image.Column(0)[yLow];
        lastIndex[k] = lookup.Nearest(last[k]);
    }
    for (std::int32_t first = 0; first < width; first += BlockColumns) {
        const std::int32_t count = std::min(BlockColumns, width - first);
        const PixelBGRA* runs[BlockColumns];
        for (std::int32_t k = 0; k < count; ++k)
            runs[k] = image.Column(first + k) + yLow;
        for (std::size_t j = 0; j < rows; ++j) {
            std::uint8_t* out =
                tile + (rows - 1 - j) * rowSize + static_cast<std::size_t>(first / kPerByte);
            for (std::int32_t group = 0; group * kPerByte < count; ++group) {
                unsigned sum = 0;
                for (std::int32_t place = 0; place < kPerByte; ++place) {
                    const std::int32_t k = group * kPerByte + place;
                    if (k >= count) break;
                    const PixelBGRA pixel = runs[k][j];
                    if (!SamePixel(pixel, last[k])) {
                        last[k] = pixel;
                        lastIndex[k] = lookup.Nearest(pixel);
                    }
                    sum += lastIndex[k] << (8 - BitsPerPixel * (place + 1));
                }
                out[group] = static_cast<std::uint8_t>(sum);
            }
        }
    }
}

// Encodes one tile at the image's depth. False for a depth without stored rows.
bool EncodeTileAtDepth(const BitmapImage& image, NearestColourLookup& lookup, std::uint8_t* tile,
                       std::size_t rowSize, std::size_t rows, std::size_t yLow) {
    switch (image.BitDepth()) {
        case 1:
            EncodeIndexedTile<1>(image, lookup, tile, rowSize, rows, yLow);
            return true;
        case 4:
            EncodeIndexedTile<4>(image, lookup, tile, rowSize, rows, yLow);
            return true;
        case 8:
            EncodeIndexedTile<8>(image, lookup, tile, rowSize, rows, yLow);
            return true;
        case 16:
            EncodeTile<BlockColumns>(image, tile, rowSize, rows, yLow,
                                     [](std::uint8_t* row, std::int32_t x, PixelBGRA pixel) {
                                         StoreLittleEndian16(row + 2 * static_cast<std::size_t>(x),
                                                             Pack565(pixel));
                                     });
            return true;
        case 24:
            EncodeTile<1>(image, tile, rowSize, rows, yLow,
                          [](std::uint8_t* row, std::int32_t x, PixelBGRA pixel) {
                              std::uint8_t* at = row + 3 * static_cast<std::size_t>(x);
                              at[0] = pixel.blue;
                              at[1] = pixel.green;
                              at[2] = pixel.red;
                          });
            return true;
        case 32:
            EncodeTile<1>(image, tile, rowSize, rows, yLow,
                          [](std::uint8_t* row, std::int32_t x, PixelBGRA pixel) {
                              std::uint8_t* at = row + 4 * static_cast<std::size_t>(x);
                              at[0] = pixel.blue;
                              at[1] = pixel.green;
                              at[2] = pixel.red;
                              at[3] = pixel.alpha;
                          });
            return true;
        default:
            return false;
    }
}

}  // namespace

bool BitmapImage::Save(const char* path, int* systemError) {
    int ignored = 0;
    int& error = systemError != nullptr ? *systemError : ignored;
    error = 0;
    FileHandle file = OpenFile(path, "wb");
    if (!file) {
        error = errno != 0 ? errno : EIO;
        return false;
    }

    const std::int32_t depth = bitDepth;
    const bool indexed = IsIndexedDepth(depth);
    // Sizes in 64 bits; MaxPixelCount keeps them inside the 32-bit fields (see above).
    const std::uint64_t rowSize = PaddedRowSize(width, depth);
    const std::uint64_t imageSize = rowSize * static_cast<std::uint64_t>(height);
    const std::uint64_t tableEntries = indexed ? std::uint64_t{1} << depth : 0;
    const std::uint64_t tableSize =
        depth == 16 ? MaskBlockSize : tableEntries * ColourTableEntrySize;

    // Padding bytes are zeroed here, once: the tile encoders never write them.
    const std::size_t rowsPerTile = RowsPerTile(rowSize, depth, height);
    std::vector<std::uint8_t> tile;
    try {
        tile.assign(rowsPerTile * static_cast<std::size_t>(rowSize), 0);
        // An indexed image is written against a palette; the standard one if it has none.
        if (indexed && palette.empty()) {
            palette.resize(static_cast<std::size_t>(tableEntries));
            FillStandardPalette();
        }
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
        return false;
    }

    BmpFileHeader fileHeader;
    fileHeader.bfOffBits = static_cast<std::uint32_t>(HeadersSize + tableSize);
    fileHeader.bfSize = static_cast<std::uint32_t>(HeadersSize + tableSize + imageSize);

    BmpInfoHeader info;
    info.biSize = InfoHeaderSize;
    info.biWidth = width;
    info.biHeight = height;  // positive: bottom row first
    info.biBitCount = static_cast<std::uint16_t>(depth);
    info.biCompression = depth == 16 ? CompressionBitfields : CompressionRgb;
    info.biSizeImage = static_cast<std::uint32_t>(imageSize);
    info.biXPelsPerMeter = OrDefault(xPelsPerMeter);
    info.biYPelsPerMeter = OrDefault(yPelsPerMeter);

    Writer out(file.get());
    out.Field(fileHeader.bfType);
    out.Field(fileHeader.bfSize);
    out.Field(fileHeader.bfReserved1);
    out.Field(fileHeader.bfReserved2);
    out.Field(fileHeader.bfOffBits);
    out.Field(info.biSize);
    out.Field(info.biWidth);
    out.Field(info.biHeight);
    out.Field(info.biPlanes);
    out.Field(info.biBitCount);
    out.Field(info.biCompression);
    out.Field(info.biSizeImage);
    out.Field(info.biXPelsPerMeter);
    out.Field(info.biYPelsPerMeter);
    out.Field(info.biClrUsed);
    out.Field(info.biClrImportant);

    if (indexed) {
        // The full table, each entry as stored: blue, green, red, and alpha as reserved.
        for (std::size_t index = 0; index < tableEntries; ++index) {
            const PixelBGRA entry = PaletteEntry(static_cast<std::int32_t>(index));
            const std::uint8_t bytes[ColourTableEntrySize] = {entry.blue, entry.green, entry.red,
                                                              entry.alpha};
            out.Bytes(bytes, sizeof bytes);
        }
    } else if (depth == 16) {
        out.Field(std::uint32_t{RedMask565});
        out.Field(std::uint32_t{GreenMask565});
        out.Field(std::uint32_t{BlueMask565});
    }

    // Only 1, 4 and 8 bits use it: the palette's nearest colours, as NearestPaletteIndex
    // finds them.
    const std::size_t held = std::min(palette.size(), static_cast<std::size_t>(PaletteSize()));
    NearestColourLookup lookup(palette.data(), indexed ? held : 0);
    const auto rows = static_cast<std::size_t>(height);
    for (std::size_t done = 0; done < rows && out.Ok();) {
        const std::size_t count = std::min(rowsPerTile, rows - done);
        if (!EncodeTileAtDepth(*this, lookup, tile.data(), static_cast<std::size_t>(rowSize), count,
                               rows - done - count)) {
            out.Fail(EINVAL);
            break;
        }
        out.Bytes(tile.data(), count * static_cast<std::size_t>(rowSize));
        done += count;
    }

    // Buffered bytes reach the disk only here; a full disk often shows up only now.
    if (std::fclose(file.release()) != 0) out.Fail(errno);
    error = out.Error();
    return out.Ok();
}

}  // namespace vantrel
