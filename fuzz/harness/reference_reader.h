// A second reading of a BMP file, straight from its bytes by offset, for the round-trip
// target to hold Load against. It is written for clarity, not speed: no stream, no tiles,
// no tables, so that it shares no mistake with the reader's fast paths, and every pixel
// it gives is set on purpose (a pixel that Load leaves unset shows up as a difference).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bitmap/bitmap_image.h"

namespace vantrel::fuzz {

struct ReferenceImage {
    LoadOutcome outcome = LoadOutcome::HeaderTruncated;
    // The rest only when outcome is Loaded (the resolution also for later refusals).
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t depth = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::vector<PixelBGRA> palette;  // 2^depth entries for 1, 4 and 8 bits
    std::vector<PixelBGRA> pixels;   // column by column, as the image's grid
};

// What Load should make of these bytes. Pictures above maxPixels are judged but not
// decoded (pixels stays empty).
ReferenceImage ReadReference(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels);

}  // namespace vantrel::fuzz
