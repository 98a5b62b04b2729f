// How the resample_copies target reads its input; the seed generator writes the same
// layout. Fixed options come first and the pixels last, so that mutating one option
// does not shift the others.
//   byte 0   flags: bit 0 warnings off; bit 1 resolution from the input (else 0);
//            bit 2 copy within the source image itself; bits 4-5 the copy operation
//   bytes 1-4  source width, source height, target width, target height: 1 + byte % 16
//   byte 5   depth: {1, 4, 8, 16, 24, 32}[byte % 6]
//   byte 6   the mode letter, handed to ResampleImage as it is
//   numbers  the resample value, xPelsPerMeter, yPelsPerMeter, then the six copy
//            coordinates: left, right, first row, second row, target x, target y (the
//            single-pixel copies take left and first row as the source pixel)
//   4 bytes  the key colour: blue, green, red, alpha
//   the rest pixels, 4 bytes each (blue, green, red, alpha), source column by column,
//            then the target; pixels the input does not hold are 0
// A number is one byte holding -128 to 126, so small values stay cheap to reach; the
// byte 0x7F announces four more bytes, a little-endian value of the whole 32-bit range.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bitmap/bitmap_image.h"

namespace vantrel::fuzz {

enum class CopyOperation : std::uint8_t { Pixel, PixelUnlessKey, Range, RangeUnlessKey };

struct ResampleCopiesInput {
    bool warningsOff = false;
    bool resolutionFromInput = false;
    bool copyWithinSource = false;
    CopyOperation operation = CopyOperation::Pixel;
    std::int32_t sourceWidth = 1;
    std::int32_t sourceHeight = 1;
    std::int32_t targetWidth = 1;
    std::int32_t targetHeight = 1;
    std::int32_t depth = 24;
    char mode = 'P';
    std::int32_t value = 100;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::array<std::int32_t, 6> coordinates{};  // left, right, rows, target x and y
    PixelBGRA key{};
    std::vector<std::uint8_t> pixels;
};

inline constexpr std::int32_t kMaxFuzzSide = 16;
inline constexpr std::int32_t kFuzzDepths[] = {1, 4, 8, 16, 24, 32};

ResampleCopiesInput ParseResampleCopiesInput(const std::uint8_t* data, std::size_t size);

// The bytes that parse back into input. Sides must lie in 1 to kMaxFuzzSide and the
// depth must be one of kFuzzDepths.
std::vector<std::uint8_t> EncodeResampleCopiesInput(const ResampleCopiesInput& input);

}  // namespace vantrel::fuzz
