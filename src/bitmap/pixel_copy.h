// Copies of single pixels and of rectangles between images, unconditionally or skipping
// a key (transparent) colour. Only the pixel grids are touched: depth, palette and
// resolution of both images stay as they are.
#pragma once

#include <cstdint>

#include "bitmap/bitmap_image.h"

namespace vantrel {

// Copies all four bytes of the source pixel. Coordinates outside either image reach the
// nearest edge pixel, as PixelAt does.
void CopyPixel(const BitmapImage& source, std::int32_t sourceX, std::int32_t sourceY,
               BitmapImage& target, std::int32_t targetX, std::int32_t targetY);

// As CopyPixel, unless the source pixel equals key in blue, green and red (alpha is
// not compared); then nothing is stored.
void CopyPixelUnlessKey(const BitmapImage& source, std::int32_t sourceX, std::int32_t sourceY,
                        BitmapImage& target, std::int32_t targetX, std::int32_t targetY,
                        const PixelBGRA& key);

// Copies the inclusive rectangle from column left to column right and between the two
// row bounds (in either order) so that its top-left pixel lands at (targetX, targetY).
// The columns are not reordered: left > right copies nothing. The rectangle is clamped
// to the source, then cut where it would run past the target's right or bottom edge;
// clamping a negative left or top does not move it in the target. Target positions left
// of or above the target fold onto column or row 0, where the last pixel written stays.
// Pixels go one at a time, rows top down, columns left to right, so source and target
// may be the same image, overlap included.
void CopyPixelRange(const BitmapImage& source, std::int32_t left, std::int32_t right,
                    std::int32_t firstRow, std::int32_t secondRow, BitmapImage& target,
                    std::int32_t targetX, std::int32_t targetY);

// As CopyPixelRange, skipping source pixels that equal key in blue, green and red.
void CopyPixelRangeUnlessKey(const BitmapImage& source, std::int32_t left, std::int32_t right,
                             std::int32_t firstRow, std::int32_t secondRow, BitmapImage& target,
                             std::int32_t targetX, std::int32_t targetY, const PixelBGRA& key);

}  // namespace vantrel
