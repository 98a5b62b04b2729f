// Rows travel between a file and the column-ordered grid in tiles of consecutive stored
// rows: one read or write moves a whole tile, and each column of the grid is then visited
// once per tile for a short run of neighbouring pixels, instead of once per row for one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vantrel {

// A tile stays in the second-level cache next to the columns it feeds, and keeps the
// reader's and writer's buffers small beside any grid they serve.
inline constexpr std::uint64_t TileBytes = 256 << 10;
// 64 rows are 256 bytes of one column: four cache lines written at a stretch.
inline constexpr std::uint64_t MaxTileRows = 64;

// Columns are visited in blocks of this many, each block walking down a tile's rows
// together. Whenever a stored row is a multiple of 4 KiB long (any power-of-two width)
// all rows of a tile fall into one set of the first-level cache; a block takes each
// row's bytes for several columns at once, while its columns (a cache line being filled
// in each) fit into the ways of one set. Measured: blocks pay off where a pixel is made
// of less than a byte or needs arithmetic (1, 4, 8 and 16 bits); 24- and 32-bit rows go
// faster one column at a time (blocks of 1), both ways.
inline constexpr std::int32_t BlockColumns = 8;

// Rows of rowSize bytes in one tile: at least one, however long the row.
constexpr std::size_t RowsPerTile(std::uint64_t rowSize) {
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(
        rowSize == 0 ? MaxTileRows : TileBytes / rowSize, 1, MaxTileRows));
}

}  // namespace vantrel
