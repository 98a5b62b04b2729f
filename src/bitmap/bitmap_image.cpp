#include "bitmap_image.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace vantrel {

namespace {

constexpr PixelBGRA kWhiteTransparent{255, 255, 255, 0};

// 1 / 0.0254: pixels per metre for one dot per inch.
constexpr double kPelsPerMeterPerDpi = 39.37007874015748;
constexpr double kInchesPerMeter = 0.0254;

// Truncates toward zero, saturating at the signed 32-bit range instead of overflowing.
std::int32_t SaturatingTruncate(double value) {
    constexpr double kMin = static_cast<double>(std::numeric_limits<std::int32_t>::min());
    constexpr double kMax = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (value <= kMin) return std::numeric_limits<std::int32_t>::min();
    if (value >= kMax) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

std::int32_t DpiFromPelsPerMeter(std::int32_t& pelsPerMeter) {
    if (pelsPerMeter == 0) pelsPerMeter = DefaultPelsPerMeter;
    return static_cast<std::int32_t>(static_cast<double>(pelsPerMeter) * kInchesPerMeter);
}

}  // namespace

bool IsIndexedDepth(std::int32_t depth) {
    return depth == 1 || depth == 4 || depth == 8;
}

bool IsSupportedDepth(std::int32_t depth) {
    switch (depth) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            return true;
        default:
            return false;
    }
}

namespace {

// Asks the system to map a new grid's pages in one go instead of one page fault at a
// time; every page is written right after anyway. A hint only (kernels before 5.14 do
// not know it, other systems have no such call), and it changes no result.
void MapGridPages(void* grid, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr std::size_t kLargeGrid = std::size_t{16} << 20;
    if (bytes < kLargeGrid) return;
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) return;
    const auto page = static_cast<std::uintptr_t>(pageSize);
    const auto begin = reinterpret_cast<std::uintptr_t>(grid);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t last = (begin + bytes) / page * page;
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
    (void)grid;
    (void)bytes;
#endif
}

}  // namespace

std::int32_t IntegerPower(std::int32_t base, std::int32_t exponent) {
    // Unsigned arithmetic wraps by definition; the conversion back is modular in C++20.
    std::uint32_t product = 1;
    for (std::int32_t i = 0; i < exponent; ++i)
        product *= static_cast<std::uint32_t>(base);
    return static_cast<std::int32_t>(product);
}

const char* DescribeLoadOutcome(LoadOutcome outcome) {
    switch (outcome) {
        case LoadOutcome::Loaded:
            return "loaded";
        case LoadOutcome::CannotOpen:
            return "cannot open the file";
        case LoadOutcome::NotBmp:
            return "not a BMP file";
        case LoadOutcome::HeaderTruncated:
            return "the file ends inside its headers";
        case LoadOutcome::UnsupportedHeader:
            return "unsupported header (older than the 40-byte info header)";
        case LoadOutcome::UnsupportedCompression:
            return "unsupported compression";
        case LoadOutcome::UnsupportedDepth:
            return "unsupported bit depth";
        case LoadOutcome::TopDown:
            return "top-down rows are not supported";
        case LoadOutcome::BadDimensions:
            return "bad dimensions";
        case LoadOutcome::TooLarge:
            return "picture too large";
        case LoadOutcome::OutOfMemory:
            return "not enough memory";
    }
    return "unknown";
}

BitmapImage::BitmapImage() : pixels(1, kWhiteTransparent) {}

BitmapImage::BitmapImage(BitmapImage& source) : BitmapImage() {
    ChangeBitDepth(source.BitDepth());
    // Only an allocation failure can refuse a size that the source already holds; the
    // copy then stays 1 × 1, which callers detect by comparing sizes.
    const bool sized = Resize(source.Width(), source.Height());
    SetResolutionDpi(source.HorizontalDpi(), source.VerticalDpi());
    if (IsIndexedDepth(bitDepth)) {
        for (std::int32_t index = 0; index < PaletteSize(); ++index) {
            SetPaletteEntry(index, source.PaletteEntry(index));
        }
    }
    if (sized) pixels = source.pixels;
}

bool BitmapImage::Resize(std::int32_t newWidth, std::int32_t newHeight) {
    if (!AllocateGrid(newWidth, newHeight)) return false;
    std::fill(pixels.begin(), pixels.end(), kWhiteTransparent);
    return true;
}

bool BitmapImage::AllocateGrid(std::int32_t newWidth, std::int32_t newHeight) {
    if (newWidth <= 0 || newHeight <= 0) return false;
    const std::uint64_t count =
        static_cast<std::uint64_t>(newWidth) * static_cast<std::uint64_t>(newHeight);
    if (count > MaxPixelCount) return false;
    std::vector<PixelBGRA, GridAllocator<PixelBGRA>> grid;
    try {
        grid.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    MapGridPages(grid.data(), grid.size() * sizeof(PixelBGRA));
    pixels.swap(grid);
    width = newWidth;
    height = newHeight;
    return true;
}

bool BitmapImage::ChangeBitDepth(std::int32_t depth) {
    if (!IsSupportedDepth(depth)) return false;
    bitDepth = depth;
    palette.clear();
    palette.shrink_to_fit();
    if (IsIndexedDepth(depth)) {
        palette.resize(static_cast<std::size_t>(IntegerPower(2, depth)));
        FillStandardPalette();
    }
    return true;
}

bool BitmapImage::StorePixel(std::int32_t x, std::int32_t y, PixelBGRA pixel) {
    if (x < 0 || x >= width || y < 0 || y >= height) return false;
    pixels[ColumnStart(x) + static_cast<std::size_t>(y)] = pixel;
    return true;
}

std::int32_t BitmapImage::PaletteSize() const {
    return IntegerPower(2, bitDepth == 32 ? 24 : bitDepth);
}

PixelBGRA BitmapImage::PaletteEntry(std::int32_t index) const {
    if (!IsIndexedDepth(bitDepth) || palette.empty() || index < 0 || index >= PaletteSize()) {
        return kWhiteTransparent;
    }
    return palette[static_cast<std::size_t>(index)];
}

bool BitmapImage::SetPaletteEntry(std::int32_t index, PixelBGRA colour) {
    if (!IsIndexedDepth(bitDepth) || palette.empty() || index < 0 || index >= PaletteSize()) {
        return false;
    }
    palette[static_cast<std::size_t>(index)] = colour;
    return true;
}

std::int32_t BitmapImage::HorizontalDpi() {
    return DpiFromPelsPerMeter(xPelsPerMeter);
}

std::int32_t BitmapImage::VerticalDpi() {
    return DpiFromPelsPerMeter(yPelsPerMeter);
}

void BitmapImage::SetResolutionDpi(std::int32_t horizontal, std::int32_t vertical) {
    xPelsPerMeter = SaturatingTruncate(static_cast<double>(horizontal) * kPelsPerMeterPerDpi);
    yPelsPerMeter = SaturatingTruncate(static_cast<double>(vertical) * kPelsPerMeterPerDpi);
}

}  // namespace vantrel
