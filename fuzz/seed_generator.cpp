// Writes the fuzz seed corpus: small BMP files of every depth and of the shapes the
// reader must survive (masks, longer headers, gaps, short colour tables, truncations,
// refused headers), built with the tests' BMP builder, and inputs of the
// resample_copies layout for every mode and copy operation, and UTF-16 paths. Run by the fuzz_seeds
// target; the output is deterministic, so regenerating changes nothing unless this
// file changes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include "harness/resample_copies_input.h"
#include "support/bmp_builder.h"
#include "support/file_bytes.h"

namespace {

using vantrel::BmpBuilder;
using vantrel::PixelBGRA;
using vantrel::fuzz::CopyOperation;
using vantrel::fuzz::ResampleCopiesInput;

std::uint8_t PatternByte(std::size_t index) {
    return static_cast<std::uint8_t>((index * 37 + 11) & 0xFF);
}

// A valid picture: the full colour table for indexed depths, then rows of patterned
// bytes (bits × width, padded by the builder).
BmpBuilder Picture(std::int32_t width, std::int32_t height, std::uint16_t depth) {
    BmpBuilder b(width, height, depth);
    if (depth <= 8) {
        for (std::uint32_t i = 0; i < (1u << depth); ++i) {
            b.Colour(PatternByte(3 * i), PatternByte(3 * i + 1), PatternByte(3 * i + 2),
                     static_cast<std::uint8_t>(i & 0x0F));
        }
    }
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * depth + 7) / 8;
    for (std::int32_t y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row(rowBytes);
        for (std::size_t i = 0; i < rowBytes; ++i)
            row[i] = PatternByte(static_cast<std::size_t>(y) * rowBytes + i);
        b.Row(row);
    }
    return b;
}

BmpBuilder Bitfields(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    BmpBuilder b = Picture(5, 3, 16);
    b.info.biCompression = vantrel::CompressionBitfields;
    b.masks = {red, green, blue};
    return b;
}

BmpBuilder LongerHeader(BmpBuilder b, std::uint32_t size) {
    b.info.biSize = size;
    return b;
}

BmpBuilder Cut(BmpBuilder b, std::size_t at) {
    b.cutAt = at;
    return b;
}

struct BmpSeed {
    const char* name;
    BmpBuilder builder;
};

std::vector<BmpSeed> BmpSeeds() {
    struct Depth {
        const char* name;
        std::uint16_t depth;
    };
    static constexpr Depth kDepths[] = {{"depth1_5x3", 1},   {"depth4_5x3", 4},
                                        {"depth8_5x3", 8},   {"depth16_5x3", 16},
                                        {"depth24_5x3", 24}, {"depth32_5x3", 32}};
    std::vector<BmpSeed> seeds;
    for (const Depth& d : kDepths)
        seeds.push_back({d.name, Picture(5, 3, d.depth)});

    seeds.push_back({"depth1_9x2", Picture(9, 2, 1)});
    seeds.push_back({"depth16_1x2", Picture(1, 2, 16)});
    seeds.push_back({"depth24_1x1", Picture(1, 1, 24)});
    seeds.push_back({"depth16_masks_565", Bitfields(0xF800, 0x07E0, 0x001F)});
    seeds.push_back({"depth16_masks_narrow_and_zero", Bitfields(0x00E0, 0x000F, 0)});
    seeds.push_back({"depth16_masks_high_half", Bitfields(0xFFFF0000u, 0x7C00, 0x03E0)});

    // Longer info headers: the extra bytes are a gap, or colours for indexed depths.
    seeds.push_back({"depth24_header108", LongerHeader(Picture(5, 3, 24), 108)});
    seeds.push_back({"depth32_header124", LongerHeader(Picture(5, 3, 32), 124)});
    seeds.push_back({"depth8_header124", LongerHeader(Picture(5, 3, 8), 124)});
    seeds.push_back(
        {"depth16_header108_masks", LongerHeader(Bitfields(0xF800, 0x07E0, 0x001F), 108)});

    // Gaps and colour tables that do not fill the space up to the rows.
    BmpBuilder gap24 = Picture(5, 3, 24);
    gap24.gap.assign(6, 0xAB);
    seeds.push_back({"depth24_gap6", gap24});
    BmpBuilder gap8 = Picture(5, 3, 8);
    gap8.gap.assign(22, 0xCD);
    seeds.push_back({"depth8_gap22", gap8});
    BmpBuilder shortTable = Picture(5, 3, 8);
    shortTable.colourTable.resize(16);
    seeds.push_back({"depth8_table16", shortTable});
    BmpBuilder noTable = Picture(5, 3, 4);
    noTable.colourTable.clear();
    noTable.fixedOffBits = 40;
    seeds.push_back({"depth4_offbits40", noTable});
    BmpBuilder farRows = Picture(5, 3, 24);
    farRows.fixedOffBits = 0xFFFFFFF0u;
    seeds.push_back({"depth24_offbits_past_end", farRows});
    BmpBuilder farTable = Picture(5, 3, 8);
    farTable.fixedOffBits = 0xFFFFFFF0u;
    seeds.push_back({"depth8_offbits_past_end", farTable});

    // Files that end early: in the headers, in the table, in the rows, inside a pixel.
    seeds.push_back({"cut_in_headers", Cut(Picture(5, 3, 24), 30)});
    seeds.push_back({"depth8_cut_in_table", Cut(Picture(5, 3, 8), 54 + 4 * 100 + 2)});
    seeds.push_back({"depth24_cut_in_rows", Cut(Picture(5, 3, 24), 54 + 16 + 7)});
    seeds.push_back({"depth16_cut_in_pixel", Cut(Picture(5, 3, 16), 54 + 12 + 3)});
    seeds.push_back({"depth32_cut_after_headers", Cut(Picture(5, 3, 32), 54)});

    // Taller than one tile of rows (12 rows at 24 and 32 bits, 256 at the other depths),
    // whole and ending in a later tile.
    seeds.push_back({"depth16_3x300", Picture(3, 300, 16)});
    seeds.push_back({"depth16_3x300_cut_in_tile2", Cut(Picture(3, 300, 16), 54 + 8 * 270 + 3)});
    seeds.push_back({"depth1_9x300_cut_in_tile2", Cut(Picture(9, 300, 1), 62 + 4 * 280 + 1)});
    seeds.push_back({"depth24_3x30_cut_in_tile2", Cut(Picture(3, 30, 24), 54 + 12 * 20 + 5)});

    // Headers the reader refuses.
    BmpBuilder topDown = Picture(5, 3, 24);
    topDown.info.biHeight = -3;
    seeds.push_back({"refused_top_down", topDown});
    BmpBuilder rle = Picture(5, 3, 8);
    rle.info.biCompression = 1;
    seeds.push_back({"refused_rle8", rle});
    BmpBuilder bitfields24 = Picture(5, 3, 24);
    bitfields24.info.biCompression = vantrel::CompressionBitfields;
    seeds.push_back({"refused_bitfields_24", bitfields24});
    BmpBuilder depth2 = Picture(5, 3, 8);
    depth2.info.biBitCount = 2;
    seeds.push_back({"refused_depth2", depth2});
    BmpBuilder noWidth = Picture(5, 3, 24);
    noWidth.info.biWidth = 0;
    seeds.push_back({"refused_width0", noWidth});
    BmpBuilder core = Picture(5, 3, 24);
    core.info.biSize = 12;
    seeds.push_back({"refused_core_header", core});
    BmpBuilder huge = Picture(5, 3, 24);
    huge.info.biWidth = 65536;
    huge.info.biHeight = 65536;
    seeds.push_back({"refused_too_large", huge});
    BmpBuilder widest = Picture(5, 3, 32);
    widest.info.biWidth = std::numeric_limits<std::int32_t>::max();
    widest.info.biHeight = std::numeric_limits<std::int32_t>::max();
    seeds.push_back({"refused_largest_sides", widest});
    BmpBuilder foreign = Picture(5, 3, 24);
    foreign.file.bfType = 0x4142;  // "BA"
    seeds.push_back({"refused_not_bmp", foreign});
    seeds.push_back({"refused_empty", Cut(Picture(1, 1, 24), 0)});
    return seeds;
}

ResampleCopiesInput Small(char mode, std::int32_t value) {
    ResampleCopiesInput input;
    input.sourceWidth = 4;
    input.sourceHeight = 3;
    input.targetWidth = 5;
    input.targetHeight = 4;
    input.mode = mode;
    input.value = value;
    input.coordinates = {1, 2, 0, 1, 1, 1};
    input.key = {0x11, 0x22, 0x33, 0};
    for (std::size_t i = 0; i < 4 * (4 * 3 + 5 * 4); ++i)
        input.pixels.push_back(PatternByte(i));
    // The first source pixel carries the key colour, so that keyed copies skip one.
    input.pixels[0] = 0x11;
    input.pixels[1] = 0x22;
    input.pixels[2] = 0x33;
    return input;
}

struct ResampleSeed {
    const char* name;
    ResampleCopiesInput input;
};

std::vector<ResampleSeed> ResampleSeeds() {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    std::vector<ResampleSeed> seeds = {
        {"percent50", Small('P', 50)},         {"width7", Small('W', 7)},
        {"height9_lower", Small('h', 9)},      {"longer10", Small('F', 10)},
        {"same_width", Small('w', 4)},         {"width0", Small('W', 0)},
        {"width_negative", Small('W', -5)},    {"percent_largest", Small('P', kMax)},
        {"height_smallest", Small('H', kMin)}, {"unknown_mode", Small('X', 50)},
    };
    ResampleSeed quiet{"unknown_mode_warnings_off", Small('?', 50)};
    quiet.input.warningsOff = true;
    seeds.push_back(quiet);
    ResampleSeed resolution{"resolution_extremes", Small('P', 100)};
    resolution.input.resolutionFromInput = true;
    resolution.input.xPelsPerMeter = kMin;
    resolution.input.yPelsPerMeter = kMax;
    seeds.push_back(resolution);

    const CopyOperation operations[] = {CopyOperation::Pixel, CopyOperation::PixelUnlessKey,
                                        CopyOperation::Range, CopyOperation::RangeUnlessKey};
    const char* names[] = {"copy_pixel", "copy_pixel_key", "copy_range", "copy_range_key"};
    for (std::size_t i = 0; i < 4; ++i) {
        ResampleSeed seed{names[i], Small('P', 100)};
        seed.input.operation = operations[i];
        seed.input.coordinates = {-2, 3, 2, 0, -1, 2};
        seeds.push_back(seed);
    }
    ResampleSeed within{"copy_range_within_source", Small('P', 100)};
    within.input.operation = CopyOperation::Range;
    within.input.copyWithinSource = true;
    within.input.coordinates = {0, 2, 0, 2, 1, 1};
    seeds.push_back(within);
    ResampleSeed extremes{"copy_range_extremes", Small('P', 100)};
    extremes.input.operation = CopyOperation::RangeUnlessKey;
    extremes.input.coordinates = {kMin, kMax, kMax, kMin, kMin, kMax};
    seeds.push_back(extremes);
    return seeds;
}

// Inputs of the wide_paths layout: a flag byte (bit 0 stretches the path to the length
// limit), then UTF-16 units, little-endian.
struct WidePathSeed {
    const char* name;
    std::uint8_t flags;
    std::u16string path;
};

std::vector<WidePathSeed> WidePathSeeds() {
    return {
        {"ascii", 0, u"pictures/in.bmp"},
        {"accents_and_pair", 0, u"Bilder/\u00e4\u00df/\U0001F600.bmp"},
        {"unpaired_high", 0,
         u"a\xD800"
         u"b"},
        {"unpaired_low", 0,
         u"a\xDC00"
         u"b"},
        {"at_length_limit", 1 | (2 << 1), u"long/"},
        {"past_length_limit", 1 | (3 << 1), u"long/"},
    };
}

std::vector<std::uint8_t> WidePathBytes(const WidePathSeed& seed) {
    std::vector<std::uint8_t> bytes{seed.flags};
    for (char16_t unit : seed.path) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

// Replaces the folder's files, so that renamed or dropped seeds do not linger.
std::filesystem::path FreshFolder(const std::filesystem::path& folder) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    try {
        const std::filesystem::path bmp = FreshFolder(root / "bmp");
        for (const BmpSeed& seed : BmpSeeds())
            seed.builder.WriteTo((bmp / (std::string(seed.name) + ".bmp")).string());
        const std::filesystem::path resample = FreshFolder(root / "resample_copies");
        for (const ResampleSeed& seed : ResampleSeeds()) {
            vantrel::WriteFileBytes((resample / (std::string(seed.name) + ".bin")).string(),
                                    vantrel::fuzz::EncodeResampleCopiesInput(seed.input));
        }
        const std::filesystem::path wide = FreshFolder(root / "wide_paths");
        for (const WidePathSeed& seed : WidePathSeeds()) {
            vantrel::WriteFileBytes((wide / (std::string(seed.name) + ".bin")).string(),
                                    WidePathBytes(seed));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
