#include "reference_reader.h"

#include <algorithm>
#include <optional>

#include "bitmap/bmp_format.h"

namespace vantrel::fuzz {

namespace {

constexpr PixelBGRA kWhiteTransparent{255, 255, 255, 0};

// The file's bytes by offset; a field the file does not hold whole is absent.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Size() const { return size_; }
    bool Holds(std::uint64_t offset, std::uint64_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    const std::uint8_t* At(std::uint64_t offset) const {
        return data_ + static_cast<std::size_t>(offset);
    }
    std::optional<std::uint16_t> U16(std::uint64_t offset) const {
        if (!Holds(offset, 2)) return std::nullopt;
        return LoadLittleEndian16(At(offset));
    }
    std::uint32_t U32(std::uint64_t offset) const { return LoadLittleEndian32(At(offset)); }
    std::int32_t I32(std::uint64_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// The refusals in the order the reader makes them, for a file with complete headers.
LoadOutcome Judge(std::uint32_t biSize, std::uint32_t compression, std::uint16_t depth,
                  std::int32_t width, std::int32_t height) {
    if (biSize < InfoHeaderSize) return LoadOutcome::UnsupportedHeader;
    if (compression != CompressionRgb && !(compression == CompressionBitfields && depth == 16))
        return LoadOutcome::UnsupportedCompression;
    if (!IsSupportedDepth(depth)) return LoadOutcome::UnsupportedDepth;
    if (width <= 0) return LoadOutcome::BadDimensions;
    if (height < 0) return LoadOutcome::TopDown;
    if (height == 0) return LoadOutcome::BadDimensions;
    const std::uint64_t count =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    return count > MaxPixelCount ? LoadOutcome::TooLarge : LoadOutcome::Loaded;
}

// A 16-bit channel: the mask shifted right until its highest set bit is bit 4 or lower,
// then times 8.
std::uint8_t Channel16(std::uint16_t value, std::uint16_t mask) {
    unsigned field = value & mask;
    unsigned top = mask;
    while (top > 31u) {
        top >>= 1;
        field >>= 1;
    }
    return static_cast<std::uint8_t>(field * 8u);
}

// Index of pixel x in a stored row of 1, 4 or 8 bits: the leftmost pixel in the highest bits.
unsigned IndexAt(const std::uint8_t* row, std::int32_t x, std::int32_t depth) {
    const auto bit = static_cast<std::uint64_t>(x) * static_cast<std::uint64_t>(depth);
    const unsigned byte = row[bit / 8];
    const auto shift = static_cast<unsigned>(8 - depth - static_cast<std::int32_t>(bit % 8));
    return (byte >> shift) & ((1u << depth) - 1u);
}

void DecodeRows(const Bytes& file, std::uint64_t rowsAt, ReferenceImage& image,
                std::uint16_t redMask, std::uint16_t greenMask, std::uint16_t blueMask) {
    const std::uint64_t rowSize = PaddedRowSize(image.width, image.depth);
    const std::uint64_t available = file.Size() > rowsAt ? file.Size() - rowsAt : 0;
    const auto height = static_cast<std::size_t>(image.height);
    image.pixels.assign(static_cast<std::size_t>(image.width) * height, kWhiteTransparent);
    const auto at = [&](std::int32_t x, std::uint64_t k) -> PixelBGRA& {
        // Stored row k (bottom row first) is image row height - 1 - k; k < height, so
        // it fits a size_t on 32-bit hosts too.
        return image.pixels[static_cast<std::size_t>(x) * height +
                            (height - 1 - static_cast<std::size_t>(k))];
    };
    std::uint16_t value = 0;  // 16 bits: the last value read, repeated past the end
    for (std::uint64_t k = 0; k < height; ++k) {
        const std::uint64_t start = k * rowSize;
        if (image.depth == 16) {
            for (std::int32_t x = 0; x < image.width; ++x) {
                const std::uint64_t offset = start + 2 * static_cast<std::uint64_t>(x);
                if (offset + 2 <= available) value = LoadLittleEndian16(file.At(rowsAt + offset));
                at(x, k) = {Channel16(value, blueMask), Channel16(value, greenMask),
                            Channel16(value, redMask), 0};
            }
            continue;
        }
        // Other depths: only whole rows; from the first one missing, white with alpha 0.
        if (start + rowSize > available) break;
        const std::uint8_t* row = file.At(rowsAt + start);
        for (std::int32_t x = 0; x < image.width; ++x) {
            const auto byte =
                static_cast<std::size_t>(x) * static_cast<std::size_t>(image.depth / 8);
            switch (image.depth) {
                case 24:
                    at(x, k) = {row[byte], row[byte + 1], row[byte + 2], 0};
                    break;
                case 32:
                    at(x, k) = {row[byte], row[byte + 1], row[byte + 2], row[byte + 3]};
                    break;
                default:
                    at(x, k) = image.palette[IndexAt(row, x, image.depth)];
                    break;
            }
        }
    }
}

}  // namespace

ReferenceImage ReadReference(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels) {
    const Bytes file(data, size);
    ReferenceImage image;
    // The signature is judged only when the file holds it; a shorter file is refused as
    // cut short.
    const std::optional<std::uint16_t> type = file.U16(0);
    if (type && *type != BmpSignature) {
        image.outcome = LoadOutcome::NotBmp;
        return image;
    }
    if (size < HeadersSize) {
        const bool sizeRead = file.Holds(14, 4);
        image.outcome = sizeRead && file.U32(14) < InfoHeaderSize ? LoadOutcome::UnsupportedHeader
                                                                  : LoadOutcome::HeaderTruncated;
        return image;
    }
    const std::uint32_t offBits = file.U32(10);
    const std::uint32_t biSize = file.U32(14);
    const std::int32_t width = file.I32(18);
    const std::int32_t height = file.I32(22);
    const std::uint16_t depth = *file.U16(28);
    const std::uint32_t compression = file.U32(30);
    image.xPelsPerMeter = file.I32(38);
    image.yPelsPerMeter = file.I32(42);
    image.outcome = Judge(biSize, compression, depth, width, height);
    if (image.outcome != LoadOutcome::Loaded) return image;

    image.width = width;
    image.height = height;
    image.depth = depth;

    // Where the rows start: at bfOffBits, or right after what was read before them when
    // that lies further on (the reader never goes back).
    std::uint64_t readUpTo = HeadersSize;
    std::uint16_t redMask = RedMask555;
    std::uint16_t greenMask = GreenMask555;
    std::uint16_t blueMask = BlueMask555;
    if (IsIndexedDepth(depth)) {
        BitmapImage standard;
        standard.ChangeBitDepth(depth);
        const std::uint64_t entries = std::uint64_t{1} << depth;
        const std::uint64_t tableStart = std::uint64_t{FileHeaderSize} + biSize;
        const std::uint64_t tableBytes = offBits > tableStart ? offBits - tableStart : 0;
        const std::uint64_t count = std::min(tableBytes / ColourTableEntrySize, entries);
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint64_t at = tableStart + ColourTableEntrySize * i;
            if (i >= count) {
                image.palette.push_back(kWhiteTransparent);
            } else if (file.Holds(at, ColourTableEntrySize)) {
                const std::uint8_t* entry = file.At(at);
                image.palette.push_back({entry[0], entry[1], entry[2], entry[3]});
            } else {
                image.palette.push_back(standard.PaletteEntry(static_cast<std::int32_t>(i)));
            }
        }
        if (count > 0) readUpTo = tableStart + ColourTableEntrySize * count;
    } else if (depth == 16 && compression == CompressionBitfields) {
        // Three 4-byte masks right after the first 40 header bytes; the low half counts.
        redMask = file.U16(HeadersSize).value_or(RedMask555);
        greenMask = file.U16(HeadersSize + 4).value_or(GreenMask555);
        blueMask = file.U16(HeadersSize + 8).value_or(BlueMask555);
        readUpTo = HeadersSize + MaskBlockSize;
    }
    const std::uint64_t rowsAt = std::max<std::uint64_t>(readUpTo, offBits);

    const std::uint64_t pixels =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixels <= maxPixels) DecodeRows(file, rowsAt, image, redMask, greenMask, blueMask);
    return image;
}

}  // namespace vantrel::fuzz
