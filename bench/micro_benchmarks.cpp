// Micro-benchmarks of the hot paths of the corner job: Load, Save, the row decoders and
// encoders, the nearest palette colour and MaskCorners. Pictures are small enough that
// every case settles in well under a second; files go to the system's temporary folder.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bitmap/bitmap_image.h"
#include "bitmap/nearest_colour.h"
#include "export/mask_corners.h"

namespace vantrel {
namespace {

constexpr std::int32_t kFileWidth = 8192;
constexpr std::int32_t kFileHeight = 512;
constexpr std::int32_t kRowWidth = 8192;
constexpr std::int32_t kRowHeight = 64;

std::uint8_t Byte(std::uint64_t value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

// The generator's kind of picture: palette colours at the indexed depths (as a loaded
// file holds), colour ramps with a stripe otherwise.
void Paint(BitmapImage& image) {
    const std::int32_t w = image.Width();
    const std::int32_t h = image.Height();
    const bool indexed = image.HasPalette();
    for (std::int32_t x = 0; x < w; ++x) {
        PixelBGRA* column = image.Column(x);
        for (std::int32_t y = 0; y < h; ++y) {
            const auto ux = static_cast<std::uint32_t>(x);
            const auto uy = static_cast<std::uint32_t>(y);
            column[y] =
                indexed ? image.PaletteEntry(static_cast<std::int32_t>(
                              (ux / 8 + uy / 8) % static_cast<std::uint32_t>(image.PaletteSize())))
                        : PixelBGRA{Byte(ux), Byte(uy), Byte(((ux + uy) / 16) * 97), Byte(ux ^ uy)};
        }
    }
}

std::unique_ptr<BitmapImage> MakeImage(std::int32_t depth, std::int32_t w, std::int32_t h) {
    auto image = std::make_unique<BitmapImage>();
    image->ChangeBitDepth(depth);
    image->Resize(w, h);
    Paint(*image);
    return image;
}

// A per-run tag keeps two runs at once from sharing files.
std::string ScratchPath(const std::string& name) {
    static const std::string tag = std::to_string(std::random_device{}());
    return (std::filesystem::temp_directory_path() / ("vantrel-micro-" + tag + "-" + name))
        .string();
}

// One input file per depth, written once and removed at exit.
class InputFiles {
  public:
    ~InputFiles() {
        for (const auto& [depth, path] : paths_)
            std::remove(path.c_str());
    }
    const std::string& For(std::int32_t depth) {
        auto found = paths_.find(depth);
        if (found != paths_.end()) return found->second;
        const std::string path = ScratchPath("in" + std::to_string(depth) + ".bmp");
        MakeImage(depth, kFileWidth, kFileHeight)->Save(path.c_str());
        return paths_.emplace(depth, path).first->second;
    }

  private:
    std::map<std::int32_t, std::string> paths_;
};

InputFiles& Inputs() {
    static InputFiles files;
    return files;
}

std::int64_t FileBytes(const std::string& path) {
    return static_cast<std::int64_t>(std::filesystem::file_size(path));
}

void BM_Load(benchmark::State& state) {
    const auto depth = static_cast<std::int32_t>(state.range(0));
    const std::string& path = Inputs().For(depth);
    for (auto _ : state) {
        BitmapImage image;
        benchmark::DoNotOptimize(image.Load(path.c_str()));
    }
    state.SetBytesProcessed(state.iterations() * FileBytes(path));
}

void BM_Save(benchmark::State& state) {
    const auto depth = static_cast<std::int32_t>(state.range(0));
    auto image = MakeImage(depth, kFileWidth, kFileHeight);
    const std::string path = ScratchPath("out" + std::to_string(depth) + ".bmp");
    for (auto _ : state)
        benchmark::DoNotOptimize(image->Save(path.c_str()));
    state.SetBytesProcessed(state.iterations() * FileBytes(path));
    std::remove(path.c_str());
}

using Decoder = bool (BitmapImage::*)(const std::uint8_t*, std::int32_t, std::int32_t);
using Encoder = bool (BitmapImage::*)(std::uint8_t*, std::int32_t, std::int32_t) const;

struct RowCoders {
    Decoder decode;
    Encoder encode;
};

RowCoders CodersFor(std::int32_t depth) {
    switch (depth) {
        case 1:
            return {&BitmapImage::DecodeRow1, &BitmapImage::EncodeRow1};
        case 4:
            return {&BitmapImage::DecodeRow4, &BitmapImage::EncodeRow4};
        case 8:
            return {&BitmapImage::DecodeRow8, &BitmapImage::EncodeRow8};
        case 24:
            return {&BitmapImage::DecodeRow24, &BitmapImage::EncodeRow24};
        default:
            return {&BitmapImage::DecodeRow32, &BitmapImage::EncodeRow32};
    }
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (auto& byte : bytes)
        byte = Byte(random());
    return bytes;
}

std::int32_t RowBytes(std::int32_t width, std::int32_t depth) {
    return ((width * depth + 31) / 32) * 4;
}

// Every row of a kRowWidth-wide image in turn: one row is a walk across all columns.
void BM_DecodeRow(benchmark::State& state) {
    const auto depth = static_cast<std::int32_t>(state.range(0));
    auto image = MakeImage(depth, kRowWidth, kRowHeight);
    const std::int32_t length = RowBytes(kRowWidth, depth);
    const auto row = RandomBytes(static_cast<std::size_t>(length), 1);
    const Decoder decode = CodersFor(depth).decode;
    std::int32_t y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(((*image).*decode)(row.data(), length, y));
        y = (y + 1) % kRowHeight;
    }
    state.SetItemsProcessed(state.iterations() * kRowWidth);
}

void BM_EncodeRow(benchmark::State& state) {
    const auto depth = static_cast<std::int32_t>(state.range(0));
    auto image = MakeImage(depth, kRowWidth, kRowHeight);
    const std::int32_t length = RowBytes(kRowWidth, depth);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(length));
    const Encoder encode = CodersFor(depth).encode;
    std::int32_t y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(((*image).*encode)(row.data(), length, y));
        benchmark::ClobberMemory();
        y = (y + 1) % kRowHeight;
    }
    state.SetItemsProcessed(state.iterations() * kRowWidth);
}

// Arguments of both nearest-colour benchmarks: depth (1, 4 or 8), palette (0 standard,
// 1 random as a file may give), pixels (0 palette colours as after a load, 1 any colour).
// Gives image its palette and returns the pixels to look up.
std::vector<PixelBGRA> PrepareLookupCase(const benchmark::State& state, BitmapImage& image) {
    image.ChangeBitDepth(static_cast<std::int32_t>(state.range(0)));
    std::mt19937 random(7);
    if (state.range(1) == 1) {
        for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
            image.SetPaletteEntry(i, PixelBGRA{Byte(random()), Byte(random()), Byte(random()), 0});
    }
    std::vector<PixelBGRA> pixels(std::size_t{1} << 16);
    for (auto& pixel : pixels) {
        pixel = state.range(2) == 0 ? image.PaletteEntry(static_cast<std::int32_t>(
                                          static_cast<std::uint32_t>(random()) %
                                          static_cast<std::uint32_t>(image.PaletteSize())))
                                    : PixelBGRA{Byte(random()), Byte(random()), Byte(random()), 0};
    }
    return pixels;
}

void BM_NearestPaletteIndex(benchmark::State& state) {
    BitmapImage image;
    const std::vector<PixelBGRA> pixels = PrepareLookupCase(state, image);
    for (auto _ : state) {
        for (const PixelBGRA& pixel : pixels)
            benchmark::DoNotOptimize(image.NearestPaletteIndex(pixel));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(pixels.size()));
}

// The writer's lookup on the same palettes and pixels as BM_NearestPaletteIndex.
void BM_NearestColourLookup(benchmark::State& state) {
    BitmapImage image;
    const std::vector<PixelBGRA> pixels = PrepareLookupCase(state, image);
    std::vector<PixelBGRA> palette;
    for (std::int32_t i = 0; i < image.PaletteSize(); ++i)
        palette.push_back(image.PaletteEntry(i));
    NearestColourLookup lookup(palette.data(), palette.size());
    for (auto _ : state) {
        for (const PixelBGRA& pixel : pixels)
            benchmark::DoNotOptimize(lookup.Nearest(pixel));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(pixels.size()));
}

void BM_MaskCorners(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    auto image = MakeImage(24, side, side);
    for (auto _ : state) {
        MaskCorners(*image);
        benchmark::ClobberMemory();
    }
}

void Depths(benchmark::internal::Benchmark* b) {
    for (const std::int32_t depth : {1, 4, 8, 16, 24, 32})
        b->Arg(depth);
}

void RowDepths(benchmark::internal::Benchmark* b) {
    for (const std::int32_t depth : {1, 4, 8, 24, 32})
        b->Arg(depth);
}

BENCHMARK(BM_Load)->Apply(Depths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Apply(Depths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRow)->Apply(RowDepths)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeRow)->Apply(RowDepths)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NearestPaletteIndex)
    ->ArgsProduct({{1, 4, 8}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NearestColourLookup)
    ->ArgsProduct({{1, 4, 8}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MaskCorners)->Arg(640)->Arg(8192)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
