#pragma once

#include <cstdint>
#include <vector>

#include "terrain/CellGrid.h"
#include "world/PartWindows.h"
#include "world/RankLinks.h"

namespace morvik {

// The hollows of a world's parts filled as DrainToSea fills a whole map's,
// from each window's levels (rings in place): each cell ends at the least
// height of any way from it to the sea or the world's edge, a way's height
// rising to one above the cell after where the ground is lower; ground no
// way leads from (a world that wraps both ways, without sea) keeps its
// height. That least height is one, however the ways are searched: each
// window floods from its own seeds and its ring, and floods again from each
// ring cell that comes lower, until no ring anywhere does. Every rank calls
// it; the windows' rings come back in place.
std::vector<CellGrid> FillWindows(const PartWindows& parts, const std::vector<CellGrid>& levels,
                                  int32_t seaTop, const RankLinks& links);

}  // namespace morvik
