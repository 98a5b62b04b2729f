// The BMP file layout: the two header records, their defaults and the layout constants.
// Header fields travel to and from files one at a time as little-endian bytes (see
// file_stream.h); the records' in-memory layout never reaches a file.
#pragma once

#include <cstdint>

namespace vantrel {

inline constexpr std::uint16_t BmpSignature = 19778;  // the bytes 'B', 'M'
inline constexpr std::uint32_t FileHeaderSize = 14;
inline constexpr std::uint32_t InfoHeaderSize = 40;  // the smallest info header we accept
inline constexpr std::uint32_t HeadersSize = FileHeaderSize + InfoHeaderSize;  // 54
inline constexpr std::uint32_t ColourTableEntrySize = 4;
inline constexpr std::uint32_t MaskBlockSize = 12;        // red, green, blue masks, 4 bytes each
inline constexpr std::uint32_t CompressionRgb = 0;        // BI_RGB
inline constexpr std::uint32_t CompressionBitfields = 3;  // BI_BITFIELDS

// 5-6-5 masks that the writer uses for 16-bit files, and the 5-5-5 masks that a
// 16-bit file without a mask block implies.
inline constexpr std::uint16_t RedMask565 = 0xF800;
inline constexpr std::uint16_t GreenMask565 = 0x07E0;
inline constexpr std::uint16_t BlueMask565 = 0x001F;
inline constexpr std::uint16_t RedMask555 = 0x7C00;
inline constexpr std::uint16_t GreenMask555 = 0x03E0;
inline constexpr std::uint16_t BlueMask555 = 0x001F;

// BITMAPFILEHEADER. Fields that construction leaves open in the format start at 0 here,
// so a field that a short file never supplied reads as 0.
struct BmpFileHeader {
    std::uint16_t bfType = BmpSignature;
    std::uint32_t bfSize = 0;
    std::uint16_t bfReserved1 = 0;
    std::uint16_t bfReserved2 = 0;
    std::uint32_t bfOffBits = 0;

    // Swaps the bytes of every field, for hosts whose byte order is not the file's.
    void ReverseByteOrder();
};

// BITMAPINFOHEADER, the 40-byte info header.
struct BmpInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = CompressionRgb;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 3780;  // DefaultPelsPerMeter
    std::int32_t biYPelsPerMeter = 3780;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;

    void ReverseByteOrder();
};

constexpr std::uint16_t ByteSwap16(std::uint16_t value) {
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

constexpr std::uint32_t ByteSwap32(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) |
           (value << 24);
}

// The one pair of little-endian helpers every header field goes through.
constexpr std::uint16_t LoadLittleEndian16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

constexpr std::uint32_t LoadLittleEndian32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

constexpr void StoreLittleEndian16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr void StoreLittleEndian32(std::uint8_t* bytes, std::uint32_t value) {
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
    bytes[2] = static_cast<std::uint8_t>(value >> 16);
    bytes[3] = static_cast<std::uint8_t>(value >> 24);
}

// Bytes of one stored row: width × depth bits rounded up to whole bytes, then to a
// multiple of 4. Computed in 64 bits so no width or depth can overflow it.
constexpr std::uint64_t PaddedRowSize(std::int64_t width, std::int64_t depth) {
    const std::uint64_t bits =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(depth);
    return ((bits + 31) / 32) * 4;
}

}  // namespace vantrel
