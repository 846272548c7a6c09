#pragma once

#include <cstdint>
#include <vector>

#include "landscape/LandSurface.h"
#include "terrain/CellGrid.h"
#include "world/PartWindows.h"
#include "world/RankLinks.h"

namespace morvik {

// The sea taken by rank over a world's parts, as RankSea takes it over a
// whole map: each window's heights (rings in place) as a surface less the
// sea's level, its own cells' (the rings' are the owners' to tell), whose
// sea level is RankSea's. Every rank calls it.
std::vector<LandSurface> RankWorldSea(const PartWindows& parts,
                                      const std::vector<CellGrid>& heights, int32_t seaTarget,
                                      const RankLinks& links);

}  // namespace morvik
