#pragma once

#include <cstdint>
#include <vector>

#include "landscape/LandSurface.h"
#include "terrain/CellGrid.h"
#include "terrain/Terrain.h"
#include "world/PartWindows.h"
#include "world/RankLinks.h"

namespace morvik {

// The lowest and highest of every window's own cells, over every rank.
HeightExtremes WorldExtremes(const PartWindows& parts, const std::vector<CellGrid>& heights,
                             const RankLinks& links);
SurfaceExtremes WorldExtremes(const PartWindows& parts, const std::vector<LandSurface>& lands,
                              const RankLinks& links);

}  // namespace morvik
