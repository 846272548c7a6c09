#pragma once

#include <cstdint>
#include <vector>

#include "landscape/ErosionSettings.h"
#include "landscape/ErosionTraces.h"
#include "terrain/CellGrid.h"
#include "world/PartWindows.h"
#include "world/RankLinks.h"

namespace morvik {

// A world's parts eroded as ErodeLand erodes a whole map, the same numbers
// cell for cell: `heights`, each window's circles' heights (its own cells;
// the rings are brought), become its whole levels, rings in place, and the
// highest of them that is sea is returned; `traces`, where asked, are each
// window's. Each step that crosses parts goes on from what the rings last
// brought until every rank is done; the windows' rings must be wide enough
// for every box the erosion takes (ErosionRing). Every rank calls it.
int32_t ErodeWorld(const PartWindows& parts, std::vector<CellGrid>& heights, int32_t seaTarget,
                   const ErosionSettings& settings, std::vector<ErosionTraces>* traces,
                   const RankLinks& links);

// The cells around each part its window needs for the erosion's boxes.
int32_t ErosionRing(const ErosionSettings& settings);

}  // namespace morvik
