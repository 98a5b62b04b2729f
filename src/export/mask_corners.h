// Paints a black right-angled triangle into each corner of an image.
#pragma once

#include <cstdint>

#include "bitmap/bitmap_image.h"

namespace vantrel {

// The legs of every corner triangle derive from this one constant.
inline constexpr std::int32_t CornerSize = 40;

// Sets blue, green and red of the corner pixels to 0, keeping alpha. Depth, palette,
// size and resolution are not touched; how black is stored is the writer's business.
void MaskCorners(BitmapImage& image);

}  // namespace vantrel
