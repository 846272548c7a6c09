#pragma once

#include <cstdint>

#include "terrain/CellGrid.h"
#include "terrain/Drainage.h"
#include "terrain/Erosion.h"
#include "terrain/MapSize.h"

namespace morvik {

// The heights a run's circles left, worn by rain and drained to the sea that
// the finish with this sea target makes of them: afterwards they are whole
// heights from 0 to about kDrainableTop, and every cell of the map that the
// finish makes land has, away from the edge, a strictly lower neighbour. The
// rain's sea level comes from the heights themselves; the settings give the
// rest.
void ErodeLand(CellGrid& heights, MapSize size, int32_t seaTarget, ErosionSettings settings);

}  // namespace morvik
