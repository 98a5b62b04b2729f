#include "resample.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace vantrel {

namespace {

// Module-wide; atomic so that a caller flipping it on another thread is no data race.
std::atomic<bool> warningsEnabled{true};

enum class SizeRule { Percentage, Width, Height, LongerSide };

struct ModeLetter {
    char letter;
    SizeRule rule;
};

constexpr ModeLetter kModeLetters[] = {
    {'P', SizeRule::Percentage},
    {'W', SizeRule::Width},
    {'H', SizeRule::Height},
    {'F', SizeRule::LongerSide},
};

// ASCII only: std::toupper is undefined for the negative values a plain char can hold.
char UpperCase(char letter) {
    return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

std::optional<SizeRule> RuleForMode(char mode) {
    const char upper = UpperCase(mode);
    for (const ModeLetter& entry : kModeLetters) {
        if (entry.letter == upper) return entry.rule;
    }
    return std::nullopt;
}

struct FlooredSize {
    double width;
    double height;
};

// The new sides, already rounded down, still in doubles so that no value can overflow.
FlooredSize ComputeSize(SizeRule rule, std::int32_t oldWidth, std::int32_t oldHeight,
                        std::int32_t value) {
    const double w0 = oldWidth;
    const double h0 = oldHeight;
    const double v = value;
    switch (rule) {
        case SizeRule::Percentage: {
            // 64-bit products: old side × percentage overflows 32 bits for large values.
            const std::int64_t widthProduct = std::int64_t{oldWidth} * value;
            const std::int64_t heightProduct = std::int64_t{oldHeight} * value;
            return {std::floor(static_cast<double>(widthProduct) * 0.01),
                    std::floor(static_cast<double>(heightProduct) * 0.01)};
        }
        case SizeRule::Width:
            // Division before multiplication: 49 wide on 3 × 15 gives 244 rows, not 245.
            return {v, std::floor(v / w0 * h0)};
        case SizeRule::Height:
            return {std::floor(v / h0 * w0), v};
        case SizeRule::LongerSide:
            return ComputeSize(oldWidth > oldHeight ? SizeRule::Width : SizeRule::Height, oldWidth,
                               oldHeight, value);
    }
    return {1.0, 1.0};
}

// A side below 1 becomes 1; one that does not fit 32 bits is refused.
std::optional<std::int32_t> SideLength(double floored) {
    if (floored < 1.0) return 1;
    if (floored > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(floored);
}

// Where a target column or row falls in the source: whole part and fraction. The first
// and last targets land exactly on the first and last source columns or rows.
struct SourcePosition {
    std::int32_t whole;
    double fraction;
};

SourcePosition MapCoordinate(std::int32_t target, std::int32_t sourceSize,
                             std::int32_t targetSize) {
    const double position = static_cast<double>(target) * static_cast<double>(sourceSize - 1) /
                            static_cast<double>(targetSize - 1);
    const double whole = std::floor(position);
    return {static_cast<std::int32_t>(whole), position - whole};
}

// Channel value to byte, truncating. Every sum is a convex mix of bytes, so it stays in
// [0, 255] up to rounding; the bounds keep the conversion defined regardless.
std::uint8_t ChannelByte(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 255.0) return 255;
    return static_cast<std::uint8_t>(value);
}

double Channel(std::uint8_t byte) {
    return static_cast<double>(byte);
}

struct Weights {
    double w00, w10, w01, w11;
};

// The exact forms matter: they decide the last bit of every channel value.
Weights BilinearWeights(double fx, double fy) {
    const double w11 = fx * fy;
    const double w00 = ((1.0 - fx) - fy) + w11;
    const double w01 = fy - w11;
    const double w10 = fx - w11;
    return {w00, w10, w01, w11};
}

// Red and green, and blue, add their four terms in different orders; keeping both
// orders keeps results bit for bit stable against files resampled before.
double RedGreenMix(double c00, double c10, double c01, double c11, const Weights& w) {
    return ((c10 * w.w10 + c01 * w.w01) + c11 * w.w11) + c00 * w.w00;
}

double BlueMix(double c00, double c10, double c01, double c11, const Weights& w) {
    return ((c11 * w.w11 + c00 * w.w00) + c10 * w.w10) + c01 * w.w01;
}

// far × weight + near × (1 − weight), for one channel of an edge pixel.
std::uint8_t EdgeMix(std::uint8_t nearByte, std::uint8_t farByte, double weight) {
    return ChannelByte(Channel(farByte) * weight + Channel(nearByte) * (1.0 - weight));
}

void SetEdgePixel(PixelBGRA& out, const PixelBGRA& nearPixel, const PixelBGRA& farPixel,
                  double weight) {
    out.red = EdgeMix(nearPixel.red, farPixel.red, weight);
    out.green = EdgeMix(nearPixel.green, farPixel.green, weight);
    out.blue = EdgeMix(nearPixel.blue, farPixel.blue, weight);
}

// Fills image (already resized, all alpha 0) from source. Interior and last column row
// by row, then the bottom row, then the corner, which alone carries alpha over.
void Interpolate(const BitmapImage& source, BitmapImage& image) {
    const std::int32_t w0 = source.Width();
    const std::int32_t h0 = source.Height();
    const std::int32_t w1 = image.Width();
    const std::int32_t h1 = image.Height();

    for (std::int32_t j = 0; j + 1 < h1; ++j) {
        const SourcePosition row = MapCoordinate(j, h0, h1);
        const std::int32_t ys = row.whole;
        const double fy = row.fraction;
        for (std::int32_t i = 0; i + 1 < w1; ++i) {
            const SourcePosition column = MapCoordinate(i, w0, w1);
            const std::int32_t xs = column.whole;
            const Weights w = BilinearWeights(column.fraction, fy);
            const PixelBGRA p00 = source.PixelValue(xs, ys);
            const PixelBGRA p10 = source.PixelValue(xs + 1, ys);
            const PixelBGRA p01 = source.PixelValue(xs, ys + 1);
            const PixelBGRA p11 = source.PixelValue(xs + 1, ys + 1);
            PixelBGRA& out = image.PixelAt(i, j);
            out.red = ChannelByte(RedGreenMix(Channel(p00.red), Channel(p10.red), Channel(p01.red),
                                              Channel(p11.red), w));
            out.green = ChannelByte(RedGreenMix(Channel(p00.green), Channel(p10.green),
                                                Channel(p01.green), Channel(p11.green), w));
            out.blue = ChannelByte(BlueMix(Channel(p00.blue), Channel(p10.blue), Channel(p01.blue),
                                           Channel(p11.blue), w));
        }
        SetEdgePixel(image.PixelAt(w1 - 1, j), source.PixelValue(w0 - 1, ys),
                     source.PixelValue(w0 - 1, ys + 1), fy);
    }

    for (std::int32_t i = 0; i + 1 < w1; ++i) {
        const SourcePosition column = MapCoordinate(i, w0, w1);
        SetEdgePixel(image.PixelAt(i, h1 - 1), source.PixelValue(column.whole, h0 - 1),
                     source.PixelValue(column.whole + 1, h0 - 1), column.fraction);
    }

    image.PixelAt(w1 - 1, h1 - 1) = source.PixelValue(w0 - 1, h0 - 1);
}

}  // namespace

int FormatUnknownModeWarning(char* buffer, std::size_t size, char mode) {
    return std::snprintf(buffer, size, "Bitmap library error: Unknown rescale mode %c requested\n",
                         mode);
}

bool ResampleImage(BitmapImage& image, char mode, std::int32_t value) {
    // The copy comes first, whatever the mode: it is what sets a resolution field
    // holding 0 to the default, on every path.
    BitmapImage source(image);

    const std::optional<SizeRule> rule = RuleForMode(mode);
    if (!rule) {
        if (WarningsEnabled()) {
            // The library writes to no console or log; the text is formatted and dropped.
            char warning[WarningBufferSize];
            FormatUnknownModeWarning(warning, sizeof warning, mode);
        }
        return false;
    }

    // Copy construction leaves a 1 × 1 copy when the grid could not be allocated.
    if (source.Width() != image.Width() || source.Height() != image.Height()) return false;

    const FlooredSize size = ComputeSize(*rule, source.Width(), source.Height(), value);
    const std::optional<std::int32_t> newWidth = SideLength(size.width);
    const std::optional<std::int32_t> newHeight = SideLength(size.height);
    if (!newWidth || !newHeight) return false;

    // Resize refuses a pixel count above MaxPixelCount and a failed allocation, and then
    // leaves the image as it was.
    if (!image.Resize(*newWidth, *newHeight)) return false;
    image.ChangeBitDepth(24);
    Interpolate(source, image);
    return true;
}

void WarningsOn() {
    warningsEnabled.store(true, std::memory_order_relaxed);
}

void WarningsOff() {
    warningsEnabled.store(false, std::memory_order_relaxed);
}

bool WarningsEnabled() {
    return warningsEnabled.load(std::memory_order_relaxed);
}

}  // namespace vantrel
