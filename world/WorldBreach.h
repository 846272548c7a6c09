#pragma once

#include <cstdint>
#include <vector>

#include "terrain/CellGrid.h"
#include "world/PartWindows.h"
#include "world/RankLinks.h"

namespace morvik {

// The hollows of a world's parts breached as DrainToSea breaches a whole
// map's, from each window's levels (rings in place, and in place again
// after): each hollow's way out is found from the filled ground and cut
// down on the ground as it was, a way that leaves a part going on at the
// rank that holds the next, and a hollow whose way would take land down to
// the sea filled again with what then has no way down. Every rank calls
// it.
void BreachWindows(const PartWindows& parts, std::vector<CellGrid>& levels, int32_t seaTop,
                   const RankLinks& links);

}  // namespace morvik
