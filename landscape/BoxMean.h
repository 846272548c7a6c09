#pragma once

#include <cstdint>

#include "terrain/MapSize.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// The mean of each cell's box `reach` cells each way along one axis, from
// one grid of the map's cells (column by column) into another: down the
// columns, or across the rows. Across an edge that wraps the box wraps;
// beyond one that does not, the ground goes on as it leaves the edge (the
// cells mirrored through the edge cell), so that a slope keeps its gradient
// there. Running sums, begun again every few places: nearly the same time
// for any reach, and the same values for any number of threads, and for a
// part of the map as for the whole.
void MeanDown(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size, int32_t reach,
              bool wraps, int32_t threads);
void MeanAcross(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size,
                int32_t reach, bool wraps, int32_t threads);

}  // namespace morvik
