#pragma once

#include <vector>

#include "layers/LandLayers.h"
#include "tools/BatchOptions.h"
#include "tools/LayerFiles.h"
#include "tools/world/RankGroup.h"
#include "tools/world/RankShare.h"
#include "tools/world/WorldNumbers.h"

namespace morvik {

// The water of a rank's tiles, traced with every other rank's, for the
// files that show it: each tile's window of the world, its heightmap
// values and flow, and where the tile lies in it.
struct RankWater {
    std::vector<LandLayers> layers;
    std::vector<LayerRegion> regions;
    float mostFlow = 0;  // the world's most drained cell's
};

RankWater TraceRankWater(const BatchOptions& options, const RankGroup& ranks,
                         const RankShare& share, const WorldNumbers& numbers);

}  // namespace morvik
