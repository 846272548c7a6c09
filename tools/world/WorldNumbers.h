#pragma once

#include <cstdint>

#include "terrain/Heightmap.h"
#include "tools/BatchOptions.h"
#include "tools/world/RankGroup.h"
#include "tools/world/RankLand.h"
#include "tools/world/RankShare.h"
#include "world/RegionPicture.h"

namespace morvik {

// What every rank's tiles together say of the world's finish and its
// heightmap's values.
struct WorldNumbers {
    WorldFinish finish;
    int64_t seaCells;
    int32_t seaTop;  // the highest height the finish makes sea
    HeightValues values;
    HeightExtremes finished;  // the finished map's
};

// Gathered from every rank: the extremes, the rescaled counts of the cells
// each tile alone holds, and the heights that occur; of the circles'
// heights, or of the eroded land where `land` holds it.
WorldNumbers AgreeOnNumbers(const BatchOptions& options, const RankGroup& ranks,
                            const RankShare& share, const RankLand& land);

}  // namespace morvik
