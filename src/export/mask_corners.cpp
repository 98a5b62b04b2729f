#include "export/mask_corners.h"

namespace vantrel {

namespace {

void Paint(BitmapImage& image, std::int32_t x, std::int32_t y) {
    PixelBGRA& pixel = image.PixelAt(x, y);
    pixel.blue = 0;
    pixel.green = 0;
    pixel.red = 0;
}

}  // namespace

// The passes deliberately run to W and H (one past the last column and row) and lean
// on PixelAt's clamping there. That makes the four triangles slightly different from
// one another; stored pictures produced this way are what users compare against, so
// the exact pixel sets are kept rather than made symmetric.
void MaskCorners(BitmapImage& image) {
    const std::int32_t w = image.Width();
    const std::int32_t h = image.Height();

    // Top-left.
    for (std::int32_t x = 0; x <= w; ++x) {
        for (std::int32_t y = 0; y <= CornerSize - x; ++y)
            Paint(image, x, y);
    }
    // Bottom-left.
    for (std::int32_t y = h; y >= h - CornerSize; --y) {
        for (std::int32_t x = 0; x <= CornerSize - (h - y); ++x)
            Paint(image, x, y);
    }
    // Top-right.
    for (std::int32_t y = 0; y <= h; ++y) {
        for (std::int32_t x = w - (CornerSize - y); x <= w; ++x)
            Paint(image, x, y);
    }
    // Bottom-right.
    for (std::int32_t y = h; y >= h - CornerSize; --y) {
        for (std::int32_t x = w - (CornerSize - (h - y)); x <= w; ++x)
            Paint(image, x, y);
    }
}

}  // namespace vantrel
