// The BMP reader in three stages: read the header fields, decide (accept or refuse,
// every size bounded before use), then size the image once and run one row loop through
// one reused row buffer. 16-bit pixels are decoded here; the other depths go through
// the row decoders of row_decoding.cpp.
#include <algorithm>
#include <array>
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

constexpr PixelBGRA kWhiteTransparent{255, 255, 255, 0};

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

// 16-bit rows, bottom row first. When the data ends early every later pixel repeats the
// last value read (0 before the first), down to the last row.
void Read16BitRows(ForwardReader& in, BitmapImage& image, const Masks16& masks,
                   std::vector<std::uint8_t>& row) {
    const Channel red(masks.red);
    const Channel green(masks.green);
    const Channel blue(masks.blue);
    const std::int32_t width = image.Width();
    std::uint16_t value = 0;
    for (std::int32_t y = image.Height() - 1; y >= 0; --y) {
        const std::size_t arrived = in.ReadSome(row.data(), row.size());
        const std::size_t whole = std::min(arrived / 2, static_cast<std::size_t>(width));
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(x);
            if (at < whole) value = LoadLittleEndian16(row.data() + 2 * at);
            PixelBGRA& pixel = image.Column(x)[y];
            pixel.blue = blue.Decode(value);
            pixel.green = green.Decode(value);
            pixel.red = red.Decode(value);
        }
    }
}

using RowDecoder = bool (BitmapImage::*)(const std::uint8_t*, std::int32_t, std::int32_t);

RowDecoder DecoderFor(std::int32_t depth) {
    struct Entry {
        std::int32_t depth;
        RowDecoder decoder;
    };
    static constexpr Entry kDecoders[] = {
        {1, &BitmapImage::DecodeRow1},   {4, &BitmapImage::DecodeRow4},
        {8, &BitmapImage::DecodeRow8},   {24, &BitmapImage::DecodeRow24},
        {32, &BitmapImage::DecodeRow32},
    };
    for (const Entry& entry : kDecoders) {
        if (entry.depth == depth) return entry.decoder;
    }
    return nullptr;
}

// Rows of the depths with a row decoder, bottom row first; the first row that does not
// arrive in full ends the loop and leaves it and the rows above it white.
void ReadDecodedRows(ForwardReader& in, BitmapImage& image, std::vector<std::uint8_t>& row) {
    const RowDecoder decode = DecoderFor(image.BitDepth());
    if (decode == nullptr) return;
    const auto length = static_cast<std::int32_t>(row.size());
    for (std::int32_t y = image.Height() - 1; y >= 0; --y) {
        if (in.ReadSome(row.data(), row.size()) < row.size()) return;
        if (!(image.*decode)(row.data(), length, y)) return;
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
    std::vector<std::uint8_t> row;
    try {
        // Judge bounded width × height, so this is at most 4 bytes a pixel.
        row.resize(static_cast<std::size_t>(PaddedRowSize(info.biWidth, depth)));
    } catch (const std::bad_alloc&) {
        Reset(*this);
        return LoadOutcome::OutOfMemory;
    }
    ChangeBitDepth(depth);
    if (!Resize(info.biWidth, info.biHeight)) {
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
        Read16BitRows(in, *this, masks, row);
    } else {
        ReadDecodedRows(in, *this, row);
    }
    return LoadOutcome::Loaded;
}

}  // namespace vantrel
