// The nearest palette colour for many pixels against one palette, as the writer needs it:
// the same index that BitmapImage::NearestPaletteIndex finds by its linear search (the
// lowest index among the nearest entries), at a fraction of the cost per pixel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bitmap_image.h"

namespace vantrel {

class NearestColourLookup {
  public:
    // Entries 0 to count - 1 of palette (at most 256 are looked at). The palette must
    // stay unchanged while the lookup is in use; it keeps no copy of it.
    NearestColourLookup(const PixelBGRA* palette, std::size_t count);

    // Index of the entry nearest to pixel in blue, green and red (alpha takes no part);
    // the lowest such index. 0 when the palette is empty.
    std::uint8_t Nearest(PixelBGRA pixel) {
        const std::uint32_t key = KeyOf(pixel);
        // Pixels of a loaded indexed picture are palette colours: one probe answers them.
        for (std::uint32_t slot = Mix(key) >> kExactShift;; slot = (slot + 1) & (kExactSlots - 1)) {
            const std::uint32_t held = exactKeys_[slot];
            if (held == key) return exactIndices_[slot];
            if (held == kEmpty) break;
        }
        Recent& recent = recent_[Mix(key) >> kRecentShift];
        if (recent.key == key) return recent.index;
        recent.key = key;
        recent.index = Search(pixel);
        return recent.index;
    }

  private:
    // 24 bits of colour plus a bit that no empty slot has.
    static constexpr std::uint32_t kEmpty = 0;
    static constexpr std::uint32_t kPresent = 1u << 24;
    static constexpr std::uint32_t kExactSlots = 1024;  // a quarter full at most
    static constexpr unsigned kExactShift = 22;         // 32 - log2(kExactSlots)
    static constexpr std::uint32_t kRecentSlots = 4096;
    static constexpr unsigned kRecentShift = 20;
    // The colour cube in cells of 32 × 32 × 32 values.
    static constexpr unsigned kCellShift = 5;
    static constexpr unsigned kCellsPerAxis = 256 >> kCellShift;
    static constexpr std::size_t kCells = kCellsPerAxis * kCellsPerAxis * kCellsPerAxis;

    static std::uint32_t KeyOf(PixelBGRA pixel) {
        return kPresent | (std::uint32_t{pixel.blue} << 16) | (std::uint32_t{pixel.green} << 8) |
               pixel.red;
    }
    // The top bits pick the slot. Palette colours often differ only in a few high bits
    // of each channel (the standard palettes do), so the bits are stirred twice.
    static std::uint32_t Mix(std::uint32_t key) {
        std::uint32_t hash = key * 0x9E3779B1u;
        hash ^= hash >> 15;
        return hash * 0x85EBCA77u;
    }

    std::uint8_t Search(PixelBGRA pixel);
    const std::vector<std::uint8_t>& CandidatesOf(std::size_t cell);

    struct Recent {
        std::uint32_t key = kEmpty;
        std::uint8_t index = 0;
    };

    const PixelBGRA* palette_;
    std::size_t count_;
    std::array<std::uint32_t, kExactSlots> exactKeys_{};
    std::array<std::uint8_t, kExactSlots> exactIndices_{};
    std::vector<Recent> recent_;
    // Per cell, filled on first use: the entries that can be nearest to some colour of
    // the cell, in index order.
    std::vector<std::vector<std::uint8_t>> candidates_;
    std::vector<bool> cellReady_;
};

}  // namespace vantrel
