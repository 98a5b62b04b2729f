// Rows travel between a file and the column-ordered grid in tiles of consecutive stored
// rows: one read or write moves a whole tile, and each column of the grid is then visited
// once per tile for a run of neighbouring pixels, instead of once per row for one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vantrel {

// Columns are visited in blocks of this many, each block walking down a tile's rows
// together; a stored row's bytes for the block are then one read, and the block's
// columns are filled a cache line at a time. That pays where a pixel is made of less than
// a byte or needs arithmetic (1, 4, 8 and 16 bits). 24- and 32-bit rows are copied one
// column at a time (blocks of 1): few enough rows per tile that one column's bytes from
// every row of the tile stay in the first-level cache together, even when all rows fall
// into the same set of it (a row a multiple of 4 KiB long, as at any power-of-two width).
inline constexpr std::int32_t BlockColumns = 8;

// Tile shapes, measured on 8192-pixel-wide pictures: blocked depths take up to 256 rows
// (1 KiB of each column a visit) in at most 2 MiB; the direct-colour depths up to 12 rows,
// the ways of one first-level cache set, in at most 256 KiB. Either is small beside the
// grid it serves.
inline constexpr std::uint64_t BlockedTileBytes = std::uint64_t{2} << 20;
inline constexpr std::uint64_t BlockedTileRows = 256;
inline constexpr std::uint64_t DirectTileBytes = std::uint64_t{256} << 10;
inline constexpr std::uint64_t DirectTileRows = 12;

// Whether rows of this depth go through the grid in column blocks.
constexpr bool IsBlockedDepth(std::int32_t depth) {
    return depth != 24 && depth != 32;
}

// Rows of rowSize bytes in one tile at depth: at least one, however long the row, and no
// more than the picture has.
constexpr std::size_t RowsPerTile(std::uint64_t rowSize, std::int32_t depth, std::int32_t height) {
    const bool blocked = IsBlockedDepth(depth);
    const std::uint64_t bytes = blocked ? BlockedTileBytes : DirectTileBytes;
    const std::uint64_t most =
        std::min<std::uint64_t>(blocked ? BlockedTileRows : DirectTileRows,
                                static_cast<std::uint64_t>(std::max(height, 1)));
    return static_cast<std::size_t>(
        std::clamp<std::uint64_t>(rowSize == 0 ? most : bytes / rowSize, 1, most));
}

}  // namespace vantrel
