#pragma once

#include <cstdint>

#include "terrain/MapSize.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// Where a grid's places along one of its sides lie in the world it is part
// of: the grid's place 0 is the world's place `first` (counted on past the
// world's ends where the side wraps), of `side` places. A map is its own
// world.
struct SidePlaces {
    int64_t first;
    int32_t side;
    bool wraps;
};

// The mean of each cell's box `reach` cells each way along one axis, from
// one grid of cells (column by column) into another: down the columns, or
// across the rows. Across an edge that wraps the box wraps; beyond one that
// does not, the ground goes on as it leaves the edge (the cells mirrored
// through the edge cell), so that a slope keeps its gradient there. Running
// sums, begun again every few places of the world: nearly the same time for
// any reach, and the same values for any number of threads, and for a part
// of the world as for the whole.
void MeanDown(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size, int32_t reach,
              bool wraps, int32_t threads);
void MeanAcross(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size,
                int32_t reach, bool wraps, int32_t threads);

// The same for a grid that is part of a world, for its rows (or columns)
// from `first` to `end` alone: the grid holds the cells their boxes take,
// and the places every few before them, where the running sums begin.
void MeanDown(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size, int32_t reach,
              SidePlaces rows, int32_t first, int32_t end, int32_t threads);
void MeanAcross(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size,
                int32_t reach, SidePlaces columns, int32_t first, int32_t end, int32_t threads);

// How many places before a part's first the running sums may begin.
inline constexpr int32_t kBoxRestart = 8;

// A grid's places in the world it is part of, and the cells of it that are
// the part, [firstColumn, endColumn) x [firstRow, endRow).
struct GridPart {
    SidePlaces columns;
    SidePlaces rows;
    int32_t firstColumn;
    int32_t endColumn;
    int32_t firstRow;
    int32_t endRow;

    // A map, its own world.
    static GridPart Whole(MapSize size, bool wrapsColumns, bool wrapsRows) {
        return {{0, size.Width(), wrapsColumns},
                {0, size.Height(), wrapsRows},
                0,
                size.Width(),
                0,
                size.Height()};
    }
};

}  // namespace morvik
