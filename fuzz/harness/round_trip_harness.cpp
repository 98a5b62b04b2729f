// The input as a file through the module's export, BMPCorners, exactly as a host calls
// it. Whatever the bytes, Load either refuses them with a reason (leaving the image in
// its documented state, and the export then writes nothing) or gives an image that
// MaskCorners, Save and a second Load carry through unchanged at its depth.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "bitmap/bitmap_image.h"
#include "bitmap/bmp_format.h"
#include "bitmap/file_stream.h"
#include "export/mask_corners.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "reference_reader.h"
#include "vantrel_bmp_corners.h"

namespace vantrel::fuzz {

namespace {

constexpr const char* kTarget = "round_trip";

// Files that announce more pixels than this (but no more than MaxPixelCount, which Load
// refuses without allocating) are not loaded: a grid of up to 1 GiB would make each run
// take seconds and hide everything else. 2^16 pixels are a 256 KiB grid; every code path
// of the reader is reached well below that.
constexpr std::uint64_t kPixelCap = std::uint64_t{1} << 16;

constexpr std::size_t kWidthOffset = 18;
constexpr std::size_t kHeightOffset = 22;

bool AnnouncesCostlyPicture(const std::uint8_t* data, std::size_t size) {
    if (size < kHeightOffset + 4) return false;
    const auto width = static_cast<std::int32_t>(LoadLittleEndian32(data + kWidthOffset));
    const auto height = static_cast<std::int32_t>(LoadLittleEndian32(data + kHeightOffset));
    if (width <= 0 || height <= 0) return false;
    const std::uint64_t count =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    return count > kPixelCap && count <= MaxPixelCount;
}

// What a pixel of the saved image reads back as: the depth's own precision, and alpha
// only where the depth stores it (32 bits, and the palette's reserved byte).
PixelBGRA StoredForm(const BitmapImage& image, PixelBGRA pixel) {
    switch (image.BitDepth()) {
        case 32:
            return pixel;
        case 24:
            return {pixel.blue, pixel.green, pixel.red, 0};
        case 16: {
            // 5-6-5 on disk; the reader keeps the top five bits of every channel.
            constexpr std::uint8_t kTopFive = 0xF8;
            return {static_cast<std::uint8_t>(pixel.blue & kTopFive),
                    static_cast<std::uint8_t>(pixel.green & kTopFive),
                    static_cast<std::uint8_t>(pixel.red & kTopFive), 0};
        }
        default:
            return image.PaletteEntry(image.NearestPaletteIndex(pixel));
    }
}

std::int32_t OrDefault(std::int32_t pelsPerMeter) {
    return pelsPerMeter != 0 ? pelsPerMeter : DefaultPelsPerMeter;
}

void CheckRefusal(const BitmapImage& image, LoadOutcome outcome) {
    const char* reason = DescribeLoadOutcome(outcome);
    Require(reason != nullptr && reason[0] != '\0', kTarget, "a refusal without a reason");
    Require(outcome != LoadOutcome::CannotOpen, kTarget, "the scratch file cannot be opened");
    Require(outcome != LoadOutcome::OutOfMemory, kTarget,
            "out of memory for a picture below the size cap");
    if (outcome == LoadOutcome::NotBmp) {
        // A foreign file leaves the image exactly as it was (see CheckRoundTrip).
        Require(image.Width() == 2 && image.Height() == 3 && image.BitDepth() == 24, kTarget,
                "a file without the BM signature changed the image");
        return;
    }
    Require(image.Width() == 1 && image.Height() == 1 && image.BitDepth() == 1 &&
                image.PixelValue(0, 0) == PixelBGRA{255, 255, 255, 0},
            kTarget, "a refused file did not reset the image to one white pixel at 1 bit");
}

// Load against the reference reading of the same bytes: verdict, resolution, and for a
// loaded file size, depth, palette and every pixel.
void CheckAgainstReference(const BitmapImage& image, LoadOutcome outcome,
                           const ReferenceImage& reference, std::size_t size) {
    Require(outcome == reference.outcome, kTarget,
            "Load's verdict differs from the reference reading");
    if (size >= HeadersSize && outcome != LoadOutcome::NotBmp) {
        Require(image.XPelsPerMeter() == reference.xPelsPerMeter &&
                    image.YPelsPerMeter() == reference.yPelsPerMeter,
                kTarget, "Load did not keep the file's resolution");
    }
    if (outcome != LoadOutcome::Loaded) return;
    Require(image.Width() == reference.width && image.Height() == reference.height &&
                image.BitDepth() == reference.depth,
            kTarget, "Load gave another size or depth than the header's");
    for (std::size_t index = 0; index < reference.palette.size(); ++index) {
        Require(image.PaletteEntry(static_cast<std::int32_t>(index)) == reference.palette[index],
                kTarget, "Load gave another palette than the reference reading");
    }
    for (std::int32_t x = 0; x < image.Width(); ++x) {
        for (std::int32_t y = 0; y < image.Height(); ++y) {
            const std::size_t at =
                static_cast<std::size_t>(x) * static_cast<std::size_t>(image.Height()) +
                static_cast<std::size_t>(y);
            Require(image.PixelValue(x, y) == reference.pixels[at], kTarget,
                    "Load gave another pixel than the reference reading");
        }
    }
}

// The export takes UTF-16 paths; the scratch paths are UTF-8.
std::u16string Wide(const std::string& path) {
    const std::optional<std::u16string> wide = Utf8ToUtf16(path);
    if (!wide) Fail(kTarget, "the scratch path is not UTF-8");
    return *wide;
}

bool FileExists(const std::string& path) {
    return static_cast<bool>(OpenFile(path.c_str(), "rb"));
}

// image: the input as loaded here and painted; savedPath: what the export wrote.
void CheckSavedCopy(const BitmapImage& image, const std::string& savedPath) {
    BitmapImage again;
    Require(again.LoadFile(savedPath.c_str()) == LoadOutcome::Loaded, kTarget,
            "Load refused the file that the export saved");
    Require(again.Width() == image.Width() && again.Height() == image.Height(), kTarget,
            "the saved file reads back at another size");
    Require(again.BitDepth() == image.BitDepth(), kTarget,
            "the saved file reads back at another depth");
    Require(again.XPelsPerMeter() == OrDefault(image.XPelsPerMeter()) &&
                again.YPelsPerMeter() == OrDefault(image.YPelsPerMeter()),
            kTarget, "the saved file reads back with another resolution");
    if (IsIndexedDepth(image.BitDepth())) {
        for (std::int32_t index = 0; index < image.PaletteSize(); ++index) {
            Require(again.PaletteEntry(index) == image.PaletteEntry(index), kTarget,
                    "the saved palette reads back with other colours");
        }
    }
    for (std::int32_t x = 0; x < image.Width(); ++x) {
        for (std::int32_t y = 0; y < image.Height(); ++y) {
            Require(again.PixelValue(x, y) == StoredForm(image, image.PixelValue(x, y)), kTarget,
                    "a saved pixel reads back as another colour");
        }
    }
}

}  // namespace

int RoundTripOneInput(const std::uint8_t* data, std::size_t size) {
    if (AnnouncesCostlyPicture(data, size)) return 0;
    const std::string inputPath = WriteScratchFile("input.bmp", data, size);
    const std::string savedPath = ScratchPath("saved.bmp");
    std::remove(savedPath.c_str());  // so that a refused input cannot pass on an old file

    const std::int32_t status = BMPCorners(Wide(inputPath).c_str(), Wide(savedPath).c_str());

    // The same file loaded here, for what the export should have written. Not the
    // default 1 × 1, so that "unchanged" and "reset" can be told apart.
    BitmapImage image;
    Require(image.Resize(2, 3), kTarget, "cannot size the starting image");
    const LoadOutcome outcome = image.LoadFile(inputPath.c_str());
    CheckAgainstReference(image, outcome, ReadReference(data, size, kPixelCap), size);
    if (outcome != LoadOutcome::Loaded) {
        CheckRefusal(image, outcome);
        Require(status == BMPCORNERS_NOT_LOADED, kTarget,
                "the export did not report a refused file as not loaded");
        Require(!FileExists(savedPath), kTarget, "the export wrote a file for a refused input");
        return 0;
    }
    Require(status == BMPCORNERS_LOADED, kTarget,
            "the export did not report a loaded file as loaded");

    const std::uint64_t count =
        static_cast<std::uint64_t>(image.Width()) * static_cast<std::uint64_t>(image.Height());
    Require(image.Width() > 0 && image.Height() > 0 && count <= kPixelCap, kTarget,
            "Load gave a size the header did not announce");
    Require(IsSupportedDepth(image.BitDepth()), kTarget, "Load gave a depth BMP files cannot have");
    Require(image.HasPalette() == IsIndexedDepth(image.BitDepth()), kTarget,
            "Load gave a palette to a direct-colour image or none to an indexed one");

    MaskCorners(image);
    const PixelBGRA corner = image.PixelValue(0, 0);
    Require(corner.blue == 0 && corner.green == 0 && corner.red == 0, kTarget,
            "MaskCorners left the top-left pixel coloured");

    CheckSavedCopy(image, savedPath);
    return 0;
}

}  // namespace vantrel::fuzz
