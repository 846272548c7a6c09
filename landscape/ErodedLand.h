#pragma once

#include <cstdint>

#include "landscape/ErosionSettings.h"
#include "landscape/ErosionTraces.h"
#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"

namespace morvik {

// The heights a run's circles left, worn by the landscape model (with the
// settings' amount), in place. The sea is taken by rank before (RankSea) and
// kept: its share is the first at or above seaTarget per mille, to the cell.
// Returns the highest height that is sea; afterwards the heights are whole
// levels 0..kDrainableTop, and every land cell away from an edge that does
// not wrap has a strictly lower neighbour of its eight. With `traces`,
// also what the wearing left there.
int32_t ErodeLand(CellGrid& heights, MapSize size, int32_t seaTarget,
                  const ErosionSettings& settings, ErosionTraces* traces = nullptr);

}  // namespace morvik
