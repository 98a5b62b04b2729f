#include "pixel_copy.h"

#include <algorithm>
#include <optional>

namespace vantrel {

namespace {

bool MatchesKey(const PixelBGRA& pixel, const PixelBGRA& key) {
    return pixel.red == key.red && pixel.green == key.green && pixel.blue == key.blue;
}

// The rectangle after clamping, in 64 bits: with arbitrary 32-bit arguments the
// differences and sums below would overflow 32 bits.
struct Rectangle {
    std::int64_t left, right, top, bottom;
};

Rectangle ClampRectangle(const BitmapImage& source, std::int32_t left, std::int32_t right,
                         std::int32_t firstRow, std::int32_t secondRow, const BitmapImage& target,
                         std::int32_t targetX, std::int32_t targetY) {
    Rectangle r{left, right, std::min(firstRow, secondRow), std::max(firstRow, secondRow)};
    // To the source first; then the target cut works on the clamped values.
    if (r.right >= source.Width()) r.right = source.Width() - 1;
    if (r.left < 0) r.left = 0;
    if (r.bottom >= source.Height()) r.bottom = source.Height() - 1;
    if (r.top < 0) r.top = 0;
    if ((r.right - r.left) + targetX >= target.Width()) {
        r.right = r.left + target.Width() - 1 - targetX;
    }
    if ((r.bottom - r.top) + targetY >= target.Height()) {
        r.bottom = r.top + target.Height() - 1 - targetY;
    }
    return r;
}

// Visits the rectangle pixel by pixel in copy order. Every coordinate handed to the
// images fits 32 bits: source ones lie inside the source, target ones lie between the
// (32-bit) target origin and the target's last column or row.
void CopyRange(const BitmapImage& source, std::int32_t left, std::int32_t right,
               std::int32_t firstRow, std::int32_t secondRow, BitmapImage& target,
               std::int32_t targetX, std::int32_t targetY, const std::optional<PixelBGRA>& key) {
    const Rectangle r =
        ClampRectangle(source, left, right, firstRow, secondRow, target, targetX, targetY);
    for (std::int64_t y = r.top; y <= r.bottom; ++y) {
        const auto sourceY = static_cast<std::int32_t>(y);
        const auto destinationY = static_cast<std::int32_t>(targetY + (y - r.top));
        for (std::int64_t x = r.left; x <= r.right; ++x) {
            const auto sourceX = static_cast<std::int32_t>(x);
            const auto destinationX = static_cast<std::int32_t>(targetX + (x - r.left));
            if (key) {
                CopyPixelUnlessKey(source, sourceX, sourceY, target, destinationX, destinationY,
                                   *key);
            } else {
                CopyPixel(source, sourceX, sourceY, target, destinationX, destinationY);
            }
        }
    }
}

}  // namespace

void CopyPixel(const BitmapImage& source, std::int32_t sourceX, std::int32_t sourceY,
               BitmapImage& target, std::int32_t targetX, std::int32_t targetY) {
    // Read before write: source and target may be the same image.
    const PixelBGRA pixel = source.PixelValue(sourceX, sourceY);
    target.PixelAt(targetX, targetY) = pixel;
}

void CopyPixelUnlessKey(const BitmapImage& source, std::int32_t sourceX, std::int32_t sourceY,
                        BitmapImage& target, std::int32_t targetX, std::int32_t targetY,
                        const PixelBGRA& key) {
    const PixelBGRA pixel = source.PixelValue(sourceX, sourceY);
    if (MatchesKey(pixel, key)) return;
    target.PixelAt(targetX, targetY) = pixel;
}

void CopyPixelRange(const BitmapImage& source, std::int32_t left, std::int32_t right,
                    std::int32_t firstRow, std::int32_t secondRow, BitmapImage& target,
                    std::int32_t targetX, std::int32_t targetY) {
    CopyRange(source, left, right, firstRow, secondRow, target, targetX, targetY, std::nullopt);
}

void CopyPixelRangeUnlessKey(const BitmapImage& source, std::int32_t left, std::int32_t right,
                             std::int32_t firstRow, std::int32_t secondRow, BitmapImage& target,
                             std::int32_t targetX, std::int32_t targetY, const PixelBGRA& key) {
    CopyRange(source, left, right, firstRow, secondRow, target, targetX, targetY, key);
}

}  // namespace vantrel
