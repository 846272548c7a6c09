#pragma once

#include "terrain/CellGrid.h"
#include "terrain/Circle.h"
#include "terrain/MapSize.h"

namespace morvik {

// The circle as first described: every cell of the corner compared with it,
// one by one. Slow, plainly right, and the yardstick for ApplyCircle.
void ApplyCircleCellByCell(CellGrid& heights, MapSize size, const Circle& circle);

}  // namespace morvik
