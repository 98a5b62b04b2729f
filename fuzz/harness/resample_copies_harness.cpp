// Small images built from the input through ResampleImage and the pixel copies, with
// the mode letter, the value and every coordinate taken from the input, extremes
// included. Besides safety it checks what every caller relies on: the size a mode
// promises, depth and palette after resampling, and that copies only ever move source
// pixels to where the clamping allows.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "bitmap/bitmap_image.h"
#include "bitmap/pixel_copy.h"
#include "bitmap/resample.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "resample_copies_input.h"

namespace vantrel::fuzz {

namespace {

constexpr const char* kTarget = "resample_copies";

// Resampled sizes above this many pixels (and up to MaxPixelCount, which Resize refuses
// without allocating) are skipped: they only cost time, through the same code.
constexpr std::uint64_t kResampleCap = std::uint64_t{1} << 16;

// Everything about an image that an operation might change.
struct Snapshot {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t depth = 0;
    std::vector<PixelBGRA> palette;
    std::vector<PixelBGRA> pixels;  // column by column, as the grid
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
};

Snapshot Take(const BitmapImage& image) {
    Snapshot s;
    s.width = image.Width();
    s.height = image.Height();
    s.depth = image.BitDepth();
    if (image.HasPalette()) {
        for (std::int32_t index = 0; index < image.PaletteSize(); ++index)
            s.palette.push_back(image.PaletteEntry(index));
    }
    for (std::int32_t x = 0; x < s.width; ++x) {
        for (std::int32_t y = 0; y < s.height; ++y)
            s.pixels.push_back(image.PixelValue(x, y));
    }
    s.xPelsPerMeter = image.XPelsPerMeter();
    s.yPelsPerMeter = image.YPelsPerMeter();
    return s;
}

bool SameFormAndGrid(const Snapshot& a, const Snapshot& b) {
    return a.width == b.width && a.height == b.height && a.depth == b.depth &&
           a.palette == b.palette && a.pixels == b.pixels;
}

std::int32_t Clamp(std::int32_t value, std::int32_t size) {
    return std::clamp(value, 0, size - 1);
}

std::size_t GridIndex(const Snapshot& s, std::int32_t x, std::int32_t y) {
    return static_cast<std::size_t>(x) * static_cast<std::size_t>(s.height) +
           static_cast<std::size_t>(y);
}

bool SameColour(const PixelBGRA& a, const PixelBGRA& b) {
    return a.blue == b.blue && a.green == b.green && a.red == b.red;
}

// The image as the input describes it: size, depth (and so the standard palette),
// resolution and pixels, starting at pixel byte offset.
void Build(BitmapImage& image, const ResampleCopiesInput& input, std::int32_t width,
           std::int32_t height, std::size_t offset) {
    Require(image.Resize(width, height), kTarget, "cannot size a small image");
    Require(image.ChangeBitDepth(input.depth), kTarget, "cannot set a supported depth");
    if (input.resolutionFromInput) {
        image.SetPelsPerMeter(input.xPelsPerMeter, input.yPelsPerMeter);
    } else {
        image.SetPelsPerMeter(0, 0);
    }
    const auto byteAt = [&](std::size_t at) -> std::uint8_t {
        return at < input.pixels.size() ? input.pixels[at] : 0;
    };
    for (std::int32_t x = 0; x < width; ++x) {
        for (std::int32_t y = 0; y < height; ++y, offset += 4) {
            image.PixelAt(x, y) = {byteAt(offset), byteAt(offset + 1), byteAt(offset + 2),
                                   byteAt(offset + 3)};
        }
    }
}

std::size_t SourcePixelBytes(const ResampleCopiesInput& input) {
    return 4 * static_cast<std::size_t>(input.sourceWidth) *
           static_cast<std::size_t>(input.sourceHeight);
}

void RunCopy(const ResampleCopiesInput& input, const BitmapImage& source, BitmapImage& target) {
    const auto& c = input.coordinates;
    switch (input.operation) {
        case CopyOperation::Pixel:
            CopyPixel(source, c[0], c[2], target, c[4], c[5]);
            break;
        case CopyOperation::PixelUnlessKey:
            CopyPixelUnlessKey(source, c[0], c[2], target, c[4], c[5], input.key);
            break;
        case CopyOperation::Range:
            CopyPixelRange(source, c[0], c[1], c[2], c[3], target, c[4], c[5]);
            break;
        case CopyOperation::RangeUnlessKey:
            CopyPixelRangeUnlessKey(source, c[0], c[1], c[2], c[3], target, c[4], c[5], input.key);
            break;
    }
}

void CheckCopies(const ResampleCopiesInput& input) {
    BitmapImage source;
    BitmapImage separateTarget;
    Build(source, input, input.sourceWidth, input.sourceHeight, 0);
    Build(separateTarget, input, input.targetWidth, input.targetHeight, SourcePixelBytes(input));
    BitmapImage& target = input.copyWithinSource ? source : separateTarget;

    const Snapshot sourceBefore = Take(source);
    const Snapshot targetBefore = Take(target);
    RunCopy(input, source, target);
    const Snapshot targetAfter = Take(target);

    if (!input.copyWithinSource) {
        Require(SameFormAndGrid(Take(source), sourceBefore), kTarget,
                "a copy changed its source image");
    }
    Require(targetAfter.width == targetBefore.width && targetAfter.height == targetBefore.height &&
                targetAfter.depth == targetBefore.depth &&
                targetAfter.palette == targetBefore.palette &&
                targetAfter.xPelsPerMeter == targetBefore.xPelsPerMeter &&
                targetAfter.yPelsPerMeter == targetBefore.yPelsPerMeter,
            kTarget, "a copy changed more than the target's pixels");

    const bool keyed = input.operation == CopyOperation::PixelUnlessKey ||
                       input.operation == CopyOperation::RangeUnlessKey;
    const bool single =
        input.operation == CopyOperation::Pixel || input.operation == CopyOperation::PixelUnlessKey;
    const auto& c = input.coordinates;

    Snapshot expected = targetBefore;
    if (single) {
        // Exactly one pixel may change: the clamped target, to the clamped source pixel.
        const PixelBGRA pixel = sourceBefore.pixels[GridIndex(
            sourceBefore, Clamp(c[0], sourceBefore.width), Clamp(c[2], sourceBefore.height))];
        if (!keyed || !SameColour(pixel, input.key)) {
            expected.pixels[GridIndex(expected, Clamp(c[4], expected.width),
                                      Clamp(c[5], expected.height))] = pixel;
        }
        Require(targetAfter.pixels == expected.pixels, kTarget,
                "a single-pixel copy wrote somewhere else or something else");
        return;
    }
    // A rectangle copy only ever writes pixels that the source held before the call, and
    // never one of the key colour.
    for (std::size_t i = 0; i < targetAfter.pixels.size(); ++i) {
        const PixelBGRA& now = targetAfter.pixels[i];
        if (now == targetBefore.pixels[i]) continue;
        Require(std::find(sourceBefore.pixels.begin(), sourceBefore.pixels.end(), now) !=
                    sourceBefore.pixels.end(),
                kTarget, "a rectangle copy wrote a colour the source did not hold");
        Require(!keyed || !SameColour(now, input.key), kTarget,
                "a keyed rectangle copy wrote the key colour");
    }
}

// The size a mode promises, worked out the documented way: 'P' percent of both sides
// from 64-bit products, 'W' and 'H' one side given and the other in proportion
// (division first), 'F' the longer side ('H' when square); sides below 1 become 1.
struct Promise {
    bool knownMode = false;
    bool refused = false;  // a side past 32 bits or more than MaxPixelCount pixels
    std::int32_t width = 0;
    std::int32_t height = 0;
};

Promise PromisedSize(char mode, std::int32_t value, std::int32_t w0, std::int32_t h0) {
    Promise promise;
    char upper = mode;
    if (upper >= 'a' && upper <= 'z') upper = static_cast<char>(upper - 'a' + 'A');
    if (upper == 'F') upper = w0 > h0 ? 'W' : 'H';
    const double v = value;
    double width = 0;
    double height = 0;
    switch (upper) {
        case 'P':
            width = std::floor(static_cast<double>(std::int64_t{w0} * value) * 0.01);
            height = std::floor(static_cast<double>(std::int64_t{h0} * value) * 0.01);
            break;
        case 'W':
            width = v;
            height = std::floor(v / w0 * h0);
            break;
        case 'H':
            width = std::floor(v / h0 * w0);
            height = v;
            break;
        default:
            return promise;
    }
    promise.knownMode = true;
    constexpr double kLargest = std::numeric_limits<std::int32_t>::max();
    width = std::max(width, 1.0);
    height = std::max(height, 1.0);
    if (width > kLargest || height > kLargest) {
        promise.refused = true;
        return promise;
    }
    promise.width = static_cast<std::int32_t>(width);
    promise.height = static_cast<std::int32_t>(height);
    const std::uint64_t count =
        static_cast<std::uint64_t>(promise.width) * static_cast<std::uint64_t>(promise.height);
    promise.refused = count > MaxPixelCount;
    return promise;
}

std::int32_t OrDefault(std::int32_t pelsPerMeter) {
    return pelsPerMeter != 0 ? pelsPerMeter : DefaultPelsPerMeter;
}

void CheckResample(const ResampleCopiesInput& input) {
    BitmapImage image;
    Build(image, input, input.sourceWidth, input.sourceHeight, 0);
    if (input.warningsOff) {
        WarningsOff();
    } else {
        WarningsOn();
    }
    Require(WarningsEnabled() == !input.warningsOff, kTarget,
            "the warning switch does not hold what was stored");

    const Promise promise = PromisedSize(input.mode, input.value, image.Width(), image.Height());
    if (promise.knownMode && !promise.refused) {
        const std::uint64_t count =
            static_cast<std::uint64_t>(promise.width) * static_cast<std::uint64_t>(promise.height);
        if (count > kResampleCap) return;
    }

    const Snapshot before = Take(image);
    const bool resampled = ResampleImage(image, input.mode, input.value);
    const Snapshot after = Take(image);

    Require(after.xPelsPerMeter == OrDefault(before.xPelsPerMeter) &&
                after.yPelsPerMeter == OrDefault(before.yPelsPerMeter),
            kTarget, "resampling changed a resolution other than setting 0 to the default");
    if (!promise.knownMode || promise.refused) {
        Require(!resampled, kTarget, "an unknown mode or an oversized result was accepted");
        Require(SameFormAndGrid(after, before), kTarget, "a refused resample changed the image");
        return;
    }
    Require(resampled, kTarget, "a resample within every limit was refused");
    Require(after.width == promise.width && after.height == promise.height, kTarget,
            "the resampled size is not the one the mode promises");
    Require(after.depth == 24 && after.palette.empty(), kTarget,
            "a resampled image is not 24-bit without palette");
    const std::size_t corner = after.pixels.size() - 1;  // bottom-right, last in the grid
    for (std::size_t i = 0; i < corner; ++i) {
        Require(after.pixels[i].alpha == 0, kTarget,
                "a resampled pixel other than the bottom-right kept an alpha");
    }
    Require(after.pixels[corner] == before.pixels.back(), kTarget,
            "the bottom-right pixel is not the source's bottom-right pixel");
    if (after.width == before.width && after.height == before.height) {
        for (std::size_t i = 0; i < corner; ++i) {
            Require(SameColour(after.pixels[i], before.pixels[i]), kTarget,
                    "resampling to the same size changed a colour");
        }
    }
}

}  // namespace

int ResampleCopiesOneInput(const std::uint8_t* data, std::size_t size) {
    const ResampleCopiesInput input = ParseResampleCopiesInput(data, size);
    CheckCopies(input);
    CheckResample(input);
    return 0;
}

}  // namespace vantrel::fuzz
