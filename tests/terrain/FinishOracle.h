#pragma once

#include <cstdint>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"

namespace morvik {

// The finish as first described: rescale the corner to 0..100, then lower
// the whole corner one pass at a time until the sea target is met. Returns
// the sea count after every pass. The yardstick for FinishGeneration.
std::vector<int32_t> FinishPassByPass(CellGrid& heights, MapSize size, int32_t seaTarget);

}  // namespace morvik
