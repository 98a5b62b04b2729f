// Bilinear rescaling of an image in place, and the library's one global setting: the
// switch that decides whether an unknown rescale mode gets a warning text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bitmap/bitmap_image.h"

namespace vantrel {

// Rescales image by mode (upper or lower case) and value:
//   'P' value percent of both sides,  'W' width value, height in proportion,
//   'H' height value, width in proportion,  'F' the longer side (height when square).
// Sides below 1 become 1. The result is a 24-bit image without palette; every alpha is
// 0 except the bottom-right pixel's, which keeps the source's bottom-right alpha.
// False, image unchanged, for an unknown mode letter, for a new size whose side does
// not fit 32 bits or whose pixel count exceeds MaxPixelCount, and when memory runs out.
// On every path a resolution field holding 0 is set to DefaultPelsPerMeter, because the
// working copy reads the resolution through the dots-per-inch getters.
bool ResampleImage(BitmapImage& image, char mode, std::int32_t value);

// The warning switch: on when the library is loaded.
void WarningsOn();
void WarningsOff();
bool WarningsEnabled();

// Size of the buffer the unknown-mode warning is formatted into.
inline constexpr std::size_t WarningBufferSize = 1024;

// Formats the text that ResampleImage produces (and drops: the library prints nothing)
// for an unknown mode while warnings are on. Returns what snprintf returns.
int FormatUnknownModeWarning(char* buffer, std::size_t size, char mode);

}  // namespace vantrel
