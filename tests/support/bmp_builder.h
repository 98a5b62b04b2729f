// Builds BMP files byte by byte for tests. Every header field can be set, to values no
// valid file holds as well; bfOffBits and bfSize follow the pieces actually written
// unless a test fixes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bitmap/bitmap_image.h"
#include "bitmap/bmp_format.h"

namespace vantrel {

// Lets GoogleTest print a load outcome by its text rather than as raw bytes.
void PrintTo(LoadOutcome outcome, std::ostream* out);

void AppendLittleEndian16(std::vector<std::uint8_t>& bytes, std::uint16_t value);
void AppendLittleEndian32(std::vector<std::uint8_t>& bytes, std::uint32_t value);

// The pieces, in file order: file header, the 40 bytes of info header fields, masks,
// the rest of a longer info header (biSize − 40 − 4 × masks bytes of headerFill, or
// fixedFillSize bytes), colour table, gap, rows. Then the file is cut at cutAt bytes if
// that is set.
struct BmpBuilder {
    // A valid header for width × height pixels at depth: BI_RGB, biSize 40, no table.
    BmpBuilder(std::int32_t width, std::int32_t height, std::uint16_t depth);

    // Appends one stored row: the given bytes, then zero padding to a multiple of 4.
    BmpBuilder& Row(std::vector<std::uint8_t> bytes);
    // Appends a colour table entry.
    BmpBuilder& Colour(std::uint8_t blue, std::uint8_t green, std::uint8_t red,
                       std::uint8_t reserved = 0);

    std::vector<std::uint8_t> Bytes() const;
    void WriteTo(const std::string& path) const;

    BmpFileHeader file;  // bfSize and bfOffBits are replaced unless fixed below
    BmpInfoHeader info;
    std::optional<std::uint32_t> fixedSize;
    std::optional<std::uint32_t> fixedOffBits;
    std::vector<std::uint32_t> masks;
    std::uint8_t headerFill = 0xEE;            // not 0, so that header bytes read as colours show
    std::optional<std::size_t> fixedFillSize;  // for a biSize far beyond the file
    std::vector<PixelBGRA> colourTable;
    std::vector<std::uint8_t> gap;
    std::vector<std::uint8_t> rows;
    std::optional<std::size_t> cutAt;
};

}  // namespace vantrel
