// The in-memory image: a grid of full-colour pixels plus the bit depth, palette and
// resolution that the picture has in its file form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

// One pixel or palette colour, in the byte order of a BMP colour table entry.
struct PixelBGRA {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t alpha = 0;

    friend bool operator==(const PixelBGRA&, const PixelBGRA&) = default;
};

// The resolution that a pixels-per-metre field holding 0 stands for (about 96 dpi).
inline constexpr std::int32_t DefaultPelsPerMeter = 3780;

// Cap on width × height: 2^28 pixels is a 1 GiB grid, large enough for any real picture
// and small enough that every later size product (bytes per row × rows, file size)
// stays far inside 64 bits and no hostile header or caller can drive a bigger allocation.
inline constexpr std::uint64_t MaxPixelCount = std::uint64_t{1} << 28;

// The depths a picture's file form can have, and those among them that use a palette.
bool IsSupportedDepth(std::int32_t depth);
bool IsIndexedDepth(std::int32_t depth);

// The pixel grid's allocator: the standard one, except that construction without a
// value leaves a pixel unset. Whoever sizes a grid fills it (Resize with white, Load with
// the file's pixels), so a picture's grid is written once, not twice.
template <typename T>
struct GridAllocator {
    using value_type = T;

    GridAllocator() = default;
    template <typename U>
    constexpr GridAllocator(const GridAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) { return std::allocator<T>().allocate(count); }
    void deallocate(T* memory, std::size_t count) noexcept {
        std::allocator<T>().deallocate(memory, count);
    }
    template <typename U>
    void construct(U*) noexcept {}
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const GridAllocator&, const GridAllocator&) { return true; }
};

// base to the power exponent in wrapping 32-bit arithmetic; 1 for exponent <= 0.
std::int32_t IntegerPower(std::int32_t base, std::int32_t exponent);

// Why Load refused a file, for callers (the command-line tool) that tell the user.
enum class LoadOutcome {
    Loaded,
    CannotOpen,
    NotBmp,
    HeaderTruncated,
    UnsupportedHeader,
    UnsupportedCompression,
    UnsupportedDepth,
    TopDown,
    BadDimensions,
    TooLarge,
    OutOfMemory,
};

// A short human-readable text for an outcome, such as "not a BMP file".
const char* DescribeLoadOutcome(LoadOutcome outcome);

class BitmapImage {
  public:
    // A 1 × 1, 24-bit image without palette and with unset resolution.
    BitmapImage();
    // Copies depth, size, palette and pixels. The resolution passes through the
    // dots-per-inch getters, which store the default into a source field holding 0;
    // hence the modifiable reference.
    explicit BitmapImage(BitmapImage& source);
    BitmapImage& operator=(const BitmapImage&) = delete;
    ~BitmapImage() = default;

    std::int32_t Width() const { return width; }
    std::int32_t Height() const { return height; }
    std::int32_t BitDepth() const { return bitDepth; }

    // Replaces the grid with newWidth × newHeight pixels, all white with alpha 0.
    // Refuses (false, image unchanged) sizes below 1, sizes above MaxPixelCount and
    // sizes whose grid cannot be allocated.
    bool Resize(std::int32_t newWidth, std::int32_t newHeight);
    // Sets the file form's depth (1, 4, 8, 16, 24 or 32) and installs the standard
    // palette for 1, 4 and 8 bits, dropping any other palette. The grid is kept.
    bool ChangeBitDepth(std::int32_t depth);

    // Pixel access with both coordinates clamped into the image; never fails.
    PixelBGRA& PixelAt(std::int32_t x, std::int32_t y) { return pixels[ClampedIndex(x, y)]; }
    PixelBGRA PixelValue(std::int32_t x, std::int32_t y) const {
        return pixels[ClampedIndex(x, y)];
    }
    // Stores without clamping; refuses (false) coordinates outside the image.
    bool StorePixel(std::int32_t x, std::int32_t y, PixelBGRA pixel);

    // White with alpha 0 for any index the palette does not hold.
    PixelBGRA PaletteEntry(std::int32_t index) const;
    bool SetPaletteEntry(std::int32_t index, PixelBGRA colour);
    // Number of colours the depth expresses (2^depth; 2^24 for 32 bits).
    std::int32_t PaletteSize() const;
    bool HasPalette() const { return !palette.empty(); }

    bool FillStandardPalette();
    bool FillGrayscalePalette();

    // Dots per inch; a field holding 0 is first set to DefaultPelsPerMeter.
    std::int32_t HorizontalDpi();
    std::int32_t VerticalDpi();
    void SetResolutionDpi(std::int32_t horizontal, std::int32_t vertical);
    std::int32_t XPelsPerMeter() const { return xPelsPerMeter; }
    std::int32_t YPelsPerMeter() const { return yPelsPerMeter; }
    void SetPelsPerMeter(std::int32_t x, std::int32_t y) {
        xPelsPerMeter = x;
        yPelsPerMeter = y;
    }

    // Reads a BMP file (bmp_reader.cpp). Load is true when the file was accepted, also
    // when its pixel data ends early; LoadFile says why a file was refused.
    bool Load(const char* path) { return LoadFile(path) == LoadOutcome::Loaded; }
    LoadOutcome LoadFile(const char* path);
    // Writes the image as a BMP file of its own depth (bmp_writer.cpp). False when the
    // file cannot be opened or a write comes up short; systemError, when given,
    // receives the errno of that failure (0 on success).
    bool Save(const char* path, int* systemError = nullptr);

    // Stored row -> image row y (row_decoding.cpp). False, row untouched, when the
    // buffer is shorter than the width needs.
    bool DecodeRow1(const std::uint8_t* row, std::int32_t length, std::int32_t y);
    bool DecodeRow4(const std::uint8_t* row, std::int32_t length, std::int32_t y);
    bool DecodeRow8(const std::uint8_t* row, std::int32_t length, std::int32_t y);
    bool DecodeRow24(const std::uint8_t* row, std::int32_t length, std::int32_t y);
    bool DecodeRow32(const std::uint8_t* row, std::int32_t length, std::int32_t y);

    // Image row y -> stored row (row_encoding.cpp). False, buffer untouched, when the
    // buffer is too short; bytes behind the row's pixel bytes are left as they were.
    bool EncodeRow1(std::uint8_t* row, std::int32_t length, std::int32_t y) const;
    bool EncodeRow4(std::uint8_t* row, std::int32_t length, std::int32_t y) const;
    bool EncodeRow8(std::uint8_t* row, std::int32_t length, std::int32_t y) const;
    bool EncodeRow24(std::uint8_t* row, std::int32_t length, std::int32_t y) const;
    bool EncodeRow32(std::uint8_t* row, std::int32_t length, std::int32_t y) const;
    // Index of the palette colour nearest to pixel (blue, green, red only); the lowest
    // index wins a tie.
    std::uint8_t NearestPaletteIndex(const PixelBGRA& pixel) const;

    // One column, contiguous from the top row down: height pixels.
    PixelBGRA* Column(std::int32_t x) { return pixels.data() + ColumnStart(x); }
    const PixelBGRA* Column(std::int32_t x) const { return pixels.data() + ColumnStart(x); }

  private:
    // Resize without the white fill, for Load, which sets every pixel itself.
    bool AllocateGrid(std::int32_t newWidth, std::int32_t newHeight);

    std::size_t ColumnStart(std::int32_t x) const {
        return static_cast<std::size_t>(x) * static_cast<std::size_t>(height);
    }
    std::size_t ClampedIndex(std::int32_t x, std::int32_t y) const {
        if (x >= width) x = width - 1;
        if (x < 0) x = 0;
        if (y >= height) y = height - 1;
        if (y < 0) y = 0;
        return ColumnStart(x) + static_cast<std::size_t>(y);
    }

    std::int32_t bitDepth = 24;
    std::int32_t width = 1;
    std::int32_t height = 1;
    // Column-major grid: pixel (x, y) is pixels[x * height + y].
    std::vector<PixelBGRA, GridAllocator<PixelBGRA>> pixels;
    // Empty when the image has no palette.
    std::vector<PixelBGRA> palette;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
};

}  // namespace vantrel
