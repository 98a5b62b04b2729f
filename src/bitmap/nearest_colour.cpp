#include "nearest_colour.h"

#include <algorithm>
#include <cstdint>

namespace vantrel {

namespace {

// Larger than any distance in the BGR cube (3 × 255²).
constexpr std::int32_t kNoDistance = 999999;

std::int32_t Distance(const PixelBGRA& entry, const PixelBGRA& pixel) {
    const std::int32_t blue = entry.blue - pixel.blue;
    const std::int32_t green = entry.green - pixel.green;
    const std::int32_t red = entry.red - pixel.red;
    return blue * blue + green * green + red * red;
}

// Squared distances from a value to the nearest and the farthest value of [low, high].
struct AxisSpan {
    std::int32_t nearest;
    std::int32_t farthest;
};

AxisSpan SpanTo(std::int32_t value, std::int32_t low, std::int32_t high) {
    const std::int32_t below = value < low ? low - value : 0;
    const std::int32_t above = value > high ? value - high : 0;
    const std::int32_t near = std::max(below, above);
    const std::int32_t far = std::max(value - low, high - value);
    return AxisSpan{near * near, far * far};
}

}  // namespace

NearestColourLookup::NearestColourLookup(const PixelBGRA* palette, std::size_t count)
    : palette_(palette),
      count_(std::min<std::size_t>(count, 256)),
      recent_(kRecentSlots),
      candidates_(kCells),
      cellReady_(kCells, false) {
    // The lowest index of each colour goes in first and stays: the linear search stops
    // at the first entry at distance 0.
    for (std::size_t index = 0; index < count_; ++index) {
        const std::uint32_t key = KeyOf(palette_[index]);
        std::uint32_t slot = Mix(key) >> kExactShift;
        while (exactKeys_[slot] != kEmpty && exactKeys_[slot] != key)
            slot = (slot + 1) & (kExactSlots - 1);
        if (exactKeys_[slot] == kEmpty) {
            exactKeys_[slot] = key;
            exactIndices_[slot] = static_cast<std::uint8_t>(index);
        }
    }
}

// An entry can be nearest to some colour of a cell only if its nearest point of the cell
// is no farther than the farthest point of the cell is from the best other entry. Every
// entry at the smallest distance from a colour of the cell passes that test, so searching
// the ones that pass, in index order, finds the same lowest index as searching them all.
const std::vector<std::uint8_t>& NearestColourLookup::CandidatesOf(std::size_t cell) {
    std::vector<std::uint8_t>& list = candidates_[cell];
    if (cellReady_[cell]) return list;
    const auto low = [](std::size_t axis) { return static_cast<std::int32_t>(axis << kCellShift); };
    const std::int32_t blueLow = low(cell / (kCellsPerAxis * kCellsPerAxis));
    const std::int32_t greenLow = low((cell / kCellsPerAxis) % kCellsPerAxis);
    const std::int32_t redLow = low(cell % kCellsPerAxis);
    constexpr std::int32_t kSpan = (1 << kCellShift) - 1;

    std::array<std::int32_t, 256> nearest{};
    std::int32_t bound = kNoDistance;
    for (std::size_t index = 0; index < count_; ++index) {
        const PixelBGRA& entry = palette_[index];
        const AxisSpan blue = SpanTo(entry.blue, blueLow, blueLow + kSpan);
        const AxisSpan green = SpanTo(entry.green, greenLow, greenLow + kSpan);
        const AxisSpan red = SpanTo(entry.red, redLow, redLow + kSpan);
        nearest[index] = blue.nearest + green.nearest + red.nearest;
        bound = std::min(bound, blue.farthest + green.farthest + red.farthest);
    }
    for (std::size_t index = 0; index < count_; ++index) {
        if (nearest[index] <= bound) list.push_back(static_cast<std::uint8_t>(index));
    }
    cellReady_[cell] = true;
    return list;
}

std::uint8_t NearestColourLookup::Search(PixelBGRA pixel) {
    const std::size_t cell =
        ((std::size_t{pixel.blue} >> kCellShift) * kCellsPerAxis + (pixel.green >> kCellShift)) *
            kCellsPerAxis +
        (pixel.red >> kCellShift);
    std::int32_t best = kNoDistance;
    std::uint8_t result = 0;
    // The linear search's own rule over the candidates: strictly nearer replaces, so the
    // lowest index wins a tie, and distance 0 ends the search.
    for (const std::uint8_t index : CandidatesOf(cell)) {
        const std::int32_t distance = Distance(palette_[index], pixel);
        if (distance < best) {
            best = distance;
            result = index;
            if (best == 0) break;
        }
    }
    return result;
}

}  // namespace vantrel
