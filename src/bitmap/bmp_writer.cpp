// The BMP writer: both headers field by field, the colour table or the 16-bit channel
// masks, then the rows bottom row first through one reused row buffer. The first write
// that comes up short stops everything, and Save reports it.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

#include "bitmap_image.h"
#include "bmp_format.h"
#include "file_stream.h"

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

// Encodes row y of a 16-bit image; the padding bytes behind the pixels are left alone.
void EncodeRow16(const BitmapImage& image, std::uint8_t* row, std::int32_t y) {
    for (std::int32_t x = 0; x < image.Width(); ++x, row += 2)
        StoreLittleEndian16(row, Pack565(image.Column(x)[y]));
}

using RowEncoder = bool (BitmapImage::*)(std::uint8_t*, std::int32_t, std::int32_t) const;

RowEncoder EncoderFor(std::int32_t depth) {
    struct Entry {
        std::int32_t depth;
        RowEncoder encoder;
    };
    static constexpr Entry kEncoders[] = {
        {1, &BitmapImage::EncodeRow1},   {4, &BitmapImage::EncodeRow4},
        {8, &BitmapImage::EncodeRow8},   {24, &BitmapImage::EncodeRow24},
        {32, &BitmapImage::EncodeRow32},
    };
    for (const Entry& entry : kEncoders) {
        if (entry.depth == depth) return entry.encoder;
    }
    return nullptr;
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

    std::vector<std::uint8_t> row;
    try {
        row.assign(static_cast<std::size_t>(rowSize), 0);
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

    // The buffer was zeroed once; encoders leave the padding behind the pixels alone.
    const RowEncoder encode = EncoderFor(depth);
    const auto length = static_cast<std::int32_t>(row.size());
    for (std::int32_t y = height - 1; y >= 0 && out.Ok(); --y) {
        if (depth == 16) {
            EncodeRow16(*this, row.data(), y);
        } else if (encode == nullptr || !(this->*encode)(row.data(), length, y)) {
            out.Fail(EINVAL);
            break;
        }
        out.Bytes(row.data(), row.size());
    }

    // Buffered bytes reach the disk only here; a full disk often shows up only now.
    if (std::fclose(file.release()) != 0) out.Fail(errno);
    error = out.Error();
    return out.Ok();
}

}  // namespace vantrel
